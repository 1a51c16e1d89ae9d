#pragma once
// The stock list file Data/StockList.dat (one stock name per line) and the
// rules that keep every stock file inside the Data folder.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// A stock name can name a file inside Data: not empty, no "/", no NUL, not "." or
// "..", and not the name of the program's own files (StockList, Setting, in any
// letter case). Other names (a hand-edited list) are shown but never touch a file.
[[nodiscard]] bool isSafeStockName(std::string_view name);

// Data/<name>.dat, or nullopt for an unsafe name.
[[nodiscard]] std::optional<std::filesystem::path>
stockFilePath(const std::filesystem::path& dataDir, std::string_view name);

[[nodiscard]] std::filesystem::path stockListPath(const std::filesystem::path& dataDir);

// Lines of Data/StockList.dat; nullopt when the file cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>>
loadStockList(const std::filesystem::path& dataDir);

// Writes the names, replacing the file atomically. False when it cannot be created.
[[nodiscard]] bool saveStockList(const std::filesystem::path& dataDir,
                                 const std::vector<std::string>& names);

// True when name equals an entry compared case-insensitively (the capture's rule).
[[nodiscard]] bool stockNameTaken(const std::vector<std::string>& names, std::string_view name);

// The texts of the two file messages, with the path put in.
[[nodiscard]] std::string
messageCannotOpen(const std::filesystem::path& p); // ファイル %s は開けません
[[nodiscard]] std::string
messageCannotCreate(const std::filesystem::path& p); // ファイル %s を作成できません

} // namespace zt
