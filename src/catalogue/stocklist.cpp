#include "catalogue/stocklist.h"
#include "platform/collate.h"
#include "platform/textfile.h"

namespace zt {

bool IsSafeStockName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return false;
    // The program's own files share the folder: a stock must never be written over them.
    const std::string lower = lowerAnsi(name);
    return lower != "stocklist" && lower != "setting";
}

std::optional<std::filesystem::path> StockFilePath(const std::filesystem::path& dataDir,
                                                   std::string_view name) {
    if (!IsSafeStockName(name)) return std::nullopt;
    return dataDir / (std::string(name) + ".dat");
}

std::filesystem::path StockListPath(const std::filesystem::path& dataDir) {
    return dataDir / "StockList.dat";
}

std::optional<std::vector<std::string>> LoadStockList(const std::filesystem::path& dataDir) {
    return readTextLines(StockListPath(dataDir));
}

bool SaveStockList(const std::filesystem::path& dataDir, const std::vector<std::string>& names) {
    TextFileBuilder out;
    for (const auto& n : names)
        out.line(n);
    return writeFileAtomically(StockListPath(dataDir), out.bytes());
}

bool StockNameTaken(const std::vector<std::string>& names, std::string_view name) {
    const std::string wanted = lowerAnsi(name);
    for (const auto& n : names)
        if (lowerAnsi(n) == wanted) return true;
    return false;
}

std::string MessageCannotOpen(const std::filesystem::path& p) {
    return "ファイル " + p.string() + " は開けません";
}

std::string MessageCannotCreate(const std::filesystem::path& p) {
    return "ファイル " + p.string() + " を作成できません";
}

} // namespace zt
