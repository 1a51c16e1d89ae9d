// Pieces every command shares: its help, its usage error and the stock list.
#include "catalogue/stocklist.h"
#include "cli/commands.h"

#include <iostream>

namespace zt::cli {

bool helpShown(const Args& args, const char* usageText) {
    if (!wantsHelp(args)) return false;
    std::cout << usageText;
    return true;
}

int usage(const char* usageText) {
    std::cerr << usageText;
    return kUsageOrIoError;
}

std::optional<std::vector<std::string>> loadList(const std::filesystem::path& dataDir) {
    auto names = loadStockList(dataDir);
    if (!names) error(messageCannotOpen(stockListPath(dataDir)));
    return names;
}

} // namespace zt::cli
