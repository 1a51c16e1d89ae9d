#pragma once
// How every command writes what it prints: standard output with every write
// checked, and records as JSON Lines. A script reading the output trusts that
// a run that ends with status 0 gave all of it: a write that fails (a full
// disk, a pipe closed while SIGPIPE is ignored, a closed standard output)
// ends the command with one message and status 6 (kFileError).
#include "platform/filetime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zt::cli {

// Standard output, buffered in blocks. The first failure is kept; later
// writes are dropped, so a long run can ask failed() and stop early.
class Output {
  public:
    Output& operator<<(std::string_view text);
    Output& operator<<(char c) { return *this << std::string_view(&c, 1); }
    // Writes out what is buffered; false once any write failed.
    bool flush();
    [[nodiscard]] bool failed() const { return failed_; }
    // Flushes; on a failure prints its message (with the system's reason)
    // and gives kFileError, else status.
    [[nodiscard]] int finish(int status);

  private:
    std::string buffer_;
    bool failed_ = false;
    std::string why_;
};

// The process's one standard output.
[[nodiscard]] Output& out();

// One JSON Lines record: an object on one line. Text fields are UTF-8 with
// controls as \uXXXX; a text that holds raw name bytes (platform/utf8.h)
// shows each as U+FFFD and gets a companion field "<key>Raw" with the real
// bytes in base64, so a script can still reach the file.
class JsonLine {
  public:
    JsonLine& text(std::string_view key, std::string_view value);
    JsonLine& number(std::string_view key, uint64_t value);
    JsonLine& flag(std::string_view key, bool value);
    // An ISO 8601 local time with its offset ("2001-03-05T18:07:03+09:00"),
    // null for an unknown (zero) time.
    JsonLine& time(std::string_view key, FileTime value);
    // A value already in JSON (an array, null).
    JsonLine& json(std::string_view key, std::string_view value);
    // The record and its line end.
    [[nodiscard]] std::string line() const { return body_ + "}\n"; }

  private:
    JsonLine& key(std::string_view key);
    std::string body_ = "{";
};

// A JSON string literal of UTF-8 text (raw bytes and ill-formed ones as U+FFFD).
[[nodiscard]] std::string jsonString(std::string_view text);
// A JSON array of strings.
[[nodiscard]] std::string jsonStrings(const std::vector<std::string>& texts);
[[nodiscard]] std::string base64(std::string_view bytes);

} // namespace zt::cli
