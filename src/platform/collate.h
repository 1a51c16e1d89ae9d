#pragma once
// Locale comparison of names, for Japanese, on ICU.
#include <string>
#include <string_view>

namespace zt {

// Case-sensitive locale comparison (the tree order, exact search match, the
// name and path sort of results): a < A < b < B; あ/ア/ｱ and ABC/ＡＢＣ differ.
// Returns <0, 0 or >0.
[[nodiscard]] int compareLocale(std::string_view a, std::string_view b);

// Case-blind locale comparison: compareLocale of both texts after lowerAnsi.
[[nodiscard]] int compareLocaleNoCase(std::string_view a, std::string_view b);

// A byte string whose memcmp order equals compareLocale order (for sorting many names).
[[nodiscard]] std::string localeSortKey(std::string_view utf8);

// Lower-case conversion of the Japanese ANSI code page: ASCII A-Z and the
// full-width Latin, Greek and Cyrillic capitals of CP932 become lower case, one
// character for one; nothing else changes and no character is ever split.
[[nodiscard]] std::string lowerAnsi(std::string_view utf8);
void lowerAnsiInPlace(std::string& utf8);

} // namespace zt
