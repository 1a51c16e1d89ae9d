#include "platform/placedlines.h"

#include "platform/piecereader.h"

#include <algorithm>
#include <cstring>

namespace zt {

PlacedLines::PlacedLines(const RandomAccessFile& file, size_t piece)
    : file_(&file), piece_(std::max<size_t>(piece, 64)) {}

PlacedLines::PlacedLines(std::string_view bytes) : bytes_(bytes) {}

void PlacedLines::seek(uint64_t pos) {
    pos_ = pos;
}

// Brings the bytes from pos into memory; false when there are none.
bool PlacedLines::fill(uint64_t pos, size_t want) {
    if (!file_) return false;
    if (!file_->readAt(pos, want, buffer_)) {
        failed_ = true;
        buffer_.clear();
    }
    start_ = pos;
    bytes_ = buffer_;
    return !bytes_.empty();
}

bool PlacedLines::next(std::string_view& line, uint64_t& at) {
    at = pos_;
    long_.clear();
    bool any = false;
    for (;;) {
        if (pos_ < start_ || pos_ >= start_ + bytes_.size()) {
            // Inside a long line, larger pieces; a line never costs more than
            // the bound and one piece.
            if (!fill(pos_, any && long_.size() >= piece_ ? std::max<size_t>(piece_, 65536) : piece_))
                break;
        }
        const size_t from = size_t(pos_ - start_);
        const char* begin = bytes_.data() + from;
        const size_t avail = bytes_.size() - from;
        const void* lf = std::memchr(begin, '\n', avail);
        const size_t take = lf ? size_t(static_cast<const char*>(lf) - begin) : avail;
        pos_ += take + (lf ? 1 : 0);
        if (lf && !any) { // the whole line in memory: no copy
            line = boundLine(std::string_view(begin, take));
            return true;
        }
        any = true;
        if (long_.size() <= kMaxLineBytes)
            long_.append(begin, std::min(take, kMaxLineBytes + 1 - long_.size()));
        if (lf) break;
    }
    if (!any || failed_) return false;
    line = boundLine(long_);
    return true;
}

} // namespace zt
