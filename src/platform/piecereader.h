#pragma once
// Reading a file front to back through one reused buffer, piece by piece, so
// that a file of any size costs a bounded amount of memory. The same reader
// can take bytes already in memory, which then arrive in the same pieces.
//
// Lines are bounded: a line longer than kMaxLineBytes (far beyond any real
// name) is cut at a character boundary and the rest of it skipped, so a
// hostile file costs memory by its records, not by its longest line.
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

inline constexpr size_t kMaxLineBytes = size_t(32) << 10;

// A line as every reader takes it (raw is the line without its LF): longer
// than kMaxLineBytes, it is cut after the last whole CP932 character within
// the bound; otherwise a final CR is dropped.
[[nodiscard]] std::string_view cutLongLine(std::string_view raw);
[[nodiscard]] inline std::string_view boundLine(std::string_view raw) {
    if (raw.size() > kMaxLineBytes) return cutLongLine(raw);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    return raw;
}

class PieceReader {
  public:
    static constexpr size_t kDefaultPieceBytes = size_t(256) << 10;

    explicit PieceReader(size_t pieceBytes = kDefaultPieceBytes);
    ~PieceReader();
    PieceReader(const PieceReader&) = delete;
    PieceReader& operator=(const PieceReader&) = delete;

    // Starts reading the file at p; false when it cannot be opened or is not
    // a plain file (a folder, a pipe, a device).
    [[nodiscard]] bool open(const std::filesystem::path& p);
    // Starts reading bytes held by the caller (kept alive while read).
    void openBytes(std::string_view bytes);

    // The bytes read and not yet dropped. Every line in them is whole except
    // the last one, which may still be growing; a line too long to keep is
    // already shortened to kMaxLineBytes + 1 bytes (boundLine cuts it further).
    [[nodiscard]] std::string_view data() const { return {buffer_.get(), size_}; }
    // True once the end of the input has been reached (or reading failed).
    [[nodiscard]] bool atEnd() const { return atEnd_; }
    // True when reading failed part way (the bytes so far are still there).
    [[nodiscard]] bool failed() const { return failed_; }

    // Drops data()[0, keepFrom), moves the rest to the front and reads the
    // next piece behind it. False when nothing more came (atEnd() is then true).
    bool refill(size_t keepFrom);

  private:
    size_t readSome(char* to, size_t room);
    void reserve(size_t bytes);
    bool skipRestOfLine();
    void boundLastLine(size_t from);

    size_t pieceBytes_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    size_t size_ = 0;
    size_t lastLineStart_ = 0; // start of the line still being read
    bool skipping_ = false;    // dropping the rest of an over-long line
    bool atEnd_ = true;
    bool failed_ = false;
    int fd_ = -1;
    std::string_view memory_; // the rest of openBytes' input
};

// Lines (as boundLine makes them) from a PieceReader. A line stays valid
// until the next call.
class PieceLines {
  public:
    explicit PieceLines(PieceReader& in) : in_(in) {}
    bool next(std::string_view& line) {
        const std::string_view d = in_.data();
        if (pos_ < d.size())
            if (const void* lf = std::memchr(d.data() + pos_, '\n', d.size() - pos_)) {
                const size_t at = size_t(static_cast<const char*>(lf) - d.data());
                line = boundLine(d.substr(pos_, at - pos_));
                pos_ = at + 1;
                return true;
            }
        return nextAfterRefill(line);
    }

  private:
    bool nextAfterRefill(std::string_view& line);

    PieceReader& in_;
    size_t pos_ = 0;
};

// The whole file as raw bytes with every over-long line cut (see boundLine,
// a cut line ends with LF), for small files whose lines are parsed in one
// piece; nullopt like readFileBytes.
[[nodiscard]] std::optional<std::string> readFileBytesBounded(const std::filesystem::path& p);

} // namespace zt
