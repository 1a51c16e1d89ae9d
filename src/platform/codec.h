#pragma once
// The one place where text changes between UTF-8 (in memory) and code page 932
// (in every file the program reads or writes).
//
// Writing: each character is written as its CP932 bytes when CP932 holds it
// exactly (it reads back as the same character); otherwise, and for control
// characters, as a decimal reference "&#N;". A literal "&" that would start
// such a reference is written "&#38;", so every name survives a round trip.
// Reading: invalid byte sequences become U+FFFD and "&#N;" turns back into N.
// A raw name byte (platform/utf8.h, U+DC80-U+DCFF in memory) is written as
// its reference "&#56448;"-"&#56575;" and read back as the same raw byte.
#include <string>
#include <string_view>

namespace zt::cp932 {

// UTF-8 -> CP932 bytes, escaping as described above. Invalid UTF-8 input
// bytes are written as U+FFFD's reference.
[[nodiscard]] std::string encode(std::string_view utf8);
// Appends the encoding of utf8 to out (no allocation per call when out has room).
void encodeAppend(std::string_view utf8, std::string& out);

// CP932 bytes -> UTF-8, resolving references.
[[nodiscard]] std::string decode(std::string_view bytes);
void decodeAppend(std::string_view bytes, std::string& out);

// CP932 bytes -> UTF-8 without resolving references (for text that was never
// escaped, such as a name read from a disc mounted without charset conversion).
[[nodiscard]] std::string decodePlain(std::string_view bytes);

// True when bytes are valid CP932 throughout (every byte or pair maps to a character).
[[nodiscard]] bool isValid(std::string_view bytes);

} // namespace zt::cp932
