#include "platform/piecereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt {

namespace {

bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

} // namespace

std::string_view cutLongLine(std::string_view raw) {
    if (raw.size() <= kMaxLineBytes) return boundLine(raw);
    // Characters as the codec reads them: a lead byte takes the next byte
    // along only when that byte can be a trail byte.
    size_t pos = 0;
    for (;;) {
        const bool pair = isLeadByte(static_cast<unsigned char>(raw[pos])) &&
                          isTrailByte(static_cast<unsigned char>(raw[pos + 1]));
        const size_t step = pair ? 2 : 1;
        if (pos + step > kMaxLineBytes) break;
        pos += step;
    }
    return raw.substr(0, pos);
}

PieceReader::PieceReader(size_t pieceBytes) : pieceBytes_(std::max<size_t>(pieceBytes, 1)) {}

PieceReader::~PieceReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool PieceReader::open(const std::filesystem::path& p) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    memory_ = {};
    size_ = lastLineStart_ = 0;
    skipping_ = failed_ = false;
    atEnd_ = true;
    // O_NONBLOCK: opening a pipe left where a data file belongs must not wait
    // for a writer. Only plain files are read: a pipe or a device (/dev/zero
    // behind a link) could block or never end.
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    atEnd_ = false;
    return true;
}

void PieceReader::openBytes(std::string_view bytes) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    memory_ = bytes;
    size_ = lastLineStart_ = 0;
    skipping_ = failed_ = false;
    atEnd_ = false;
}

size_t PieceReader::readSome(char* to, size_t room) {
    if (fd_ < 0) {
        const size_t n = std::min(room, memory_.size());
        if (n) std::memcpy(to, memory_.data(), n);
        memory_.remove_prefix(n);
        return n;
    }
    for (;;) {
        const ssize_t n = ::read(fd_, to, room);
        if (n >= 0) return size_t(n);
        if (errno == EINTR) continue;
        failed_ = true;
        return 0;
    }
}

void PieceReader::reserve(size_t bytes) {
    if (bytes <= capacity_) return;
    const size_t capacity = std::max(bytes, capacity_ + capacity_ / 2);
    std::unique_ptr<char[]> bigger(new char[capacity]);
    if (size_) std::memcpy(bigger.get(), buffer_.get(), size_);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
}

// New bytes arrived at [from, size_): the last line, if it grew too long to
// keep, is shortened to kMaxLineBytes + 1 bytes and the rest of it dropped
// as it comes.
void PieceReader::boundLastLine(size_t from) {
    const char* base = buffer_.get();
    if (const void* lf = ::memrchr(base + from, '\n', size_ - from))
        lastLineStart_ = size_t(static_cast<const char*>(lf) - base) + 1;
    if (size_ - lastLineStart_ > kMaxLineBytes + 1) {
        size_ = lastLineStart_ + kMaxLineBytes + 1;
        skipping_ = true;
    }
}

bool PieceReader::refill(size_t keepFrom) {
    keepFrom = std::min(keepFrom, size_);
    if (keepFrom > 0) {
        std::memmove(buffer_.get(), buffer_.get() + keepFrom, size_ - keepFrom);
        size_ -= keepFrom;
        lastLineStart_ = lastLineStart_ > keepFrom ? lastLineStart_ - keepFrom : 0;
    }
    while (!atEnd_) {
        reserve(size_ + pieceBytes_);
        const size_t from = size_;
        const size_t n = readSome(buffer_.get() + from, pieceBytes_);
        if (n == 0) {
            atEnd_ = true;
            break;
        }
        size_ += n;
        if (skipping_) {
            char* start = buffer_.get() + from;
            const void* lf = std::memchr(start, '\n', n);
            if (!lf) { // still inside the over-long line
                size_ = from;
                continue;
            }
            const size_t skipped = size_t(static_cast<const char*>(lf) - start);
            std::memmove(start, start + skipped, n - skipped);
            size_ -= skipped;
            skipping_ = false;
        }
        boundLastLine(from);
        if (size_ > from) return true;
    }
    return false;
}

bool PieceLines::nextAfterRefill(std::string_view& line) {
    for (;;) {
        const std::string_view d = in_.data();
        if (pos_ < d.size()) {
            if (const void* lf = std::memchr(d.data() + pos_, '\n', d.size() - pos_)) {
                const size_t at = size_t(static_cast<const char*>(lf) - d.data());
                line = boundLine(d.substr(pos_, at - pos_));
                pos_ = at + 1;
                return true;
            }
        }
        if (!in_.atEnd()) {
            (void)in_.refill(pos_);
            pos_ = 0;
            continue;
        }
        if (pos_ >= d.size()) return false;
        line = boundLine(d.substr(pos_));
        pos_ = d.size();
        return true;
    }
}

std::optional<std::string> readFileBytesBounded(const std::filesystem::path& p) {
    PieceReader in;
    if (!in.open(p)) return std::nullopt;
    std::string out;
    size_t pos = 0;
    auto take = [&out](std::string_view raw) {
        out += raw.size() > kMaxLineBytes ? boundLine(raw) : raw;
    };
    for (;;) {
        const std::string_view d = in.data();
        while (const void* lf = pos < d.size() ? std::memchr(d.data() + pos, '\n', d.size() - pos)
                                               : nullptr) {
            const size_t at = size_t(static_cast<const char*>(lf) - d.data());
            take(d.substr(pos, at - pos));
            out += '\n';
            pos = at + 1;
        }
        if (in.atEnd()) {
            take(d.substr(std::min(pos, d.size())));
            break;
        }
        (void)in.refill(pos);
        pos = 0;
    }
    if (in.failed()) return std::nullopt;
    return out;
}

} // namespace zt
