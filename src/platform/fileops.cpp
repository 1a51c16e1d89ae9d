#include "platform/fileops.h"

#include "platform/textfile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace zt {

namespace {

std::optional<FileStamp> stampOfStat(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{uint64_t(st.st_size),
                     int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     uint64_t(st.st_dev), uint64_t(st.st_ino),
                     int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

} // namespace

std::optional<FileStamp> fileStamp(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return std::nullopt;
    return stampOfStat(st);
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

RandomAccessFile::RandomAccessFile(const std::filesystem::path& p)
    : fd_(::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

RandomAccessFile RandomAccessFile::inMemory(std::string_view bytes) {
    RandomAccessFile out;
    out.fd_ = ::memfd_create("zutomelark", MFD_CLOEXEC);
    size_t put = 0;
    while (out.fd_ >= 0 && put < bytes.size()) {
        const ssize_t n = ::pwrite(out.fd_, bytes.data() + put, bytes.size() - put, off_t(put));
        if (n <= 0) break;
        put += size_t(n);
    }
    return out;
}

std::optional<uint64_t> RandomAccessFile::fileOrDeviceSize() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    if (S_ISREG(st.st_mode)) return uint64_t(st.st_size);
    if (!S_ISBLK(st.st_mode)) return std::nullopt;
    // A block device's stat says nothing of its size; its end does.
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return std::nullopt;
    return uint64_t(end);
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<FileStamp> RandomAccessFile::stamp() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return stampOfStat(st);
}

bool RandomAccessFile::readAt(uint64_t offset, size_t size, std::string& out) const {
    out.resize(size);
    const int64_t got = readInto(offset, out.data(), size);
    out.resize(got < 0 ? 0 : size_t(got));
    return got >= 0;
}

int64_t RandomAccessFile::readInto(uint64_t offset, char* to, size_t size) const {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd_, to + got, size - got, off_t(offset + got));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        got += size_t(n);
    }
    return int64_t(got);
}

bool folderWritable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool existsInAnyForm(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

bool linkOrCopyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::link(from.c_str(), to.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    AtomicFileWriter out(to, AtomicFileWriter::FollowLinks::No);
    out.copyAttributesFrom(from);
    std::string buf(size_t(1) << 20, '\0');
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        out.write(std::string_view(buf.data(), size_t(n)));
    }
    ::close(in);
    return ok && out.commitAs(to, true);
}

bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::optional<VolumeSpace> volumeSpace(const std::filesystem::path& p) {
    struct statvfs st {};
    if (::statvfs(p.c_str(), &st) != 0) return std::nullopt;
    return VolumeSpace{uint64_t(st.f_blocks) * st.f_frsize, uint64_t(st.f_bavail) * st.f_frsize};
}

FileTime nowFileTime() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return fileTimeFromTimespec(ts);
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

namespace {

volatile std::sig_atomic_t resized = 1; // 1: ask the terminal at the next call

extern "C" void noteResize(int) {
    resized = 1;
}

} // namespace

int standardErrorColumns() {
    static int columns = 0;
    static const bool watching = [] {
        struct sigaction sa {};
        sa.sa_handler = noteResize;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        return ::sigaction(SIGWINCH, &sa, nullptr) == 0;
    }();
    if (resized || !watching) {
        resized = 0;
        struct winsize ws {};
        columns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 ? int(ws.ws_col) : 0;
    }
    return columns;
}

void guardStandardDescriptors() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int got = ::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
        if (got >= 0 && got != fd) {
            (void)::dup2(got, fd);
            ::close(got);
        }
    }
}

} // namespace zt
