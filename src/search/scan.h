#pragma once
// Fast passes over a whole stock file for the search: line splitting driven by
// a bit mask of the line feeds of 64 bytes at a time, and a grep-like pre-pass
// that finds every place where a name might hold the search text.
#include <cstdint>
#include <string_view>
#include <vector>

namespace zt::scan {

// Splits bytes into lines exactly as LineCursor does (CR LF or LF; a last line
// without an end counts), looking at each block of 64 bytes once.
class LineScanner {
public:
    explicit LineScanner(std::string_view bytes) : data_(bytes.data()), size_(bytes.size()) {}

    // Next line without its end; false at the end of the input.
    bool next(std::string_view& line)
    {
        if (pos_ >= size_) return false;
        const size_t lf = nextLineFeed();
        size_t end = lf;
        if (end > pos_ && data_[end - 1] == '\r') --end;
        line = std::string_view(data_ + pos_, end - pos_);
        pos_ = lf + 1;
        return true;
    }
    // Skips up to n lines; false when the input ended first.
    bool skip(int n)
    {
        for (; n > 0; --n) {
            if (pos_ >= size_) return false;
            pos_ = nextLineFeed() + 1;
        }
        return true;
    }
    // Offset of a line returned by next().
    [[nodiscard]] size_t offsetOf(std::string_view line) const { return size_t(line.data() - data_); }

private:
    // Offset of the first line feed at or after pos_ (size_ when there is none).
    size_t nextLineFeed()
    {
        while (mask_ == 0) {
            if (nextBlock_ >= size_) return size_;
            base_ = nextBlock_;
            nextBlock_ += 64;
            mask_ = lineFeedMask(base_);
        }
        const size_t at = base_ + size_t(__builtin_ctzll(mask_));
        mask_ &= mask_ - 1;
        return at;
    }
    [[nodiscard]] uint64_t lineFeedMask(size_t base) const;

    const char* data_;
    size_t size_;
    size_t pos_ = 0;
    size_t base_ = 0;      // offset of the block in mask_
    size_t nextBlock_ = 0; // offset of the next block to look at
    uint64_t mask_ = 0;    // line feeds of the block not yet handed out
};

// Offsets, in increasing order, of every occurrence of an ASCII text in bytes
// (ASCII letters compared without case when foldCase) and of every '&'.
[[nodiscard]] std::vector<size_t> FindCandidates(std::string_view bytes, std::string_view text,
                                                 bool foldCase);

} // namespace zt::scan
