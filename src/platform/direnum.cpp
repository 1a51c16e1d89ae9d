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

namespace zt {

namespace {

FileTime fileTimeOf(const struct statx_timestamp& t) {
    return fileTimeFromUnix(t.tv_sec, t.tv_nsec);
}

// Opens a folder for reading. A path longer than PATH_MAX is opened one
// component at a time, each relative to the folder before it.
int openFolder(const std::filesystem::path& dir) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const std::string& native = dir.native();
    const int fd = ::open(native.empty() ? "." : native.c_str(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;

    int cur = ::open(dir.is_absolute() ? "/" : ".", flags);
    for (const auto& part : dir.relative_path()) {
        if (cur < 0) break;
        if (part.empty()) continue;
        const int next = ::openat(cur, part.c_str(), flags);
        ::close(cur);
        cur = next;
    }
    return cur;
}

} // namespace

std::string displayNameOfNative(std::string_view nativeName) {
    if (isValidUtf8(nativeName)) return std::string(nativeName);
    if (cp932::isValid(nativeName)) return cp932::decodePlain(nativeName);
    return replaceInvalidUtf8(nativeName);
}

DirListing listDirectory(const std::filesystem::path& dir) {
    DirListing result;
    const int fd = openFolder(dir);
    if (fd < 0) {
        result.error = errno;
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

        struct statx stx;
        if (::statx(dfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                    STATX_BASIC_STATS | STATX_BTIME, &stx) != 0) {
            continue; // still listed: a file with no times and no size
        }
        f.isDirectory = (stx.stx_mask & STATX_TYPE) && S_ISDIR(stx.stx_mode);
        // Some file systems (overlays among them) report a birth time of the epoch
        // itself when they keep none: that is "not known", not 1970.
        const bool hasBirth = (stx.stx_mask & STATX_BTIME) &&
                              (stx.stx_btime.tv_sec != 0 || stx.stx_btime.tv_nsec != 0);
        if (hasBirth) f.created = fileTimeOf(stx.stx_btime);
        if (stx.stx_mask & STATX_ATIME) f.accessed = fileTimeOf(stx.stx_atime);
        if (stx.stx_mask & STATX_MTIME) f.modified = fileTimeOf(stx.stx_mtime);
        // A folder has no size of its own (its st_size is a file-system detail).
        if (!f.isDirectory && (stx.stx_mask & STATX_SIZE)) f.size = stx.stx_size;
        f.deviceId = makedev(stx.stx_dev_major, stx.stx_dev_minor);
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
