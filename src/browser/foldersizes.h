#pragma once
// Every folder's total bytes and file count (its files and everything below
// it), made in one pass over a stock's tree. The size map, the size columns
// and `show --sizes` ask it per folder; nothing walks a subtree per question.
#include "catalogue/foldertree.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace zt {

struct FolderTotal {
    uint64_t bytes = 0;
    uint64_t files = 0;
};

class FolderSizes {
  public:
    FolderSizes() = default;
    // One pass over tree, without recursion (a stock may be nested very deep).
    // `cancelled`, when given, is asked every few thousand files; a pass it
    // stops leaves the totals empty.
    explicit FolderSizes(const FolderTree& tree, const std::function<bool()>& cancelled = {});

    // The total of node; zero for a folder the pass did not see.
    [[nodiscard]] FolderTotal of(const FolderNode& node) const;
    [[nodiscard]] uint64_t bytesOf(const FolderNode& node) const { return of(node).bytes; }
    [[nodiscard]] bool empty() const { return totals_.empty(); }

  private:
    std::unordered_map<const FolderNode*, FolderTotal> totals_;
};

// What part of whole `part` is, in thousandths (0..1000), rounded; 0 when the
// whole is 0.
[[nodiscard]] int shareThousandths(uint64_t part, uint64_t whole);

} // namespace zt

namespace zt {

// A size for a glance: "0 B", "999 B", "1.00 KB", "12.3 MB", "0.98 MB" (units of
// 1024, three figures), as size tools show them.
[[nodiscard]] std::string shortSizeText(uint64_t bytes);
// A share in thousandths as a percentage with one decimal: "45.6%".
[[nodiscard]] std::string shareText(int thousandths);

} // namespace zt
