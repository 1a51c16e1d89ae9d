#pragma once
// Directory enumeration over opendir/readdir + statx.
#include "platform/filetime.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zt {

// One directory entry.
struct DirEntry {
    std::string name;       // display name, UTF-8
    std::string nativeName; // the bytes the file system holds, for going deeper
    bool isDirectory = false;
    FileTime created; // birth time where the file system keeps one, else zero
    FileTime accessed;
    FileTime modified;
    uint64_t size = 0;
    uint64_t deviceId = 0; // the file system the entry lives on
};

struct DirListing {
    bool opened = false;           // false: the folder could not be read
    int error = 0;                 // then the system's error number
    std::vector<DirEntry> entries; // "." and ".." left out; stable name order
};

// Lists one folder. Symbolic links are never followed: a link is listed as a
// file. Names that are not valid UTF-8 are decoded as CP932 when that works,
// else shown with U+FFFD.
[[nodiscard]] DirListing listDirectory(const std::filesystem::path& dir);

// The file system (device) a path lives on, or 0 when it cannot be read.
[[nodiscard]] uint64_t deviceOf(const std::filesystem::path& p);

// Display name of native file-name bytes (the rule above).
[[nodiscard]] std::string displayNameOfNative(std::string_view nativeName);

} // namespace zt
