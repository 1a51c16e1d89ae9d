#pragma once
// Writing the names of files and folders of a stock to a text file, one bare
// name per line, CP932 with CR LF.
#include "catalogue/foldertree.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace zt {

enum class ExportKind { Files = 0, Folders = 1, Both = 2 };
enum class ExportRange {
    FolderAndBelow = 0, // the selected folder with its subfolders
    FolderOnly = 1,     // the selected folder without its subfolders
    WholeStock = 2,     // every folder from the stock's top node
};

struct ExportOptions {
    ExportKind kind = ExportKind::Files;
    ExportRange range = ExportRange::FolderAndBelow;
    bool stripExtensions = false; // file names only; folder names are always whole
};

// A file name without its last "." and what follows (a.tar.gz -> a.tar); a name
// without "." or whose only "." is its first character (.profile) is returned whole.
[[nodiscard]] std::string_view stripExtension(std::string_view name);

// The file content for an export starting at `selected` (or at the tree's top
// node for the whole stock): a pre-order walk where a folder's files come first,
// then each child folder's name (for folders) followed, when the range includes
// subfolders, by that child's own lines. The start folder's own name is never
// written. Empty when the tree is empty.
[[nodiscard]] std::string fileNameListBytes(const FolderTree& tree, const FolderNode* selected,
                                            const ExportOptions& options);

} // namespace zt
