#include "platform/memory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace zt {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
} // namespace

void* allocateBlock(size_t bytes) {
    // A block smaller than a huge page gains nothing from the alignment or
    // the advice; it is an ordinary allocation.
    if (bytes < kHugePage) {
        void* p = std::malloc(bytes);
        if (p == nullptr) throw std::bad_alloc();
        return p;
    }
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
