#pragma once
// Lines of a file with their places in it, read through one buffer from any
// offset: what a reader needs that goes back to records by their byte
// offsets (the name index). Every line comes bounded as boundLine makes it;
// of an over-long line only the bound is kept, the rest is passed over and
// never held, so memory stays at the buffer whatever the file holds.
#include "platform/fileops.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class PlacedLines {
  public:
    // Over a file opened by the caller (kept alive while read), read `piece`
    // bytes at a time.
    PlacedLines(const RandomAccessFile& file, size_t piece);
    // Over bytes held by the caller.
    explicit PlacedLines(std::string_view bytes);

    // The next line is the one starting at pos.
    void seek(uint64_t pos);
    // The next line without its end, bounded; where it starts in `at`. The
    // view lasts until the next call. False at the end of the input or when
    // the file cannot be read (failed() tells).
    bool next(std::string_view& line, uint64_t& at);
    [[nodiscard]] bool failed() const { return failed_; }

  private:
    bool fill(uint64_t pos, size_t want);

    const RandomAccessFile* file_ = nullptr;
    size_t piece_ = 0;
    std::string_view bytes_; // what is in memory: the caller's bytes, or buffer_
    std::string buffer_;
    uint64_t start_ = 0; // file offset of bytes_[0]
    uint64_t pos_ = 0;
    std::string long_; // an over-long or piece-crossing line, as far as it is kept
    bool failed_ = false;
};

} // namespace zt
