#pragma once
// Reading a source (a drive's mount point or any folder) into a folder tree,
// and naming the stock it becomes.
#include "catalogue/foldertree.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct CaptureCallbacks {
    // Called before each folder is listed, with its path: let pending work run,
    // then return false to cancel the capture.
    std::function<bool(const std::filesystem::path& folder)> onFolder;
    // Called for every entry met, with the folder's display path and the entry's
    // display name. Leave empty when nobody shows it: it costs nothing then.
    std::function<void(std::string_view folderPath, std::string_view name)> onEntry;
};

enum class CaptureStatus {
    Completed,    // the tree holds the source
    Cancelled,    // onFolder asked to stop; the tree is emptied
    NothingFound, // the source could not be read or holds nothing; the tree is emptied
};

struct CaptureResult {
    CaptureStatus status = CaptureStatus::Completed;
    int folderCount = 0; // folders met below the root
};

// Replaces tree with the source's file tree: a root named rootText holding the
// source's files, one child folder per folder.
// Symbolic links are never followed (they are listed as files). A folder on
// another file system than the source (a mount point inside it) is kept as an
// empty folder and not entered. A folder that cannot be read is kept without
// contents.
CaptureResult captureTree(const std::filesystem::path& source, std::string rootText,
                          FolderTree& tree, const CaptureCallbacks& callbacks = {});

// The name a stock would get from its root text before uniqueness: see capture.cpp.
[[nodiscard]] std::string stockNameBase(std::string_view rootText);

// A free name for a new stock: the base, else base_2, base_3, ... A name is free
// when the list does not hold it (compared case-insensitively), it can name a
// file in Data and no file Data/<name>.dat is already there.
[[nodiscard]] std::string uniqueStockName(std::string_view base,
                                          const std::vector<std::string>& names,
                                          const std::filesystem::path& dataDir);

// The display name of a folder source: its last component; "/" for the root.
[[nodiscard]] std::string folderDisplayName(std::string_view path);

} // namespace zt
