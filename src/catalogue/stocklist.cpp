#include "catalogue/stocklist.h"
#include "platform/collate.h"
#include "platform/textfile.h"

namespace zt {

bool isSafeStockName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return false;
    // The program's own files share the folder: a stock must never be written over them.
    const std::string lower = lowerAnsi(name);
    return lower != "stocklist" && lower != "setting";
}

std::optional<std::filesystem::path> stockFilePath(const std::filesystem::path& dataDir,
                                                   std::string_view name) {
    if (!isSafeStockName(name)) return std::nullopt;
    return dataDir / (std::string(name) + ".dat");
}

std::filesystem::path stockListPath(const std::filesystem::path& dataDir) {
    return dataDir / "StockList.dat";
}

std::optional<std::vector<std::string>> loadStockList(const std::filesystem::path& dataDir) {
    return readTextLines(stockListPath(dataDir));
}

bool saveStockList(const std::filesystem::path& dataDir, const std::vector<std::string>& names) {
    TextFileBuilder out;
    for (const auto& n : names)
        out.line(n);
    return writeFileAtomically(stockListPath(dataDir), out.bytes());
}

bool stockNameTaken(const std::vector<std::string>& names, std::string_view name) {
    const std::string wanted = lowerAnsi(name);
    for (const auto& n : names)
        if (lowerAnsi(n) == wanted) return true;
    return false;
}

std::string messageCannotOpen(const std::filesystem::path& p) {
    return "ファイル " + p.string() + " は開けません";
}

std::string messageCannotCreate(const std::filesystem::path& p) {
    return "ファイル " + p.string() + " を作成できません";
}

} // namespace zt
