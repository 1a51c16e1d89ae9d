#include "platform/memory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace zt {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
} // namespace

void* allocateBlock(size_t bytes) {
    void* p = nullptr;
    if (::posix_memalign(&p, kHugePage, bytes) != 0) throw std::bad_alloc();
    // Where huge pages are only given on request; a refusal changes nothing.
    (void)::madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

void freeBlock(void* block) noexcept {
    std::free(block);
}

} // namespace zt
