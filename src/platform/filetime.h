#pragma once
// File times as the catalogue stores them: a FILETIME is a 64-bit count of
// 100-nanosecond ticks since 1601-01-01 UTC, held as two 32-bit halves.
#include <cstdint>
#include <ctime>

namespace zt {

struct FILETIME {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;

    [[nodiscard]] uint64_t ticks() const {
        return (uint64_t(dwHighDateTime) << 32) | dwLowDateTime;
    }
    // Zero means "not known".
    [[nodiscard]] bool isZero() const { return dwLowDateTime == 0 && dwHighDateTime == 0; }
    [[nodiscard]] static FILETIME fromTicks(uint64_t t) {
        return FILETIME{uint32_t(t & 0xffffffffu), uint32_t(t >> 32)};
    }
    friend bool operator==(const FILETIME&, const FILETIME&) = default;
};

// Local calendar fields of a file time (stand-in for FileTimeToLocalFileTime +
// FileTimeToSystemTime).
struct SYSTEMTIME {
    int wYear = 0, wMonth = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0;
};

// POSIX time to FILETIME. Times before 1601 clamp to zero ("not known").
[[nodiscard]] FILETIME fileTimeFromTimespec(const struct timespec& ts);
[[nodiscard]] FILETIME fileTimeFromUnix(int64_t seconds, uint32_t nanoseconds = 0);

// FILETIME (UTC) to local calendar fields, using the process time zone.
// Works for every 64-bit value, including those with the top bit set.
[[nodiscard]] SYSTEMTIME fileTimeToLocalSystemTime(FILETIME ft);

} // namespace zt
