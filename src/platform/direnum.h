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
    uint64_t inode = 0;    // with deviceId, which file or folder it was when listed
};

struct DirListing {
    bool opened = false;           // false: the folder could not be read
    int error = 0;                 // then the system's error number
    std::vector<DirEntry> entries; // "." and ".." left out; stable name order
};

// Lists one folder. Symbolic links are never followed: a link is listed as a
// file. Names that are not valid UTF-8 are decoded as CP932 when that works,
// else their stray bytes are held as raw bytes (platform/utf8.h).
[[nodiscard]] DirListing listDirectory(const std::filesystem::path& dir);

// A folder held open. What lies below it is reached through it, one name at a
// time, never again through a path that someone may change meanwhile.
class OpenFolder {
  public:
    enum class Child {
        Opened,     // the folder that was listed
        NotAFolder, // now a link or a file: not followed
        Replaced,   // another folder (or file system) took its name: not entered
        Failed,     // gone or unreadable (error() says why)
    };

    OpenFolder() = default;
    // The folder at dir; a link given as dir itself is followed.
    [[nodiscard]] static OpenFolder open(const std::filesystem::path& dir);
    ~OpenFolder();
    OpenFolder(OpenFolder&& other) noexcept;
    OpenFolder& operator=(OpenFolder&& other) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    [[nodiscard]] int error() const { return error_; } // why it is not open
    [[nodiscard]] uint64_t device() const { return device_; }
    [[nodiscard]] uint64_t inode() const { return inode_; }
    void close();

    // Its entries (as listDirectory gives them).
    [[nodiscard]] DirListing list() const;
    // The folder listed here as entry, opened without following a link and
    // only while it is still that folder (same device and inode).
    [[nodiscard]] OpenFolder openChild(const DirEntry& entry, Child& status) const;
    // Its parent, when that is still the folder of this device and inode.
    [[nodiscard]] OpenFolder openParent(uint64_t device, uint64_t inode) const;
    // The entry of that name as it is now (a link's own values); false when gone.
    bool entryNow(const std::string& nativeName, DirEntry& out) const;

  private:
    OpenFolder openAt(const char* name, uint64_t device, uint64_t inode, Child& status) const;
    int fd_ = -1;
    int error_ = 0;
    uint64_t device_ = 0, inode_ = 0;
};

// The file system (device) a path lives on, or 0 when it cannot be read.
[[nodiscard]] uint64_t deviceOf(const std::filesystem::path& p);

// Display name of native file-name bytes (the rule above).
[[nodiscard]] std::string displayNameOfNative(std::string_view nativeName);

} // namespace zt
