#pragma once
// The Data folder's lock: every change to the stock list is a read-modify-write
// made while holding it, so processes sharing one Data folder never lose each
// other's changes. It is an advisory lock (flock) on a small file in Data; the
// kernel drops it when its holder exits or is killed, so a stale lock never
// blocks anyone.
#include <chrono>
#include <filesystem>
#include <optional>

namespace zt {

class DataLock {
  public:
    enum class Mode { Exclusive, Shared };

    // Waits up to `wait` for the lock; nullopt when the lock file cannot be
    // opened (the Data folder is missing or read-only) or the lock stays taken
    // that long (then *busy is set).
    [[nodiscard]] static std::optional<DataLock>
    acquire(const std::filesystem::path& dataDir, Mode mode = Mode::Exclusive,
            std::chrono::milliseconds wait = std::chrono::seconds(10), bool* busy = nullptr);

    DataLock(DataLock&& other) noexcept;
    DataLock& operator=(DataLock&& other) noexcept;
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;
    ~DataLock();

    // The lock file's name inside Data.
    static constexpr const char* kFileName = ".zutomelark.lock";

  private:
    explicit DataLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

} // namespace zt
