// How long comparing two readings of a large stock takes (update in place):
// two trees of about a million records, one with 1 % of its files changed,
// moved or removed and some added.
#include "library/stockdiff.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace zt;

// Files are added folder by folder, as reading a stock file or a source does.
void build(FolderTree& tree, unsigned seed, bool mutate) {
    std::mt19937 rng(seed);
    std::mt19937 change(99);
    std::vector<FolderNode*> folders{tree.addRoot("big")};
    for (int i = 1; i < 50000; ++i)
        folders.push_back(
            tree.addChild(folders[size_t(rng() % folders.size())], "folder" + std::to_string(i)));
    for (FolderNode* at : folders) {
        for (int i = 0; i < 19; ++i) {
            const std::string name = "file_" + std::to_string(rng()) + ".dat";
            const uint64_t size = rng() % 100000;
            const unsigned roll = mutate ? change() % 200 : 1;
            if (roll == 0) continue;                                      // removed
            tree.addFile(at, name)->size = roll == 100 ? size + 1 : size; // changed
            if (roll == 50) tree.addFile(at, "new_" + name);              // added
        }
    }
}

} // namespace

int main() {
    FolderTree before, after;
    build(before, 1, false);
    build(after, 1, true);
    std::printf("records: %zu folders + %zu files each\n", before.nodeCount(), before.fileCount());
    double best = 1e9;
    size_t changes = 0;
    for (int run = 0; run < 5; ++run) {
        const auto t = std::chrono::steady_clock::now();
        const StockDiff d = diffTrees(before, after);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        best = std::min(best, s);
        changes = d.changes.size();
    }
    std::printf("diff: %.3f s (best of 5), %zu changes\n", best, changes);
    return 0;
}
