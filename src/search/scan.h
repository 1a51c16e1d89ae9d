#pragma once
// Fast passes over the stored bytes of a stock for the search: where the
// line feeds are (one bit per byte, 64 bytes a word), and a grep-like
// pre-pass that finds every place where a name might hold the search text,
// so that only the records around those places are decoded and tested.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zt::scan {

// What the stored (CP932) line of a name must hold before the decoded name
// can hold the search text: a run of byte positions, each allowing one or two
// byte values (a character and its other case, or the forms several byte
// pairs share). A name whose text comes from a "&#N;" reference holds '&', so
// every '&' is a place to look as well.
struct ByteKey {
    std::vector<std::array<unsigned char, 2>> positions;
    bool ampersandOnly = false; // the text can only be stored as references
    bool all = false;           // no screening: every name is decoded and tested

    [[nodiscard]] bool filters() const { return !all; }
};

// The key of a search text (UTF-8, already lower-cased when foldCase): the
// longest run of the text's characters whose every stored form is known,
// taking both cases where the search folds them. Characters that decode from
// many forms (U+FFFD) break the run.
[[nodiscard]] ByteKey makeByteKey(std::string_view text, bool foldCase);

// The line feeds of a piece of bytes, the dashes that start a line (where
// file records start), the number of line feeds before each word, and the
// places that may start the key (offsets in increasing order: every
// occurrence of the key and every '&'). Bit sets hold one bit per byte, 64
// bytes a word.
struct ByteIndex {
    std::vector<uint64_t> lineFeeds;
    std::vector<uint64_t> dashStarts;
    std::vector<uint32_t> linesBefore;
    std::vector<uint32_t> candidates;
};

// The vector instructions of the pass: the best the processor has, or one
// named (all give the same index; for tests), or none.
enum class Vectors { Best, None, Sse2, Avx2, Avx512 };
[[nodiscard]] bool supported(Vectors v);

// One pass over bytes (at most 4 GiB) fills index; its vectors are reused.
void indexBytes(std::string_view bytes, const ByteKey& key, ByteIndex& index,
                Vectors vectors = Vectors::Best);

// The candidates alone (for tests).
[[nodiscard]] std::vector<uint32_t> findCandidates(std::string_view bytes, const ByteKey& key);

inline constexpr size_t kNoLine = ~size_t(0);

inline int popcount64(uint64_t x) {
#if defined(__POPCNT__)
    return __builtin_popcountll(x);
#else
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
#endif
}

// Offset just past the count-th line feed at or after from (count >= 1), in
// bytes of size `size` indexed by index; kNoLine when there are fewer.
inline size_t afterLineFeeds(const ByteIndex& index, size_t size, size_t from, int count) {
    const size_t words = (size + 63) >> 6;
    size_t w = from >> 6;
    if (w >= words) return kNoLine;
    const uint64_t* bits = index.lineFeeds.data();
    uint64_t b = bits[w] & (~uint64_t(0) << (from & 63));
    for (;;) {
        const int c = popcount64(b);
        if (c >= count) break;
        count -= c;
        if (++w >= words) return kNoLine;
        b = bits[w];
    }
    while (--count)
        b &= b - 1;
    return (w << 6) + size_t(__builtin_ctzll(b)) + 1;
}

// From the record start `from`, passes over whole file records ("-1", a
// name, eight numbers) that end at or before `stop`; returns the start of the
// first record not passed (a folder's, an odd one, one reaching past stop or
// past the size bytes indexed).
[[nodiscard]] size_t passFileRecords(const ByteIndex& index, std::string_view bytes, size_t from,
                                     size_t stop);

} // namespace zt::scan
