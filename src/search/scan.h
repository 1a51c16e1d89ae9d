#pragma once
// Fast passes over a whole stock file for the search: line splitting driven by
// a bit mask of the line feeds of 64 bytes at a time, and a grep-like pre-pass
// that finds every place where a name might hold the search text.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace zt::scan {

// Where the line feeds are (one bit per byte, 64 bytes a word) and, when
// asked for, every place that might start the search text in a name: the
// offsets, in increasing order, of every occurrence of an ASCII text (ASCII
// letters compared without case when foldCase) and of every '&'.
struct ByteIndex {
    std::vector<uint64_t> lineFeeds;
    std::vector<size_t> candidates;
};

// One pass over bytes fills index (its vectors are reused). With an empty
// text no candidates are looked for.
void indexBytes(std::string_view bytes, std::string_view text, bool foldCase, ByteIndex& index);

[[nodiscard]] inline std::vector<size_t> findCandidates(std::string_view bytes,
                                                        std::string_view text, bool foldCase) {
    ByteIndex index;
    indexBytes(bytes, text, foldCase, index);
    return std::move(index.candidates);
}

// Splits bytes into lines exactly as LineCursor does (CR LF or LF; a last line
// without an end counts), finding each line end in the line-feed bits.
class LineScanner {
  public:
    LineScanner(std::string_view bytes, const ByteIndex& index)
        : data_(bytes.data()), size_(bytes.size()), bits_(index.lineFeeds.data()) {}

    // Next line without its end; false at the end of the input.
    bool next(std::string_view& line) {
        if (pos_ >= size_) return false;
        const size_t lf = nextLineFeed();
        size_t end = lf;
        if (end > pos_ && data_[end - 1] == '\r') --end;
        line = std::string_view(data_ + pos_, end - pos_);
        pos_ = lf + 1;
        return true;
    }
    // Skips up to n lines, counting the line feeds of a word at a time.
    void skip(int n) {
        while (n > 0 && pos_ < size_) {
            const size_t word = pos_ >> 6;
            uint64_t bits = bits_[word] & (~uint64_t(0) << (pos_ & 63));
            const int count = popcount(bits);
            if (count >= n) {
                while (--n)
                    bits &= bits - 1;
                pos_ = (word << 6) + size_t(__builtin_ctzll(bits)) + 1;
                return;
            }
            n -= count;
            pos_ = (word + 1) << 6;
        }
        if (pos_ > size_) pos_ = size_;
    }
    // Offset of a line returned by next().
    [[nodiscard]] size_t offsetOf(std::string_view line) const {
        return size_t(line.data() - data_);
    }

  private:
    static int popcount(uint64_t x) {
#if defined(__POPCNT__)
        return __builtin_popcountll(x);
#else
        x -= (x >> 1) & 0x5555555555555555ull;
        x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return int((x * 0x0101010101010101ull) >> 56);
#endif
    }

    // Offset of the first line feed at or after pos_ (size_ when there is none).
    size_t nextLineFeed() const {
        size_t word = pos_ >> 6;
        uint64_t bits = bits_[word] & (~uint64_t(0) << (pos_ & 63));
        const size_t words = (size_ + 63) >> 6;
        while (bits == 0) {
            if (++word >= words) return size_;
            bits = bits_[word];
        }
        return (word << 6) + size_t(__builtin_ctzll(bits));
    }

    const char* data_;
    size_t size_;
    const uint64_t* bits_;
    size_t pos_ = 0;
};

} // namespace zt::scan
