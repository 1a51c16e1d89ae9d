#include "platform/contentread.h"

#include "platform/direnum.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt {

namespace {

ContentReadFault readFault = nullptr;

// A name's end as the tree keeps it (trailing blanks and control characters
// trimmed, as FolderTree::addFile does).
std::string_view trimmedEnd(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// One read at an offset, tried again a few times on an error that another
// try may clear (a scratch the drive reads on its second pass).
ssize_t readAtWithRetries(int fd, const std::filesystem::path& file, char* to, size_t size,
                          uint64_t offset, int& error) {
    for (int attempt = 0; attempt < kContentReadTries; ++attempt) {
        int fault = readFault ? readFault(file, offset) : 0;
        ssize_t got = -1;
        if (fault == 0) {
            do {
                got = ::pread(fd, to, size, off_t(offset));
            } while (got < 0 && errno == EINTR);
            if (got >= 0) return got;
            fault = errno;
        }
        error = fault;
        // Neither a vanished device nor a refusal gets better by asking again.
        if (isGoneError(fault) || fault == EACCES || fault == EPERM || fault == EBADF) break;
    }
    return -1;
}

} // namespace

void setContentReadFault(ContentReadFault fault) {
    readFault = fault;
}

bool isGoneError(int error) {
    switch (error) {
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESHUTDOWN:
    case ENOTCONN:
    case ESTALE:
        return true;
    default:
        return false;
    }
}

ContentFolder::~ContentFolder() {
    close();
}

void ContentFolder::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool ContentFolder::open(const std::filesystem::path& folder) {
    close();
    path_ = folder;
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    error_ = fd_ < 0 ? errno : 0;
    return fd_ >= 0;
}

bool ContentFolder::openChild(const std::filesystem::path& parent, std::string_view name) {
    if (open(parent / std::string(name)) || error_ != ENOENT) return fd_ >= 0;
    for (const DirEntry& e : listDirectory(parent).entries)
        if (e.isDirectory && trimmedEnd(e.name) == name && e.nativeName != name)
            return open(parent / e.nativeName);
    return false;
}

int ContentFolder::openNamed(std::string_view name, int& error) {
    // O_NONBLOCK: a pipe listed as a file never holds the job up.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    const std::string plain(name);
    int fd = ::openat(fd_, plain.c_str(), kFlags);
    if (fd >= 0 || errno != ENOENT) {
        error = fd < 0 ? errno : 0;
        return fd;
    }
    error = ENOENT;
    // The tree holds display names: a name that is not UTF-8, or one whose
    // trailing blanks were trimmed, is found by what it displays as.
    for (const DirEntry& e : listDirectory(path_).entries)
        if (!e.isDirectory && e.nativeName != plain && trimmedEnd(e.name) == name) {
            fd = ::openat(fd_, e.nativeName.c_str(), kFlags);
            error = fd < 0 ? errno : 0;
            return fd;
        }
    return -1;
}

ContentRead ContentFolder::read(std::string_view name, char* buffer, size_t size,
                                const ContentSink& sink) {
    ContentRead out;
    const auto fail = [&out](int error) {
        out.status = isGoneError(error) ? ContentStatus::Gone : ContentStatus::Failed;
        out.error = error;
        return out;
    };
    if (fd_ < 0) return fail(error_);
    int error = 0;
    const int fd = openNamed(name, error);
    if (fd < 0) {
        if (error == ELOOP) out.status = ContentStatus::NotPlain; // a link: never followed
        return error == ELOOP ? out : fail(error);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        out.status = ContentStatus::NotPlain;
        return out;
    }
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::filesystem::path file = readFault ? path_ / std::string(name) : std::filesystem::path();
    for (;;) {
        const ssize_t got = readAtWithRetries(fd, file, buffer, size, out.bytes, error);
        if (got < 0) {
            ::close(fd);
            return fail(error);
        }
        if (got == 0) break;
        out.bytes += uint64_t(got);
        if (!sink(buffer, size_t(got))) {
            out.status = ContentStatus::Cancelled;
            break;
        }
    }
    ::close(fd);
    return out;
}

MediumWatch::MediumWatch(const std::filesystem::path& top) : top_(top) {
    struct stat st {};
    if (::stat(top.c_str(), &st) == 0) {
        device_ = uint64_t(st.st_dev);
        inode_ = uint64_t(st.st_ino);
        known_ = true;
    }
}

bool MediumWatch::stillThere() const {
    struct stat st {};
    if (::stat(top_.c_str(), &st) != 0) return false;
    return !known_ || (uint64_t(st.st_dev) == device_ && uint64_t(st.st_ino) == inode_);
}

} // namespace zt
