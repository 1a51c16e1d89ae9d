#include "platform/textfile.h"

#include "platform/codec.h"
#include "platform/piecereader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <atomic>
#include <mutex>
#include <sys/random.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zt {
namespace {

// Closes a descriptor on scope exit unless released.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

// The process umask, read without changing it where the kernel reports it
// (umask() can only be read by setting it, which would race with other threads).
mode_t currentUmask() {
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found) return mode_t(mask);
    }
    static std::mutex m;
    std::lock_guard lock(m);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

std::optional<std::string> readPlainFile(int fd, size_t maxBytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    // What the file holds, not what its size says: a sparse file may claim far
    // more than it holds, so the size only sets a modest first reservation.
    std::string out;
    if (st.st_size > 0) out.reserve(std::min({size_t(st.st_size), maxBytes, size_t(1) << 20}));
    char buf[65536];
    while (out.size() < maxBytes) {
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, maxBytes - out.size()));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        out.append(buf, size_t(n));
    }
    return out;
}

std::optional<std::string> readFileBytes(const std::filesystem::path& p) {
    // O_NONBLOCK: opening a pipe left where a data file belongs must not wait
    // for a writer. Only plain files are read: a pipe or a device (/dev/zero
    // behind a link) could block or never end. For plain files the flag changes nothing.
    Fd fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return std::nullopt;
    return readPlainFile(fd.get());
}

bool LineCursor::next(std::string_view& line) {
    if (rest_.empty()) return false;
    const void* lf = std::memchr(rest_.data(), '\n', rest_.size());
    if (lf) {
        const size_t pos = size_t(static_cast<const char*>(lf) - rest_.data());
        line = boundLine(rest_.substr(0, pos));
        rest_.remove_prefix(pos + 1);
    } else {
        line = boundLine(rest_);
        rest_ = {};
    }
    return true;
}

std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& p) {
    PieceReader in;
    if (!in.open(p)) return std::nullopt;
    std::vector<std::string> lines;
    PieceLines cursor(in);
    std::string_view raw;
    while (cursor.next(raw))
        lines.push_back(cp932::decode(raw));
    if (in.failed()) return std::nullopt;
    return lines;
}

bool writeFileAtomically(const std::filesystem::path& p, std::string_view bytes) {
    AtomicFileWriter file(p);
    file.write(bytes);
    return file.commit();
}

std::filesystem::path linkTarget(const std::filesystem::path& p) {
    std::filesystem::path at = p;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
        if (ec) return at;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at; // a loop: the rename will fail on it, as it should
}

bool InPlaceFileWriter::fail(int err) {
    if (why_.empty()) why_ = std::strerror(err);
    ok_ = false;
    return false;
}

bool InPlaceFileWriter::open(const std::filesystem::path& p) {
    struct stat st {};
    // Root may write a file nobody may write; a file marked read-only is
    // still the user's wish to keep it.
    if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
        return fail(EACCES);
    // Opened without waiting: a pipe nobody reads fails (ENXIO) instead of
    // hanging the program; the writes then block as usual.
    fd_ = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd_ < 0) return fail(errno);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) return fail(errno);
    ok_ = true;
    return true;
}

bool InPlaceFileWriter::write(std::string_view bytes) {
    if (!ok_) return false;
    return writeAll(fd_, bytes) || fail(errno);
}

bool InPlaceFileWriter::close() {
    if (fd_ < 0) return false;
    const bool closed = ::close(std::exchange(fd_, -1)) == 0;
    if (!closed) return fail(errno);
    return ok_;
}

InPlaceFileWriter::~InPlaceFileWriter() {
    if (fd_ >= 0) ::close(fd_);
}

bool writeFileInPlace(const std::filesystem::path& p, std::string_view bytes, std::string* why) {
    InPlaceFileWriter out;
    const bool ok = out.open(p) && out.write(bytes) && out.close();
    if (!ok && why) *why = out.why();
    return ok;
}

