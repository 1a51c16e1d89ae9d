// export, rename, delete and move: the stock operations of the window, without it.
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "cli/commands.h"
#include "manage/export.h"
#include "manage/stockops.h"

#include <optional>

namespace zt::cli {

namespace {

const char* const kExportUsage =
    "usage: zutomelark-cli [--data DIR] export STOCK OUT [--folder \\a\\b]\n"
    "       [--kind files|folders|both] [--range tree|folder|stock] [--strip-ext]\n"
    "  writes the names of files and/or folders of STOCK to the text file OUT\n"
    "  --folder     the start folder, from the stock's top (default: the top)\n"
    "  --kind       what to write (default files)\n"
    "  --range      tree: the folder with its subfolders (default); folder: the\n"
    "               folder alone; stock: the whole stock\n"
    "  --strip-ext  file names without their last extension\n";
const char* const kRenameUsage = "usage: zutomelark-cli [--data DIR] rename OLD NEW\n"
                                 "  renames the stock OLD (its file and its list entry) to NEW\n";
const char* const kDeleteUsage =
    "usage: zutomelark-cli [--data DIR] delete STOCK\n"
    "  deletes the stock file and removes STOCK from the list, without asking\n";
const char* const kMoveUsage =
    "usage: zutomelark-cli [--data DIR] move STOCK up|down\n"
    "  moves STOCK one place in the list; exit 1 when it is already first/last\n";

// Index of the first entry equal to name, or -1 after reporting it missing.
int findStock(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return int(i);
    error("no such stock: " + name);
    return -1;
}

bool saveList(const std::filesystem::path& dataDir, const std::vector<std::string>& names) {
    if (saveStockList(dataDir, names)) return true;
    error(messageCannotCreate(stockListPath(dataDir)));
    return false;
}

// Loads a stock's folder tree, sorted as the window shows it when asked.
bool loadStock(const std::filesystem::path& dataDir, const std::string& name, FolderTree& tree,
               bool sorted) {
    const auto path = stockFilePath(dataDir, name);
    if (!path || readStockFile(*path, name, tree).status != StockReadStatus::Completed) {
        error(messageCannotOpen(path ? *path : dataDir / (name + ".dat")));
        return false;
    }
    if (sorted) tree.sortAll();
    return true;
}

// The folder "\a\b" below the top node; "" and "\" are the top node itself.
const FolderNode* findFolder(const FolderTree& tree, std::string_view path) {
    const FolderNode* node = tree.root();
    while (node && !path.empty()) {
        if (path.front() == '\\') {
            path.remove_prefix(1);
            continue;
        }
        const size_t end = path.find('\\');
        const std::string_view part = path.substr(0, end);
        const FolderNode* found = nullptr;
        for (const FolderNode* c : node->children)
            if (c->name == part) {
                found = c;
                break;
            }
        node = found;
        path = end == std::string_view::npos ? std::string_view{} : path.substr(end);
    }
    return node;
}

} // namespace

int cmdExport(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kExportUsage)) return kOk;
    std::vector<std::string> positional;
    std::string folder;
    ExportOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--strip-ext") {
            options.stripExtensions = true;
        } else if (a == "--folder" && hasValue) {
            folder = args[++i];
        } else if (a == "--kind" && hasValue) {
            const auto kind = pickWord<ExportKind>(args[++i], {{"files", ExportKind::Files},
                                                               {"folders", ExportKind::Folders},
                                                               {"both", ExportKind::Both}});
            if (!kind) return usage(kExportUsage);
            options.kind = *kind;
        } else if (a == "--range" && hasValue) {
            const auto range =
                pickWord<ExportRange>(args[++i], {{"tree", ExportRange::FolderAndBelow},
                                                  {"folder", ExportRange::FolderOnly},
                                                  {"stock", ExportRange::WholeStock}});
            if (!range) return usage(kExportUsage);
            options.range = *range;
        } else if (a.starts_with("--")) {
            return usage(kExportUsage);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return usage(kExportUsage);

    const auto names = loadList(dataDir);
    if (!names || findStock(*names, positional[0]) < 0) return kUsageOrIoError;
    FolderTree tree;
    if (!loadStock(dataDir, positional[0], tree, true)) return kUsageOrIoError;
    const FolderNode* start = findFolder(tree, folder);
    if (!start) {
        error("no such folder: " + folder);
        return kUsageOrIoError;
    }
    const std::filesystem::path out = positional[1];
    if (!writeFileNameList(out, tree, start, options)) {
        error(messageCannotCreate(out));
        return kUsageOrIoError;
    }
    return kOk;
}

int cmdRename(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kRenameUsage)) return kOk;
    if (args.size() != 2) return usage(kRenameUsage);
    const std::string& oldName = args[0];
    const std::string& newName = args[1];

    auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;
    const int index = findStock(*names, oldName);
    if (index < 0) return kUsageOrIoError;
    if (const std::string message = validateStockRename(dataDir, *names, index, newName);
        !message.empty()) {
        error(message);
        return kUsageOrIoError;
    }
    FolderTree tree;
    // Unsorted: the file keeps its folder order.
    if (!loadStock(dataDir, oldName, tree, false)) return kUsageOrIoError;
    tree.root()->name = newName;

    // The list first, then the files (new one written before the old one goes):
    // when the files cannot be renamed the list is put back, so the list always
    // names a stock whose file exists.
    (*names)[size_t(index)] = newName;
    if (!saveList(dataDir, *names)) return kUsageOrIoError;
    if (renameStockFile(dataDir, oldName, newName, tree) != RenameStatus::Renamed) {
        error(messageCannotCreate(*stockFilePath(dataDir, newName)));
        (*names)[size_t(index)] = oldName;
        (void)saveList(dataDir, *names);
        return kUsageOrIoError;
    }
    return kOk;
}

int cmdDelete(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kDeleteUsage)) return kOk;
    if (args.size() != 1) return usage(kDeleteUsage);
    auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;
    const int index = findStock(*names, args[0]);
    if (index < 0) return kUsageOrIoError;
    names->erase(names->begin() + index);
    // The list first: a stock file without a list entry is harmless, the reverse is not.
    if (!saveList(dataDir, *names)) return kUsageOrIoError;
    deleteStockFile(dataDir, args[0]);
    return kOk;
}

int cmdMove(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kMoveUsage)) return kOk;
    if (args.size() != 2 || (args[1] != "up" && args[1] != "down")) return usage(kMoveUsage);
    auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;
    const int index = findStock(*names, args[0]);
    if (index < 0) return kUsageOrIoError;
    const auto dir = args[1] == "up" ? MoveDirection::Up : MoveDirection::Down;
    if (!moveStock(*names, index, dir)) return kNothingFound;
    return saveList(dataDir, *names) ? kOk : kUsageOrIoError;
}

} // namespace zt::cli
