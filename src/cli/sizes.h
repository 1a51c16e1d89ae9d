#pragma once
// What `show --sizes` and `show --sort size` print: each item with its bytes
// (a folder's the total below it) and its share of the folder.
#include "browser/contents.h"
#include "browser/foldersizes.h"

#include <string>
#include <vector>

namespace zt::cli {

// Puts the larger first; equal sizes keep their order.
void sortBySize(std::vector<ContentsItem>& items, const FolderSizes& sizes);

// The lines of show: "bytes<TAB>share<TAB>name" (a folder's name ending in
// "\") when withSizes, else the plain lines; JSON objects gain "total" and
// "share" (thousandths).
[[nodiscard]] std::string sizedLines(const std::vector<ContentsItem>& items,
                                     const FolderSizes& sizes, uint64_t folderBytes, bool json);

} // namespace zt::cli
