// zutomelark-cli: the catalogue without a window, for scripts and machines
// without a display. Same Data folder rules, same code, same files as the window.
#include "cli/commands.h"
#include "platform/datadir.h"

#include <cstring>
#include <iostream>
#include <map>

namespace {

const char* const kUsage =
    "usage: zutomelark-cli [--data DIR] COMMAND [ARGS...]\n"
    "\n"
    "commands:\n"
    "  list                                  stocks in list order\n"
    "  show STOCK [FOLDER] [--by-kind]       contents of a folder (FOLDER as \\a\\b)\n"
    "  capture PATH [--name NAME]            read PATH into a new stock\n"
    "  search TEXT [--mode contains|exact|prefix|suffix] [--case]\n"
    "         [--target all|files|folders] [--stock NAME]... [--csv FILE]\n"
    "  export STOCK OUT [--folder \\a\\b] [--kind files|folders|both]\n"
    "         [--range tree|folder|stock] [--strip-ext]\n"
    "  rename OLD NEW                        rename a stock\n"
    "  delete STOCK                          delete a stock (asks nothing)\n"
    "  move STOCK up|down                    move a stock in the list\n"
    "\n"
    "Data folder: --data DIR, else $ZUTOMELARK_DATA, else Data beside the program,\n"
    "else $XDG_DATA_HOME/zutomelark/Data.\n"
    "Exit status: 0 success, 1 nothing found, 2 usage or I/O error.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace zt;
    std::optional<std::filesystem::path> dataArg;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0) {
            if (i + 1 >= argc) {
                std::cerr << kUsage;
                return cli::kUsageOrIoError;
            }
            dataArg = argv[++i];
        } else if (std::strncmp(argv[i], "--data=", 7) == 0) {
            dataArg = argv[i] + 7;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return cli::kOk;
        } else {
            break;
        }
    }
    if (i >= argc) {
        std::cerr << kUsage;
        return cli::kUsageOrIoError;
    }
    const std::string command = argv[i++];
    const cli::Args args(argv + i, argv + argc);

    using Fn = int (*)(const std::filesystem::path&, const cli::Args&);
    static const std::map<std::string, Fn> commands = {
        {"list", cli::cmdList},     {"show", cli::cmdShow},     {"capture", cli::cmdCapture},
        {"search", cli::cmdSearch}, {"export", cli::cmdExport}, {"rename", cli::cmdRename},
        {"delete", cli::cmdDelete}, {"move", cli::cmdMove},
    };
    const auto it = commands.find(command);
    if (it == commands.end()) {
        std::cerr << "unknown command: " << command << "\n" << kUsage;
        return cli::kUsageOrIoError;
    }

    const auto dataDir = resolveDataDir(dataDirInputsFromEnvironment(dataArg));
    if (!seedDataDir(dataDir)) {
        cli::error("Data folder cannot be created: " + dataDir.string());
        return cli::kUsageOrIoError;
    }
    return it->second(dataDir, args);
}

namespace zt::cli {

void error(const std::string& message) {
    std::cerr << message << '\n';
}

bool wantsHelp(const Args& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

} // namespace zt::cli
