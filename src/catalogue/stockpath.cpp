#include "catalogue/stockpath.h"

#include "platform/collate.h"

#include <string>

namespace zt {

bool isSafeStockName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > kMaxStockNameBytes)
        return false;
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

} // namespace zt
