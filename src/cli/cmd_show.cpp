// show: the contents of one folder of a stock, in the order the window lists them.
#include "browser/contents.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "cli/commands.h"
#include "platform/collate.h"

#include <algorithm>
#include <iostream>

namespace zt::cli {

namespace {

const char* const kShowUsage =
    "usage: zutomelark-cli [--data DIR] show STOCK [FOLDER] [--by-kind]\n"
    "  the contents of FOLDER (written \\a\\b from the stock's top; default the top),\n"
    "  subfolders first and marked with a trailing \\, sorted by name or by kind\n";

// The child named `name`: the exact name first, else one equal but for letter case.
const FolderNode* findChild(const FolderNode& parent, std::string_view name) {
    for (const FolderNode* c : parent.children)
        if (c->name == name) return c;
    for (const FolderNode* c : parent.children)
        if (compareLocaleNoCase(c->name, name) == 0) return c;
    return nullptr;
}

// Walks "\a\b" (or "a\b") from the root; null when a part is missing.
const FolderNode* findFolder(const FolderNode& root, std::string_view path) {
    const FolderNode* node = &root;
    while (node && !path.empty()) {
        const size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
        if (!part.empty()) node = findChild(*node, part);
    }
    return node;
}

} // namespace

int cmdShow(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kShowUsage)) return kOk;
    std::vector<std::string> positional;
    auto arrangement = int8_t(Arrangement::ByName);
    bool unknownOption = false;
    for (const auto& a : args) {
        if (a == "--by-kind")
            arrangement = int8_t(Arrangement::ByKind);
        else if (a.starts_with("--"))
            unknownOption = true;
        else
            positional.push_back(a);
    }
    if (unknownOption || positional.empty() || positional.size() > 2) return usage(kShowUsage);
    const std::string& stock = positional[0];
    const std::string folder = positional.size() > 1 ? positional[1] : std::string();

    const auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;
    const auto path = stockFilePath(dataDir, stock);
    const bool listed = std::find(names->begin(), names->end(), stock) != names->end();
    const auto shownPath = path ? *path : dataDir / (stock + ".dat");
    std::error_code ec;
    if (!listed || !path || !std::filesystem::exists(*path, ec)) {
        error(messageCannotOpen(shownPath));
        return kNothingFound;
    }

    FolderTree tree;
    if (readStockFile(*path, stock, tree).status != StockReadStatus::Completed) {
        error(messageCannotOpen(shownPath));
        return kUsageOrIoError;
    }
    const FolderNode* node = findFolder(*tree.root(), folder);
    if (!node) {
        error("folder not found: " + folder);
        return kNothingFound;
    }

    auto items = listContents(*node, [](std::string_view) { return 2; });
    sortContents(items, arrangement);
    std::string out;
    for (const ContentsItem& item : items) {
        out += item.caption;
        if (item.isFolder()) out += '\\';
        out += '\n';
    }
    std::cout << out;
    return std::cout.good() ? kOk : kUsageOrIoError;
}

} // namespace zt::cli
