#pragma once
// What changed between two readings of one source: folders and files added,
// removed, and files changed (size or modified time). Both trees are walked
// together once, folder by folder; names are matched exactly (the stock's own
// order calls only identical names equal). A file moved between folders is one
// removal and one addition.
#include "catalogue/foldertree.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zt {

struct StockChange {
    enum class Kind { Added, Removed, Changed };
    Kind kind = Kind::Added;
    bool isFolder = false;
    std::vector<std::string> parts; // the names below the stock's top, the item's own last
};

struct StockDiff {
    std::vector<StockChange> changes; // in walk order: a folder's files, then its subfolders
    size_t added = 0, removed = 0, changed = 0;

    [[nodiscard]] bool empty() const { return changes.empty(); }
};

// Changes from `before` to `after` (their top folders are compared, whatever
// their names). Everything below an added or removed folder is listed too.
[[nodiscard]] StockDiff diffTrees(const FolderTree& before, const FolderTree& after);

// "\stock\folder\name" as search results write it.
[[nodiscard]] std::string changePath(std::string_view stock, const StockChange& change);
// The mark a listed change starts with: "+ ", "- " or "~ ".
[[nodiscard]] std::string_view changeMark(StockChange::Kind kind);

} // namespace zt
