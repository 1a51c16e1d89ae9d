#pragma once
// UTF-8, the form of all text in memory: character boundaries, well-formed
// sequences, decoding one character.
#include <cstddef>
#include <string>
#include <string_view>

namespace zt {

// A byte that continues a multi-byte character (never starts one).
[[nodiscard]] constexpr bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when the byte there
// does not start one (overlong forms, surrogates and values past U+10FFFF are
// rejected).
[[nodiscard]] size_t utf8SequenceLength(std::string_view s, size_t i);

[[nodiscard]] bool isValidUtf8(std::string_view s);

// Keeps the well-formed sequences and turns every other byte into U+FFFD.
[[nodiscard]] std::string replaceInvalidUtf8(std::string_view s);

// The longest start of s of at most maxBytes that ends on a character boundary.
[[nodiscard]] std::string_view utf8Prefix(std::string_view s, size_t maxBytes);
// The longest end of s of at most maxBytes that starts on a character boundary.
[[nodiscard]] std::string_view utf8Suffix(std::string_view s, size_t maxBytes);

// Raw name bytes. A byte of a file name that belongs to no character (the
// name is neither UTF-8 nor CP932) is held in memory as the code point
// U+DC00 + byte (U+DC80-U+DCFF, as Python's surrogateescape does), in the
// three bytes UTF-8 would give it (ED B2 80 - ED B3 BF). Strict UTF-8 refuses
// that form, so no real character is ever taken for one; the codec writes it
// as "&#56448;"-"&#56575;" and reads it back.
[[nodiscard]] int rawByteAt(std::string_view s, size_t i); // the byte, or -1
void appendRawByte(std::string& out, unsigned char byte);
[[nodiscard]] bool holdsRawBytes(std::string_view s);
// The bytes the file system holds for a name: every raw byte as itself.
[[nodiscard]] std::string nativeBytesOf(std::string_view name);
// For display: a raw byte as U+FFFD, and any other ill-formed byte too.
[[nodiscard]] std::string rawBytesReplaced(std::string_view s);
// Native bytes as text: valid UTF-8 kept and every other byte held as a raw
// byte (bytes that look like a held raw byte are bytes too, so every name
// comes back exactly).
[[nodiscard]] std::string keepBytesRaw(std::string_view s);

// The columns a terminal gives a character: 2 for East Asian wide and
// full-width ones, 0 for combining marks and controls, else 1.
[[nodiscard]] int terminalColumns(char32_t c);
// The longest start of s (on a character boundary) that fits maxColumns.
[[nodiscard]] std::string_view columnsPrefix(std::string_view s, int maxColumns);
[[nodiscard]] int columnsOf(std::string_view s);

// The character at s[pos], moving pos past it; an ill-formed byte reads as
// U+FFFD and moves pos by one.
[[nodiscard]] char32_t decodeUtf8(std::string_view s, size_t& pos);

} // namespace zt
