#pragma once
// What a stock may be called. A stock's name is also the base of its file
// Data/<name>.dat, and Data folders are shared with Windows machines, so a
// name must make a file there as well as here. Where a name's file is (and
// which names may have one) is the catalogue's rule, catalogue/stockpath.h.
#include "catalogue/stockpath.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// The messages of the rename check.
inline constexpr std::string_view kMessageNameBlank = "名前が空欄です";
inline constexpr std::string_view kMessageNameForbidden = "\\ / : , ; * ? \" < > |  は使えません";
inline constexpr std::string_view kMessageNameTaken = "その名前は使われています";

// The characters a new stock name may not hold, in the order the message lists them.
inline constexpr std::string_view kForbiddenNameChars = "\\/:,;*?\"<>|";

// A name no Windows machine can hold as a file: CON, PRN, AUX, NUL, COM1-9 and
// LPT1-9, with or without an extension and in any letter case, and names that
// end in "." or a blank.
[[nodiscard]] bool isWindowsReservedName(std::string_view name);

// True when name holds a control character (U+0000-U+001F, U+007F).
[[nodiscard]] bool hasControlCharacter(std::string_view name);

// True when name equals an entry compared case-insensitively (two such names
// would share one file on a case-blind disk).
[[nodiscard]] bool stockNameTaken(const std::vector<std::string>& names, std::string_view name);

// The name a capture gives its stock before uniqueness: the root text with its
// first ":" removed (drive "C:" gives "C"), made into a name every system can
// hold as a file (see names.cpp).
[[nodiscard]] std::string stockNameBase(std::string_view rootText);

// A free name for a new stock: the base, else base_2, base_3, ... A name is
// free when the list does not hold it (compared case-insensitively), it can
// name a file in Data and no file Data/<name>.dat is already there.
[[nodiscard]] std::string uniqueStockName(std::string_view base,
                                          const std::vector<std::string>& names,
                                          const std::filesystem::path& dataDir);

// True when a and b name one file (the same path, or one file on a case-blind disk).
[[nodiscard]] bool sameStockFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Checks newName for the stock at `index` of names, in this order: blank; a
// forbidden or control character, or a name no Windows machine can hold;
// equal byte for byte to another stock's name. Then, so that no other file is
// ever overwritten: equal to another stock's name but for letter case, a name
// that cannot name a file in Data, or a file Data/<newName>.dat that already
// exists and is not this stock's own. Returns the message of the first
// failure, or an empty string when the name can be used.
[[nodiscard]] std::string validateStockRename(const std::filesystem::path& dataDir,
                                              const std::vector<std::string>& names, int index,
                                              std::string_view newName);

} // namespace zt
