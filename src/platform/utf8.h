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

// The character at s[pos], moving pos past it; an ill-formed byte reads as
// U+FFFD and moves pos by one.
[[nodiscard]] char32_t decodeUtf8(std::string_view s, size_t& pos);

} // namespace zt
