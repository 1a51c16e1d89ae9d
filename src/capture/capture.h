#pragma once
// Reading a source (a drive's mount point or any folder) into a folder tree,
// and naming the stock it becomes.
#include "catalogue/foldertree.h"
#include "image/imagereader.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct CaptureCallbacks {
    // Asked before each folder is listed, with its path: let pending work run,
    // then return true to cancel the capture.
    std::function<bool(const std::filesystem::path& folder)> cancelled;
    // Called for every entry met, with the folder's display path and the entry's
    // display name. Leave empty when nobody shows it: it costs nothing then.
    std::function<void(std::string_view folderPath, std::string_view name)> onEntry;
    // Called once the whole source was read, before the stock is written (the
    // stock library's capture calls it; the reading itself does not).
    std::function<void()> onStoring;
};

enum class CaptureStatus {
    Completed,    // the tree holds the source
    Cancelled,    // the cancel check asked to stop; the tree is emptied
    NothingFound, // the source could not be read or holds nothing; the tree is emptied
    NotAnImage,   // a file (or device) that holds no file system known here; the tree is emptied
};

struct CaptureResult {
    CaptureStatus status = CaptureStatus::Completed;
    int folderCount = 0; // folders met below the root
    // Folders on another file system than the source's (mount points): kept
    // empty, not read. The faces tell the user when there were any.
    int otherFileSystemFolders = 0;
    std::string error;   // NothingFound: the system's reason when the source could not be read
    // An image (or a disc read as one): its volume's facts.
    std::optional<ImageVolume> image;
    // Some of an image could not be read (truncated, damaged): the tree holds
    // what could be read, `problem` says why the rest could not.
    bool incomplete = false;
    std::string problem;
};

// Replaces tree with the source's file tree: a root named rootText holding the
// source's files, one child folder per folder.
// Symbolic links are never followed (they are listed as files), also when a
// folder is swapped for one while the capture runs. A folder on another file
// system than the source (a mount point inside it) is kept as an empty folder
// and not entered (and counted). A folder that cannot be read is kept without
// contents.
CaptureResult captureTree(const std::filesystem::path& source, std::string rootText,
                          FolderTree& tree, const CaptureCallbacks& callbacks = {});

// Reads the file system inside an image file or a device into tree, as
// captureTree reads a folder: the same records in the same order. The root is
// named after the volume label, else the image's file name without its
// extension (the stock name is made from it).
CaptureResult captureImage(const std::filesystem::path& image, FolderTree& tree,
                           const CaptureCallbacks& callbacks = {});

// A folder through captureTree, an image file or a device through
// captureImage (rootText is then only used for a folder).
CaptureResult captureSource(const std::filesystem::path& source, std::string rootText,
                            FolderTree& tree, const CaptureCallbacks& callbacks = {});

// "ディスクイメージとして読めません: %s"
[[nodiscard]] std::string messageNotAnImage(std::string_view path);

// The display name of a folder source: its last component; "/" for the root.
[[nodiscard]] std::string folderDisplayName(std::string_view path);

} // namespace zt
