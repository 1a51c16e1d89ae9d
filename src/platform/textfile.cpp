#include "platform/textfile.h"

#include "platform/codec.h"
#include "platform/piecereader.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

std::optional<std::string> readFileBytes(const std::filesystem::path& p) {
    // O_NONBLOCK: opening a pipe left where a data file belongs must not wait
    // for a writer. Only plain files are read: a pipe or a device (/dev/zero
    // behind a link) could block or never end. For plain files the flag changes nothing.
    Fd fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string out;
    if (st.st_size > 0) out.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        out.append(buf, size_t(n));
    }
    return out;
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

bool writeFileInPlace(const std::filesystem::path& p, std::string_view bytes, std::string* why) {
    const auto fail = [why](int err) {
        if (why) *why = std::strerror(err);
        return false;
    };
    struct stat st {};
    // Root may write a file nobody may write; a file marked read-only is
    // still the user's wish to keep it.
    if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
        return fail(EACCES);
    Fd fd(::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.get() < 0) return fail(errno);
    if (!writeAll(fd.get(), bytes)) return fail(errno);
    if (::close(fd.release()) != 0) return fail(errno);
    return true;
}

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target)
    : target_(linkTarget(target)) {
    const std::string name = target_.filename().string();
    if (name.empty() || name == "." || name == "..") return;
    const std::filesystem::path dir = target_.has_parent_path() ? target_.parent_path() : ".";
    // A short name of fixed length whatever the target's, so a target near the
    // file system's name limit still saves, and leftovers are easy to recognise.
    tmp_ = (dir / kTemporaryPattern).string();
    fd_ = ::mkostemps(tmp_.data(), 4, O_CLOEXEC);
    if (fd_ < 0) {
        tmp_.clear();
        return;
    }
    // mkstemp creates the file 0600; a new file gets the usual 0666 less umask.
    ok_ = ::fchmod(fd_, 0666 & ~currentUmask()) == 0;
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
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

bool AtomicFileWriter::flush() {
    if (flushed_) return true;
    if (fd_ < 0) return false;
    bool ok = ok_ && ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (!ok) {
        ::unlink(tmp_.c_str());
        tmp_.clear();
        return false;
    }
    flushed_ = true;
    return true;
}

bool AtomicFileWriter::publish(const std::filesystem::path& target, bool noReplace) {
    if (!flush()) return false;
    int rc = noReplace ? ::renameat2(AT_FDCWD, tmp_.c_str(), AT_FDCWD, target.c_str(),
                                     RENAME_NOREPLACE)
                       : ::rename(tmp_.c_str(), target.c_str());
    if (rc != 0 && noReplace && errno == EINVAL) {
        // A file system without the no-replace rename: look first (the caller
        // holds the Data folder's lock, so nobody races for the name).
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0) {
            errno = EEXIST;
        } else {
            rc = ::rename(tmp_.c_str(), target.c_str());
        }
    }
    if (rc != 0) {
        if (noReplace && errno == EEXIST) return false; // kept for another name
        ::unlink(tmp_.c_str());
        tmp_.clear();
        return false;
    }
    tmp_.clear();
    // Make the rename itself durable. Once the rename is done the target holds
    // the new bytes, so a folder that cannot be synced (some file systems
    // refuse) does not turn the write into a failure: false promises an
    // unchanged target.
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) (void)::fsync(dirFd.get());
    return true;
}

bool AtomicFileWriter::commit() {
    return publish(target_, false);
}

bool AtomicFileWriter::commitAs(const std::filesystem::path& target, bool noReplace) {
    return publish(target, noReplace);
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
