#pragma once
// File times as the catalogue stores them: a count of 100-nanosecond ticks
// since 1601-01-01 UTC. Stock files hold it as two 32-bit halves; only their
// reader and writer ever see the halves.
#include <cstdint>
#include <string>
#include <string_view>
#include <ctime>

namespace zt {

struct FileTime {
    uint64_t ticks = 0;

    // Zero means "not known".
    [[nodiscard]] bool isZero() const { return ticks == 0; }
    [[nodiscard]] uint32_t lowHalf() const { return uint32_t(ticks & 0xffffffffu); }
    [[nodiscard]] uint32_t highHalf() const { return uint32_t(ticks >> 32); }
    [[nodiscard]] static FileTime fromHalves(uint32_t low, uint32_t high) {
        return FileTime{(uint64_t(high) << 32) | low};
    }
    friend bool operator==(FileTime a, FileTime b) { return a.ticks == b.ticks; }
    friend bool operator<(FileTime a, FileTime b) { return a.ticks < b.ticks; }
};

// Local calendar fields of a file time.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int utcOffsetSeconds = 0; // local time minus UTC at that instant
};

// POSIX time to FileTime. Times before 1601 clamp to zero ("not known").
[[nodiscard]] FileTime fileTimeFromTimespec(const struct timespec& ts);
[[nodiscard]] FileTime fileTimeFromUnix(int64_t seconds, uint32_t nanoseconds = 0);

// FileTime (UTC) to local calendar fields, using the process time zone.
// Works for every 64-bit value, including those with the top bit set.
[[nodiscard]] LocalDateTime toLocalDateTime(FileTime ft);

// "YYYY-MM-DD hh:mm:ss" in local time, as the side files keep times, and
// back (zero for a text that is not one).
[[nodiscard]] std::string localTimeText(FileTime t);
[[nodiscard]] FileTime parseLocalTimeText(std::string_view text);

} // namespace zt
