#include "platform/datafiles.h"

#include "platform/textfile.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zt {

namespace fs = std::filesystem;

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// Why a name in dir cannot be opened as a folder: a link, something else, or
// the open's own reason.
int whyNotFolder(int dir, const std::string& name, int openErr) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return openErr;
    if (S_ISLNK(st.st_mode)) return ELOOP;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    return openErr;
}

int openFolderIn(int dir, const std::string& name) {
    return ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The side folder of a side file, and the file's name in it.
struct Placed {
    Fd folder;
    std::string name;
};

Placed placeSideFile(const fs::path& file, bool create) {
    std::string name = file.filename().string();
    if (name.empty() || name == "." || name == "..") {
        errno = EINVAL;
        return {Fd(-1), {}};
    }
    return {Fd(openSideFolder(file.parent_path(), create)), std::move(name)};
}

bool isPlainFileIn(int dir, const std::string& name) {
    struct stat st {};
    return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

} // namespace

int openSideFolder(const fs::path& folder, bool create) {
    const std::string name = folder.filename().string();
    if (name.empty() || name == "." || name == "..") {
        errno = EINVAL;
        return -1;
    }
    const fs::path data = folder.has_parent_path() ? folder.parent_path() : ".";
    Fd dataFd(::open(data.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dataFd.get() < 0) return -1;
    int fd = openFolderIn(dataFd.get(), name);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(dataFd.get(), name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
        fd = openFolderIn(dataFd.get(), name);
    }
    if (fd < 0) errno = whyNotFolder(dataFd.get(), name, errno);
    return fd;
}

bool sideFolderWritable(const fs::path& folder) {
    Fd fd(openSideFolder(folder, false));
    if (fd.get() >= 0) return ::faccessat(fd.get(), ".", W_OK | X_OK, 0) == 0;
    if (errno != ENOENT) return false;
    const fs::path data = folder.has_parent_path() ? folder.parent_path() : ".";
    return ::access(data.c_str(), W_OK | X_OK) == 0;
}

bool writeSideFile(const fs::path& file, std::string_view bytes, SideFileSync sync) {
    const Placed p = placeSideFile(file, true);
    if (p.folder.get() < 0) return false;
    AtomicFileWriter out(p.folder.get(), p.name);
    if (sync == SideFileSync::Rebuildable) out.skipDiskFlush();
    out.write(bytes);
    return out.commit();
}

std::unique_ptr<RandomAccessFile> openSideFile(const fs::path& file) {
    const Placed p = placeSideFile(file, false);
    if (p.folder.get() < 0) return nullptr;
    Fd fd(::openat(p.folder.get(), p.name.c_str(),
                   O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return std::make_unique<RandomAccessFile>(RandomAccessFile::Adopt{fd.release()});
}

std::optional<std::string> readSideFile(const fs::path& file, size_t maxBytes) {
    const Placed p = placeSideFile(file, false);
    if (p.folder.get() < 0) return std::nullopt;
    // O_NONBLOCK: a pipe of that name must not wait for a writer.
    Fd fd(::openat(p.folder.get(), p.name.c_str(),
                   O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return std::nullopt;
    return readPlainFile(fd.get(), maxBytes);
}

bool removeSideFile(const fs::path& file) {
    const Placed p = placeSideFile(file, false);
    if (p.folder.get() < 0) return errno == ENOENT;
    return ::unlinkat(p.folder.get(), p.name.c_str(), 0) == 0 || errno == ENOENT;
}

bool linkSideFile(const fs::path& from, const fs::path& to) {
    const Placed p = placeSideFile(from, false);
    const std::string toName = to.filename().string();
    if (p.folder.get() < 0 || toName.empty() || !isPlainFileIn(p.folder.get(), p.name))
        return false;
    const int dir = p.folder.get();
    (void)::unlinkat(dir, toName.c_str(), 0);
    if (::linkat(dir, p.name.c_str(), dir, toName.c_str(), 0) == 0) return true;
    if (errno == EEXIST) return false;
    // A file system without hard links: a copy, saved like any side file.
    Fd in(::openat(dir, p.name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (in.get() < 0) return false;
    AtomicFileWriter out(dir, toName);
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.write(std::string_view(buf, size_t(n)));
    }
    return out.commit();
}

bool renameSideFile(const fs::path& from, const fs::path& to) {
    const Placed p = placeSideFile(from, false);
    const std::string toName = to.filename().string();
    if (p.folder.get() < 0 || toName.empty()) return false;
    return ::renameat(p.folder.get(), p.name.c_str(), p.folder.get(), toName.c_str()) == 0;
}

std::vector<std::string> sideFileNames(const fs::path& folder) {
    std::vector<std::string> names;
    Fd fd(openSideFolder(folder, false));
    if (fd.get() < 0) return names;
    DIR* d = ::fdopendir(fd.get());
    if (!d) return names;
    (void)fd.release(); // closedir closes it
    while (const dirent* e = ::readdir(d))
        if (isPlainFileIn(::dirfd(d), e->d_name)) names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

} // namespace zt
