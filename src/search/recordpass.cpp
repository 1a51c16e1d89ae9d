// Passing over runs of file records without looking into them.
#include "search/scan.h"

#include "catalogue/stockrecords.h"

namespace zt::scan {

namespace {

// True when the line at `at` is "-1".
inline bool markerAt(const char* p, size_t n, size_t at) {
    if (at + 3 > n || p[at] != '-' || p[at + 1] != '1') return false;
    return p[at + 2] == '\n' || (at + 4 <= n && p[at + 2] == '\r' && p[at + 3] == '\n');
}

// Bits of a word past `at`'s own bit.
inline uint64_t bitsAfter(size_t at) {
    return ~((uint64_t(2) << (at & 63)) - 1);
}

struct PortableCount {
    __attribute__((always_inline)) static int of(uint64_t x) { return popcount64(x); }
};
struct HardwareCount {
    __attribute__((always_inline)) static int of(uint64_t x) { return __builtin_popcountll(x); }
};

// Line feeds before `at`.
template <class Count> inline uint32_t lineOf(const ByteIndex& index, size_t at) {
    const uint64_t below = index.lineFeeds[at >> 6] & ((uint64_t(1) << (at & 63)) - 1);
    return index.linesBefore[at >> 6] + uint32_t(Count::of(below));
}

// File records follow one another kStockRecordLines lines apart, each starting
// with a line "-1": the next record starts at the next line-starting dash that
// many lines on.
// Other such dashes (names) are passed by; where the next record is not a
// file's, the run ends.
template <class Count>
__attribute__((always_inline)) inline size_t walk(const ByteIndex& index, const char* p,
                                                  size_t size, size_t pos, size_t stop) {
    if (!markerAt(p, size, pos)) return pos;
    const size_t words = (size + 63) >> 6;
    auto recordEnd = [&] { // past the record at pos, found line by line
        const size_t end = afterLineFeeds(index, size, pos, kStockRecordLines);
        return end == kNoLine || end > stop ? pos : end;
    };
    uint32_t line = lineOf<Count>(index, pos);
    size_t w = pos >> 6;
    uint64_t d = index.dashStarts[w] & bitsAfter(pos);
    for (;;) {
        while (d == 0) {
            if (++w >= words) return recordEnd();
            d = index.dashStarts[w];
        }
        const size_t at = (w << 6) + size_t(__builtin_ctzll(d));
        d &= d - 1;
        const uint32_t atLine = lineOf<Count>(index, at);
        if (atLine < line + kStockRecordLines) continue;
        if (atLine > line + kStockRecordLines) return recordEnd();
        if (at > stop) return pos;
        pos = at;
        line = atLine;
        if (!markerAt(p, size, pos)) return pos;
    }
}

size_t walkPortable(const ByteIndex& index, const char* p, size_t size, size_t pos, size_t stop) {
    return walk<PortableCount>(index, p, size, pos, stop);
}

#if defined(__x86_64__)
__attribute__((target("popcnt"))) size_t walkPopcnt(const ByteIndex& index, const char* p,
                                                    size_t size, size_t pos, size_t stop) {
    return walk<HardwareCount>(index, p, size, pos, stop);
}

#endif

} // namespace

size_t passFileRecords(const ByteIndex& index, std::string_view bytes, size_t from, size_t stop) {
#if defined(__x86_64__)
    static const bool popcnt = __builtin_cpu_supports("popcnt");
    if (popcnt) return walkPopcnt(index, bytes.data(), bytes.size(), from, stop);
#endif
    return walkPortable(index, bytes.data(), bytes.size(), from, stop);
}

} // namespace zt::scan
