#pragma once
// Reading what files hold, for checksums: through a buffer of the caller's
// (so any file costs the same memory), each read retried a bounded number of
// times, and a medium that has gone away told apart from a file that cannot
// be read. A damaged disc gives read errors on some files; the reading of
// the others goes on, so only a medium that stops answering ends the job.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace zt {

// How often one read at one offset is tried before the file counts as unreadable.
inline constexpr int kContentReadTries = 3;

enum class ContentStatus {
    Read,      // every byte went to the sink
    NotPlain,  // a link, a device, a pipe: nothing read, nothing wrong
    Failed,    // the file cannot be read (error says why): vanished, refused, EIO
    Gone,      // the medium stopped answering (ENXIO, ENODEV, ENOMEDIUM, ...)
    Cancelled, // the sink asked to stop
};

struct ContentRead {
    ContentStatus status = ContentStatus::Read;
    int error = 0;      // Failed and Gone: the system's error number
    uint64_t bytes = 0; // what was handed to the sink
};

// Takes each piece read; false stops the reading (Cancelled).
using ContentSink = std::function<bool(const char* data, size_t size)>;

// True for the error numbers of a device that is no longer there.
[[nodiscard]] bool isGoneError(int error);

// A folder of the medium, held open while its files are read. Files are
// opened from it without following a link.
class ContentFolder {
  public:
    ContentFolder() = default;
    ~ContentFolder();
    ContentFolder(const ContentFolder&) = delete;
    ContentFolder& operator=(const ContentFolder&) = delete;

    // False with error() set when the folder cannot be opened.
    bool open(const std::filesystem::path& folder);
    // The subfolder `name` (a display name, found as read() finds files) of
    // the folder at parent.
    bool openChild(const std::filesystem::path& parent, std::string_view name);
    // The folder's path as the file system names it.
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    void close();
    [[nodiscard]] int error() const { return error_; }

    // Reads the file `name` (its display name; when no file bears it, the
    // entry whose name displays so is read, for names that are not UTF-8)
    // through buffer into sink.
    ContentRead read(std::string_view name, char* buffer, size_t size, const ContentSink& sink);

  private:
    int openNamed(std::string_view name, int& error);
    std::filesystem::path path_;
    int fd_ = -1;
    int error_ = 0;
};

// The identity of a medium's top folder when the job began, to tell a read
// error of one file from a medium that was taken out.
class MediumWatch {
  public:
    explicit MediumWatch(const std::filesystem::path& top);
    // False once the top folder is gone or is another folder (unmounted).
    [[nodiscard]] bool stillThere() const;

  private:
    std::filesystem::path top_;
    uint64_t device_ = 0, inode_ = 0;
    bool known_ = false;
};

// For the tests: a function asked before every read with the file's path and
// the offset; a non-zero answer is taken as that read's error number.
using ContentReadFault = int (*)(const std::filesystem::path& file, uint64_t offset);
void setContentReadFault(ContentReadFault fault);

} // namespace zt
