#pragma once
// Where a stock's file is: Data/<name>.dat. Every reader and writer of a stock
// file finds it through this one rule, so no name from a list (which anyone
// may have edited) ever reaches a file outside the Data folder or over the
// program's own files.
#include <filesystem>
#include <optional>
#include <string_view>

namespace zt {

// The longest name whose file name (with ".dat") a file system still takes.
inline constexpr size_t kMaxStockNameBytes = 251;

// A name that can name a file inside Data: not empty, no "/", no NUL, not "."
// or "..", not the program's own files (StockList, Setting, in any letter
// case) and not too long for a file name. Other names (from a hand-edited
// list) are shown but never touch a file.
[[nodiscard]] bool isSafeStockName(std::string_view name);

// Data/<name>.dat, or nullopt for an unsafe name.
[[nodiscard]] std::optional<std::filesystem::path>
stockFilePath(const std::filesystem::path& dataDir, std::string_view name);

} // namespace zt