namespace {

// True when fd is still the file called name in dir (a cleaner may have
// removed the name between its creation and the lock).
bool stillNamed(int fd, int dir, const std::string& name) {
    struct stat mine {};
    struct stat named {};
    return ::fstat(fd, &mine) == 0 && mine.st_nlink > 0 &&
           ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

// A name of the temporary files' pattern with fresh random letters.
std::string randomTemporaryName() {
    static constexpr char kLetters[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string name = AtomicFileWriter::kTemporaryPattern;
    unsigned char random[16];
    const ssize_t got = ::getrandom(random, sizeof random, 0);
    static std::atomic<unsigned> counter{0};
    const unsigned salt = unsigned(::getpid()) * 2654435761u + counter++ * 40503u;
    size_t k = 0;
    for (char& c : name)
        if (c == 'X') {
            const unsigned r = got == ssize_t(sizeof random) ? random[k] : (salt >> (k % 24)) + k;
            c = kLetters[r % (sizeof kLetters - 1)];
            ++k;
        }
    return name;
}

// Creates a temporary file in dir (name set to the name made) and locks it.
// O_EXCL never follows a link of that name. A file system without flock still
// gets its file, unlocked: no cleaner can take such a lock either, so nothing
// removes it while it is written.
int createOwnedTemporary(int dir, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomTemporaryName();
        const int fd = ::openat(dir, name.c_str(),
                                O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd); // a cleaner holds it and removes it
            continue;
        }
        if (stillNamed(fd, dir, name)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Gives the new file the old one's owner, group and permission bits. Owner and
// group go first (changing them clears set-user-ID bits); each is a courtesy
// that a file system or the process's rights may refuse.
void takeOverAttributes(int fd, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return;
    const bool owned = ::fchown(fd, st.st_uid, st.st_gid) == 0 ||
                       ::fchown(fd, uid_t(-1), st.st_gid) == 0;
    (void)owned; // refused: the file keeps the writer's owner and group
    (void)::fchmod(fd, st.st_mode & 07777);
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target, FollowLinks follow)
    : target_(follow == FollowLinks::Yes ? linkTarget(target) : std::move(target)) {
    const std::string name = target_.filename().string();
    if (name.empty() || name == "." || name == "..") return;
    // A link is followed only to a plain file (or to nothing yet): never a
    // device or a pipe replaced by a file of ours.
    struct stat st {};
    if (follow == FollowLinks::Yes && ::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return;
    const std::filesystem::path dir = target_.has_parent_path() ? target_.parent_path() : ".";
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0) return;
    start(dirFd.release(), name);
}

AtomicFileWriter::AtomicFileWriter(int folder, std::string name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return;
    const int dir = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (dir < 0) return;
    target_ = name;
    start(dir, name);
}

void AtomicFileWriter::start(int dir, const std::string& name) {
    dir_ = dir;
    name_ = name;
    // A short name of fixed length whatever the target's, so a target near the
    // file system's name limit still saves, and leftovers are easy to recognise.
    fd_ = createOwnedTemporary(dir_, tmp_);
    if (fd_ < 0) {
        tmp_.clear();
        return;
    }
    // The file is created 0600; a new file gets the usual 0666 less umask.
    ok_ = ::fchmod(fd_, 0666 & ~currentUmask()) == 0;
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
    if (dir_ >= 0) ::close(dir_);
}

// Removes the temporary file while still holding its lock, then lets go.
void AtomicFileWriter::discard() {
    if (!tmp_.empty()) ::unlinkat(dir_, tmp_.c_str(), 0);
    tmp_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void AtomicFileWriter::copyAttributesFrom(const std::filesystem::path& p) {
    struct stat st {};
    if (fd_ >= 0 && ::stat(p.c_str(), &st) == 0) takeOverAttributes(fd_, st);
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (!ok_ || bytes.empty()) return;
    ok_ = writeAll(fd_, bytes);
    if (!ok_) return;
    // Hand the pages to the disk now (without waiting), so the final fsync
    // finds little left to do. Where unsupported this is just a no-op.
    (void)::sync_file_range(fd_, written_, off_t(bytes.size()), SYNC_FILE_RANGE_WRITE);
    written_ += static_cast<long long>(bytes.size());
}

// The bytes on disk. The descriptor stays open (and the lock held) until the
// temporary name is gone.
bool AtomicFileWriter::flush() {
    if (flushed_) return true;
    if (fd_ < 0) return false;
    if (!ok_ || ::fsync(fd_) != 0) {
        discard();
        return false;
    }
    flushed_ = true;
    return true;
}

bool AtomicFileWriter::publish(const std::string& name, bool noReplace) {
    if (!flush()) return false;
    struct stat old {};
    if (!noReplace && ::fstatat(dir_, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0)
        takeOverAttributes(fd_, old);
    // renameat replaces a link of that name, never what it leads to.
    const bool renamed =
        noReplace ? ::renameat2(dir_, tmp_.c_str(), dir_, name.c_str(), RENAME_NOREPLACE) == 0 ||
                        ((errno == EINVAL || errno == ENOSYS) && renameInFolderNoReplace(name))
                  : ::renameat(dir_, tmp_.c_str(), dir_, name.c_str()) == 0;
    if (!renamed) {
        if (noReplace && errno == EEXIST) return false; // kept for another name
        discard();
        return false;
    }
    tmp_.clear();
    discard();
    // Make the rename itself durable. Once the rename is done the target holds
    // the new bytes, so a folder that cannot be synced (some file systems
    // refuse) does not turn the write into a failure: false promises an
    // unchanged target.
    (void)::fsync(dir_);
    return true;
}

// A file system without the no-replace rename: look first. Callers that
// share the folder hold the Data folder's lock, so nobody races for the name.
bool AtomicFileWriter::renameInFolderNoReplace(const std::string& name) {
    struct stat st {};
    if (::fstatat(dir_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(dir_, tmp_.c_str(), dir_, name.c_str()) == 0;
}

bool AtomicFileWriter::commit() {
    return publish(name_, false);
}

bool AtomicFileWriter::commitAs(const std::filesystem::path& target, bool noReplace) {
    // Another name in the same folder: only its last part counts.
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..") {
        discard();
        return false;
    }
    return publish(name, noReplace);
}

bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: look first. Callers that
    // share the folder hold the Data folder's lock, so nobody races for the name.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool isTemporaryFileName(std::string_view name) {
    const std::string_view pattern = AtomicFileWriter::kTemporaryPattern;
    if (name.size() != pattern.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool random = pattern[i] == 'X' && ((c >= '0' && c <= '9') ||
                                                  (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
        if (!random && name[i] != pattern[i]) return false;
    }
    return true;
}

int removeStaleTemporaries(const std::filesystem::path& dir) {
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dirFd.get() < 0 ? 0 : removeStaleTemporariesAt(dirFd.get());
}

int removeStaleTemporariesAt(int folder) {
    // A duplicate shares the folder's read position: rewound before listing.
    DIR* d = ::fdopendir(::dup(folder));
    if (!d) return 0;
    ::rewinddir(d);
    std::vector<std::string> candidates;
    while (const dirent* e = ::readdir(d))
        if (isTemporaryFileName(e->d_name)) candidates.emplace_back(e->d_name);
    ::closedir(d);

    int removed = 0;
    for (const std::string& name : candidates) {
        Fd fd(::openat(folder, name.c_str(),
                       O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat locked {};
        struct stat named {};
        // Its writer holds the lock for as long as the name exists: a lock we
        // can take means nobody is writing it any more.
        if (fd.get() < 0 || ::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode) ||
            ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == locked.st_dev && named.st_ino == locked.st_ino &&
            ::unlinkat(folder, name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

void TextFileBuilder::line(std::string_view utf8) {
    cp932::encodeAppend(utf8, out_);
    out_ += "\r\n";
}

void TextFileBuilder::number(long long value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
    out_ += "\r\n";
}

void TextFileBuilder::rawLine(std::string_view bytes) {
    out_ += bytes;
    out_ += "\r\n";
}

} // namespace zt
