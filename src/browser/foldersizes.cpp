#include "browser/foldersizes.h"

#include <cstdio>
#include <vector>

namespace zt {

FolderSizes::FolderSizes(const FolderTree& tree, const std::function<bool()>& cancelled) {
    std::vector<const FolderNode*> order; // pre-order: every parent before its children
    order.reserve(tree.nodeCount());
    tree.forEachPreOrder([&order](FolderNode& n) {
        order.push_back(&n);
        return true;
    });
    totals_.reserve(order.size());
    size_t sinceAsked = 0;
    for (const FolderNode* n : order) {
        FolderTotal own;
        for (const FileRecord* f = n->firstFile; f; f = f->next) {
            own.bytes += f->size;
            ++own.files;
        }
        sinceAsked += size_t(n->fileCount) + 1;
        if (cancelled && sinceAsked >= 4096) {
            sinceAsked = 0;
            if (cancelled()) {
                totals_.clear();
                return;
            }
        }
        totals_.emplace(n, own);
    }
    // Children after their parents in pre-order, so going backwards adds each
    // folder's finished total into its parent.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!(*it)->parent) continue;
        const FolderTotal child = totals_[*it];
        FolderTotal& parent = totals_[(*it)->parent];
        parent.bytes += child.bytes;
        parent.files += child.files;
    }
}

FolderTotal FolderSizes::of(const FolderNode& node) const {
    const auto it = totals_.find(&node);
    return it == totals_.end() ? FolderTotal{} : it->second;
}

int shareThousandths(uint64_t part, uint64_t whole) {
    if (whole == 0) return 0;
    const long double share = static_cast<long double>(part) / static_cast<long double>(whole);
    return int(share * 1000 + 0.5L);
}

} // namespace zt

namespace zt {

std::string shortSizeText(uint64_t bytes) {
    static const char* const units[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double v = double(bytes);
    int unit = 0;
    while (v >= 1000 && unit < 6) {
        v /= 1024;
        ++unit;
    }
    // "1000 KB" reads worse than "0.98 MB": below 1 in the next unit, keep two decimals.
    char buf[32];
    std::snprintf(buf, sizeof buf,
                  v < 10    ? "%.2f %s"
                  : v < 100 ? "%.1f %s"
                            : "%.0f %s",
                  v, units[unit]);
    return buf;
}

std::string shareText(int thousandths) {
    return std::to_string(thousandths / 10) + "." + std::to_string(thousandths % 10) + "%";
}

} // namespace zt
