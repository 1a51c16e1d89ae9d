#pragma once
// The contents of one folder as the contents list shows them: subfolders
// (image 1) and files (their type image), and the two arrangements.
#include "catalogue/foldertree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

enum class Arrangement : int8_t { ByName = 0, ByKind = 1 };

struct ContentsItem {
    std::string_view caption;           // points into the node's text or the record's name
    int imageIndex = 1;                 // 1 = folder; a folder is exactly an item with image 1
    const FolderNode* folder = nullptr; // the subfolder, for folder items (not owned)
    const FileRecord* file = nullptr;   // the record, for file items (not owned)

    [[nodiscard]] bool isFolder() const { return imageIndex == 1; }
};

// What follows the last "." of a caption; a caption without "." is its own kind.
[[nodiscard]] std::string_view kindOf(std::string_view caption);

// Told how many files were listed so far (every few dozen files), asked
// whether the listing is to stop: true stops it.
using ListingCancelled = std::function<bool(int filesListed)>;

// The items of node: children in tree order (image 1), then files in list
// order with imageOf(name) as their image. A listing stopped by `cancelled`
// returns what it had so far; *stopped (when given) says so.
[[nodiscard]] std::vector<ContentsItem>
listContents(const FolderNode& node, const std::function<int(std::string_view)>& imageOf,
             const ListingCancelled& cancelled = {}, bool* stopped = nullptr);

// The list's comparison: -1 puts a first, +1 puts b first, never 0. Folders
// first; then by case-blind locale comparison of the captions (by name) or of
// the kinds, then captions (by kind); equal captions give -1.
[[nodiscard]] int compareContents(const ContentsItem& a, const ContentsItem& b,
                                  Arrangement arrangement);

// Sorts items with compareContents (made fast with precomputed sort keys).
// Arrangement values other than ByName and ByKind (a settings file may hold
// any byte) sort by name.
void sortContents(std::vector<ContentsItem>& items, Arrangement arrangement);

// The locale sort keys of one list's captions and kinds, made once and kept
// in step with the list, so a list sorted again (another arrangement) does
// not make them anew.
class ContentsKeys {
  public:
    ContentsKeys();
    explicit ContentsKeys(const std::vector<ContentsItem>& items);
    ~ContentsKeys();
    ContentsKeys(ContentsKeys&&) noexcept;
    ContentsKeys& operator=(ContentsKeys&&) noexcept;

    // Sorts items as sortContents does. items must be the list the keys were
    // made from, in the order the last sort through these keys left it.
    void sort(std::vector<ContentsItem>& items, Arrangement arrangement);
    [[nodiscard]] size_t size() const;

  private:
    struct Data;
    std::unique_ptr<Data> data_;
};

} // namespace zt
