#include "platform/direnum.h"

#include "platform/utf8.h"

#include "platform/codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace zt {

namespace {

FileTime fileTimeOf(const struct statx_timestamp& t) {
    return fileTimeFromUnix(t.tv_sec, t.tv_nsec);
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

// Opens a folder for reading. A path longer than PATH_MAX is opened one
// component at a time, each relative to the folder before it.
int openFolder(const std::filesystem::path& dir) {
    const std::string& native = dir.native();
    const int fd = ::open(native.empty() ? "." : native.c_str(), kFolderFlags);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;

    int cur = ::open(dir.is_absolute() ? "/" : ".", kFolderFlags);
    for (const auto& part : dir.relative_path()) {
        if (cur < 0) break;
        if (part.empty()) continue;
        const int next = ::openat(cur, part.c_str(), kFolderFlags);
        ::close(cur);
        cur = next;
    }
    return cur;
}

// The values of the entry called name inside the folder dfd (a link's own);
// false when it cannot be read.
bool readEntry(int dfd, const char* name, DirEntry& f) {
    struct statx stx;
    if (::statx(dfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
                &stx) != 0)
        return false;
    f.isDirectory = (stx.stx_mask & STATX_TYPE) && S_ISDIR(stx.stx_mode);
    // Some file systems (overlays among them) report a birth time of the epoch
    // itself when they keep none: that is "not known", not 1970.
    const bool hasBirth =
        (stx.stx_mask & STATX_BTIME) && (stx.stx_btime.tv_sec != 0 || stx.stx_btime.tv_nsec != 0);
    if (hasBirth) f.created = fileTimeOf(stx.stx_btime);
    if (stx.stx_mask & STATX_ATIME) f.accessed = fileTimeOf(stx.stx_atime);
    if (stx.stx_mask & STATX_MTIME) f.modified = fileTimeOf(stx.stx_mtime);
    // A folder has no size of its own (its st_size is a file-system detail).
    if (!f.isDirectory && (stx.stx_mask & STATX_SIZE)) f.size = stx.stx_size;
    f.deviceId = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    f.inode = stx.stx_ino;
    return true;
}

bool identify(int fd, uint64_t& device, uint64_t& inode) {
    struct statx stx;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &stx) != 0) return false;
    device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    inode = stx.stx_ino;
    return true;
}

} // namespace

std::string displayNameOfNative(std::string_view nativeName) {
    if (isValidUtf8(nativeName)) return std::string(nativeName);
    if (cp932::isValid(nativeName)) return cp932::decodePlain(nativeName);
    // Neither: each stray byte is kept as a raw byte, so the real name can be
    // given back to the system (and shown with a replacement character).
    return keepBytesRaw(nativeName);
}

DirListing listDirectory(const std::filesystem::path& dir) {
    return OpenFolder::open(dir).list();
}

OpenFolder OpenFolder::open(const std::filesystem::path& dir) {
    OpenFolder out;
    out.fd_ = openFolder(dir);
    if (out.fd_ < 0 || !identify(out.fd_, out.device_, out.inode_)) {
        out.error_ = errno;
        out.close();
    }
    return out;
}

OpenFolder::~OpenFolder() {
    close();
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_), device_(other.device_),
      inode_(other.inode_) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

void OpenFolder::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

OpenFolder OpenFolder::openAt(const char* name, uint64_t device, uint64_t inode,
                              Child& status) const {
    OpenFolder out;
    status = Child::Failed;
    if (fd_ < 0) {
        out.error_ = EBADF;
        return out;
    }
    out.fd_ = ::openat(fd_, name, kFolderFlags | O_NOFOLLOW);
    if (out.fd_ < 0) {
        out.error_ = errno;
        if (errno == ELOOP || errno == ENOTDIR) status = Child::NotAFolder;
        return out;
    }
    if (!identify(out.fd_, out.device_, out.inode_)) {
        out.error_ = errno;
        out.close();
        return out;
    }
    if (out.device_ != device || out.inode_ != inode) {
        out.error_ = ESTALE;
        out.close();
        status = Child::Replaced;
        return out;
    }
    status = Child::Opened;
    return out;
}

OpenFolder OpenFolder::openChild(const DirEntry& entry, Child& status) const {
    return openAt(entry.nativeName.c_str(), entry.deviceId, entry.inode, status);
}

OpenFolder OpenFolder::openParent(uint64_t device, uint64_t inode) const {
    Child status;
    return openAt("..", device, inode, status);
}

bool OpenFolder::entryNow(const std::string& nativeName, DirEntry& out) const {
    out = DirEntry{};
    out.nativeName = nativeName;
    out.name = displayNameOfNative(nativeName);
    return fd_ >= 0 && readEntry(fd_, nativeName.c_str(), out);
}

DirListing OpenFolder::list() const {
    DirListing result;
    // A descriptor of its own, so listing leaves this one as it was.
    const int fd = fd_ >= 0 ? ::openat(fd_, ".", kFolderFlags) : -1;
    if (fd < 0) {
        result.error = fd_ >= 0 ? errno : error_;
        return result;
    }
    DIR* d = ::fdopendir(fd);
    if (!d) {
        result.error = errno;
        ::close(fd);
        return result;
    }
    result.opened = true;
    const int dfd = ::dirfd(d);
    while (true) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) {
            // A read error part way through: the listing is incomplete, so it
            // must not pass for the folder's contents.
            if (errno != 0) {
                result.error = errno;
                result.opened = false;
            }
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        DirEntry& f = result.entries.emplace_back();
        f.nativeName = name;
        (void)readEntry(dfd, name, f); // unreadable: still listed, a file with no times and no size
    }
    ::closedir(d);

    // Byte order of the native names: the same folder always lists the same way.
    std::sort(result.entries.begin(), result.entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.nativeName < b.nativeName; });
    for (auto& f : result.entries)
        f.name = displayNameOfNative(f.nativeName);
    return result;
}

uint64_t deviceOf(const std::filesystem::path& p) {
    struct statx stx;
    if (::statx(AT_FDCWD, p.c_str(), AT_NO_AUTOMOUNT, STATX_TYPE, &stx) != 0) return 0;
    return makedev(stx.stx_dev_major, stx.stx_dev_minor);
}

} // namespace zt
