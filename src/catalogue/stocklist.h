#pragma once
// The stock list file Data/StockList.dat: one stock name per line, in list
// order, CP932 with CR LF.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zt {

[[nodiscard]] std::filesystem::path stockListPath(const std::filesystem::path& dataDir);

// Lines of Data/StockList.dat; nullopt when the file cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>>
loadStockList(const std::filesystem::path& dataDir);

// Writes the names, replacing the file atomically. False when it cannot be created.
[[nodiscard]] bool saveStockList(const std::filesystem::path& dataDir,
                                 const std::vector<std::string>& names);

} // namespace zt
