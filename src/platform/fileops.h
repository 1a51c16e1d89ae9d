#pragma once
// The file operations the core needs beyond reading and saving whole files:
// what identifies a file's contents, reading at an offset, a second name for
// a file, the space of a volume, the clock.
#include "platform/filetime.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

// What tells one state of a plain file from another: its size and its
// modification time in nanoseconds, and which file it is (device and inode)
// and when that file last changed in any way (its change time, which no
// program can set back): a rewrite that keeps the size and puts the old
// modification time back, or another file moved in its place, still differs.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t device = 0, inode = 0;
    int64_t changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Which file a name stands for, and in which state: what tells a stock read
// earlier from one written since under the same name (even by a rename or
// a delete and a new file, which may reuse size and time).
struct FileIdentity {
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of a plain file (a symbolic link is followed); nullopt otherwise.
[[nodiscard]] std::optional<FileIdentity> fileIdentity(const std::filesystem::path& p);

// The stamp of a plain file (a symbolic link is followed); nullopt otherwise.
[[nodiscard]] std::optional<FileStamp> fileStamp(const std::filesystem::path& p);

// A plain file opened for reads at given offsets.
class RandomAccessFile {
  public:
    explicit RandomAccessFile(const std::filesystem::path& p);
    // A descriptor already open for reading, which the object then owns.
    struct Adopt {
        int fd;
    };
    explicit RandomAccessFile(Adopt open) : fd_(open.fd) {}
    ~RandomAccessFile();
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    [[nodiscard]] bool ok() const { return fd_ >= 0; }
    // The stamp of the file opened (not of whatever bears its name now).
    [[nodiscard]] std::optional<FileStamp> stamp() const;
    // Up to `size` bytes from `offset` into out (fewer at the end of the
    // file); false on a read error.
    bool readAt(uint64_t offset, size_t size, std::string& out) const;
    // The same into memory of the caller's; the number of bytes read, or -1.
    [[nodiscard]] int64_t readInto(uint64_t offset, char* to, size_t size) const;
    // The size of a plain file or a block device (a disc in its drive, a
    // disk); nullopt for anything else (a folder, a pipe, a terminal).
    [[nodiscard]] std::optional<uint64_t> fileOrDeviceSize() const;
    // The open descriptor, for a library that reads through one itself.
    [[nodiscard]] int descriptor() const { return fd_; }
    // A file of these bytes that lives in memory only (a fuzz target hands
    // its input to a reader of files this way).
    [[nodiscard]] static RandomAccessFile inMemory(std::string_view bytes);
    RandomAccessFile(RandomAccessFile&& other) noexcept;

  private:
    RandomAccessFile() = default;
    int fd_ = -1;
};

// True when the folder exists and this process may create files in it.
[[nodiscard]] bool folderWritable(const std::filesystem::path& folder);

// True when anything, even a dangling symbolic link, bears the name.
[[nodiscard]] bool existsInAnyForm(const std::filesystem::path& p);

// A new file `to` with the bytes of `from`: a second link where the file
// system has them (instant, the bytes untouched), else a copy written whole
// before it takes the name. Never replaces an existing `to`.
bool linkOrCopyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames a file, replacing what bears the new name; false on failure.
bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to);

struct VolumeSpace {
    uint64_t size = 0, free = 0; // bytes; free: what a user may still write
};
[[nodiscard]] std::optional<VolumeSpace> volumeSpace(const std::filesystem::path& p);

[[nodiscard]] FileTime nowFileTime();

// Whether standard error is a terminal (progress is shown only there).
[[nodiscard]] bool standardErrorIsTerminal();

// The width in columns of the terminal on standard error; 0 when unknown.
// The first call starts watching for resizes (SIGWINCH), and later calls ask
// the terminal again only after one.
[[nodiscard]] int standardErrorColumns();

// Gives a closed standard descriptor (0, 1 or 2) /dev/null, so that no file
// the program opens later takes its number and receives its output. Standard
// output gets it read-only: a write to it still fails (EBADF) and is reported.
void guardStandardDescriptors();

} // namespace zt
