#include "catalogue/stocklist.h"
#include "platform/textfile.h"

namespace zt {

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

} // namespace zt
