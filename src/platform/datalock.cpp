#include "platform/datalock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace zt {

std::optional<DataLock> DataLock::acquire(const std::filesystem::path& dataDir, Mode mode,
                                          std::chrono::milliseconds wait, bool* busy) {
    if (busy) *busy = false;
    const std::filesystem::path p = dataDir / kFileName;
    const int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return std::nullopt;
    DataLock lock(fd);
    const int op = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    // Polled rather than blocking, so a holder that hangs (stopped, not dead)
    // costs a bounded wait and a message instead of a frozen program.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, op) == 0) return lock;
        if (errno != EWOULDBLOCK && errno != EINTR) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) {
            if (busy) *busy = true;
            return std::nullopt;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

DataLock::DataLock(DataLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

DataLock& DataLock::operator=(DataLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

DataLock::~DataLock() {
    if (fd_ >= 0) ::close(fd_); // closing the only descriptor releases the flock
}

} // namespace zt
