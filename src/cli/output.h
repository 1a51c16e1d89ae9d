#pragma once
// What the command line writes. Text that came from outside (names, paths,
// labels, error texts) never reaches a terminal with a raw control character:
// it goes through the project's reversible escape, the one its files use.
#include "platform/filetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zt::cli {

// A name for one line of text output: every control character (C0, DEL, C1)
// as "&#N;", a "\" as "&#92;" (so a "\" in a path is always a separator), and
// a literal "&" that would start such a reference as "&#38;".
[[nodiscard]] std::string escapeName(std::string_view utf8);

// A message: control characters and a reference-like "&" escaped as in
// escapeName; "\" kept (paths in messages are the system's).
[[nodiscard]] std::string escapeMessage(std::string_view utf8);

// Both escapes first turn bytes that are not UTF-8 into text as a file name's
// display name is made (CP932, else U+FFFD).

// A JSON string literal of UTF-8 text, control characters (C1 too) as \uXXXX.
[[nodiscard]] std::string jsonString(std::string_view raw);
// A local time as "YYYY-MM-DDThh:mm:ss", or null for an unknown (zero) time.
[[nodiscard]] std::string jsonTime(FileTime t);

// One line on standard error, the message escaped.
void printError(std::string_view message);
// "message: detail" when there is a detail.
void printError(std::string_view message, std::string_view detail);

} // namespace zt::cli
