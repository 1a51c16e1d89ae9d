// A preloaded library for the command-line tests: reads of the files whose
// name is $ZT_FAIL_READ fail with EIO, as a damaged disc's sectors do, below
// every layer of the program. Nothing else is touched.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace {

bool failing(int fd) {
    const char* name = std::getenv("ZT_FAIL_READ");
    if (!name || !*name) return false;
    char link[64], target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = '\0';
    const char* base = std::strrchr(target, '/');
    return std::strcmp(base ? base + 1 : target, name) == 0;
}

template <class F> F next(const char* symbol) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, symbol));
}

} // namespace

extern "C" {

ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    if (failing(fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buf, count, offset);
}

ssize_t pread64(int fd, void* buf, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
    if (failing(fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buf, count, offset);
}

} // extern "C"
