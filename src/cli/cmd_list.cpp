#include "catalogue/stocklist.h"
#include "cli/commands.h"

#include <iostream>

namespace zt::cli {

int cmdList(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, "usage: zutomelark-cli [--data DIR] list\n"
                        "  the stocks in list order, one per line\n"))
        return kOk;
    if (!args.empty()) {
        error("usage: zutomelark-cli list");
        return kUsageOrIoError;
    }
    const auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;
    for (const auto& n : *names)
        std::cout << n << '\n';
    return names->empty() ? kNothingFound : kOk;
}

} // namespace zt::cli
