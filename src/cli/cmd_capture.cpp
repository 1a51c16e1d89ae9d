#include "capture/capture.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "cli/commands.h"
#include "platform/direnum.h"

#include <iostream>
#include <optional>

namespace zt::cli {

namespace {

const char* const kCaptureUsage =
    "usage: zutomelark-cli [--data DIR] capture PATH [--name NAME]\n"
    "  reads the folder tree under PATH into a new stock, appends it to the stock\n"
    "  list and prints its name. The name is PATH's last component (\"root\" for /)\n"
    "  or NAME; a name already in use gets _2, _3, ...\n";

// An explicit name must already be a usable file name: it is not rewritten.
bool validExplicitName(const std::string& name) {
    if (!isSafeStockName(name) || name.size() > 200) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

} // namespace

int cmdCapture(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kCaptureUsage)) return kOk;
    std::optional<std::string> path, name;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--name" && i + 1 < args.size()) {
            name = args[++i];
        } else if (args[i].starts_with("--name=")) {
            name = args[i].substr(7);
        } else if (!path && !args[i].starts_with("--")) {
            path = args[i];
        } else {
            return usage(kCaptureUsage);
        }
    }
    if (!path || path->empty()) return usage(kCaptureUsage);
    if (name && !validExplicitName(*name)) {
        error("invalid stock name: " + *name);
        return kUsageOrIoError;
    }

    auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;

    // The name as the window shows it: the file system's bytes made into text,
    // so the stock list and the stock file's name agree.
    const std::string rootText = displayNameOfNative(folderDisplayName(*path));
    FolderTree tree;
    const auto result = captureTree(*path, rootText, tree);
    if (result.status != CaptureStatus::Completed) {
        error("無効な読み込み元指定です");
        return kUsageOrIoError;
    }

    const std::string stock =
        uniqueStockName(name ? *name : stockNameBase(rootText), *names, dataDir);
    tree.root()->name = stock;
    const auto file = stockFilePath(dataDir, stock);
    if (!file || !writeStockFile(*file, tree)) {
        error(messageCannotCreate(file ? *file : dataDir / stock));
        return kUsageOrIoError;
    }
    names->push_back(stock);
    if (!saveStockList(dataDir, *names)) {
        // The list would not name the file: take it back rather than leave a stray.
        std::error_code ec;
        std::filesystem::remove(*file, ec);
        error(messageCannotCreate(stockListPath(dataDir)));
        return kUsageOrIoError;
    }
    std::cout << stock << '\n';
    return kOk;
}

} // namespace zt::cli
