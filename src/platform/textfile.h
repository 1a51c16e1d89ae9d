#pragma once
// Reading and writing the program's text files: CP932 through the one codec,
// CR LF line ends on writing, CR LF or bare LF accepted on reading.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// Whole file as raw bytes; nullopt when it cannot be opened or read, or is not
// a plain file (a folder, a pipe, a device).
[[nodiscard]] std::optional<std::string> readFileBytes(const std::filesystem::path& p);

// The bytes of an open descriptor that must be a plain file, at most maxBytes
// of them; nullopt when it is not a plain file or cannot be read.
[[nodiscard]] std::optional<std::string> readPlainFile(int fd, size_t maxBytes = SIZE_MAX);

// Splits raw bytes into lines (CR LF or LF; a last line without end counts),
// each bounded as boundLine (platform/piecereader.h) bounds it. Returns views
// into bytes, still in CP932.
class LineCursor {
  public:
    explicit LineCursor(std::string_view bytes) : rest_(bytes) {}
    // Next raw line without its end; false at end of input.
    bool next(std::string_view& line);
    [[nodiscard]] bool atEnd() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

// All lines of a file decoded to UTF-8, read piece by piece and bounded like
// LineCursor's; nullopt when it cannot be opened or read.
[[nodiscard]] std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& p);

// Writes bytes to a temporary file beside p, flushes it to disk and renames it
// over p, so a crash or a full disk never leaves p half-written. False on any failure
// (the temporary file is then removed and p is unchanged). When p is a symbolic
// link to a plain file, that file is replaced and the link kept; a link to
// anything else (a device, a pipe, a folder) fails.
[[nodiscard]] bool writeFileAtomically(const std::filesystem::path& p, std::string_view bytes);

// Writes bytes to a file the user chose, in place: the path is opened for
// writing (created or emptied), so a link is written through, a device or pipe
// receives the bytes (a pipe nobody reads fails at once), and permissions are respected (a file nobody may write
// is refused even for root). On failure returns false and, when asked, the
// system's reason.
[[nodiscard]] bool writeFileInPlace(const std::filesystem::path& p, std::string_view bytes,
                                    std::string* why = nullptr);

// The same in pieces, for output too large to build in memory first (a
// deep stock's search results): the file is opened and checked as
// writeFileInPlace does, each write() appends, close() reports. The first
// failure is kept and ends the writing.
class InPlaceFileWriter {
  public:
    InPlaceFileWriter() = default;
    ~InPlaceFileWriter();
    InPlaceFileWriter(const InPlaceFileWriter&) = delete;
    InPlaceFileWriter& operator=(const InPlaceFileWriter&) = delete;

    bool open(const std::filesystem::path& p);
    bool write(std::string_view bytes);
    bool close();
    // The system's reason for the first failure.
    [[nodiscard]] const std::string& why() const { return why_; }

  private:
    bool fail(int err);

    int fd_ = -1;
    bool ok_ = false;
    std::string why_;
};

// Where a write to p lands: p itself, or, when p is a symbolic link, the end
// of its chain of links (which need not exist yet).
[[nodiscard]] std::filesystem::path linkTarget(const std::filesystem::path& p);

// The same in pieces, for files too large to build in memory first: write()
// appends to the temporary file and starts its write-back at once, so the
// flush at commit() is short. Destroyed without a successful commit(), it
// removes the temporary file and leaves the target unchanged.
//
// The writer holds an advisory lock (flock) on its temporary file for as long
// as the file has its temporary name, so removeStaleTemporaries can tell the
// file of a live writer from one left by a killed process. A replaced file's
// permission bits (and owner and group, where the process may set them) carry
// over to the new file.
class AtomicFileWriter {
  public:
    // The temporary file's name beside its target (X: a random letter or digit).
    static constexpr const char* kTemporaryPattern = ".zutomelark-XXXXXX.tmp";

    // With FollowLinks::Yes (the shared files, which a user may have made
    // links on purpose) a link in place of target is followed to the file it
    // leads to, but only to a plain file or to no file yet: a device or a
    // pipe there fails the write. With No, a link of that name is replaced
    // like any file, and what it led to is never touched.
    enum class FollowLinks { Yes, No };
    explicit AtomicFileWriter(std::filesystem::path target, FollowLinks follow = FollowLinks::Yes);
    // A file `name` in the folder open as `folder` (the descriptor is
    // duplicated): nothing is followed, neither a link of that name nor the
    // folder's path, which may have changed since it was opened.
    AtomicFileWriter(int folder, std::string name);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view bytes); // a failure is remembered and reported by commit()
    // The new file takes p's owner, group and permission bits (as a replaced
    // target's are taken by commit()), for a copy of p under another name.
    void copyAttributesFrom(const std::filesystem::path& p);
    [[nodiscard]] bool commit();
    // Commits under another name in the same folder, chosen once the bytes are
    // written. With noReplace an existing file of that name is never replaced
    // (false then, and the written bytes stay ready for another try).
    [[nodiscard]] bool commitAs(const std::filesystem::path& target, bool noReplace);

  private:
    void start(int dir, const std::string& name);
    bool flush();
    bool publish(const std::string& name, bool noReplace);
    bool renameInFolderNoReplace(const std::string& name);
    void discard();

    std::filesystem::path target_;
    int dir_ = -1;     // the target's folder
    std::string name_; // the target's name in it
    std::string tmp_;  // the temporary file's name in it
    bool flushed_ = false;
    int fd_ = -1;
    bool ok_ = false;
    long long written_ = 0;
};

// Renames from to to unless something (a file, a link, a folder) already has
// that name: false then, with errno EEXIST, and nothing changed.
[[nodiscard]] bool renameNoReplace(const std::filesystem::path& from,
                                   const std::filesystem::path& to);

// True when name (a file name without folder) has the temporary files' pattern.
[[nodiscard]] bool isTemporaryFileName(std::string_view name);

// Removes the temporary files in dir that no live writer owns (left by a
// process that was killed or crashed); a file whose lock cannot be taken is
// left alone. Returns how many were removed.
int removeStaleTemporaries(const std::filesystem::path& dir);
// The same in the open folder `folder` (a descriptor the caller keeps).
int removeStaleTemporariesAt(int folder);

// Builds file content: every line encoded to CP932 and ended with CR LF.
class TextFileBuilder {
  public:
    void line(std::string_view utf8);     // text, escaped by the codec
    void number(long long value);         // "%d"-style decimal line
    void rawLine(std::string_view bytes); // already CP932
    [[nodiscard]] const std::string& bytes() const { return out_; }
    std::string& buffer() { return out_; }

  private:
    std::string out_;
};

} // namespace zt
