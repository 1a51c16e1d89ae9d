#pragma once
// Large blocks of memory for arenas that are filled front to back.
#include <cstddef>
#include <memory>

namespace zt {

// An uninitialised block of at least `bytes`; from 2 MiB up aligned to 2 MiB
// and offered to the system for huge pages, so filling it takes few page
// faults. Never null (throws std::bad_alloc like new).
[[nodiscard]] void* allocateBlock(size_t bytes);
void freeBlock(void* block) noexcept;

struct BlockDeleter {
    void operator()(std::byte* p) const noexcept { freeBlock(p); }
};
using BlockPtr = std::unique_ptr<std::byte[], BlockDeleter>;

} // namespace zt
