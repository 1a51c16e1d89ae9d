#pragma once
// What the command line writes. Text that came from outside (names, paths,
// labels, error texts) never reaches a terminal with a raw control character:
// it goes through the project's reversible escape, the one its files use.
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
// display name is made (CP932, else raw bytes). A raw name byte
// (platform/utf8.h) is shown as its reference "&#56448;"-"&#56575;", as the
// stock file holds it.

// One line on standard error, the message escaped.
void printError(std::string_view message);
// "message: detail" when there is a detail.
void printError(std::string_view message, std::string_view detail);

} // namespace zt::cli
