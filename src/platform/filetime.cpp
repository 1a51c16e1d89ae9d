#include "platform/filetime.h"

#include <cstdio>
#include <ctime>
#include <limits>

namespace zt {
namespace {

constexpr int64_t kEpochDelta = 11644473600; // seconds from 1601-01-01 to 1970-01-01
constexpr uint64_t kTicksPerSecond = 10000000;
constexpr int64_t kNanosPerSecond = 1000000000;

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's civil_from_days).
void civilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    year = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
    month = int(m);
    day = int(d);
}

LocalDateTime utcFields(int64_t unixSeconds) {
    int64_t days = unixSeconds / 86400;
    int64_t rest = unixSeconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalDateTime st;
    civilFromDays(days, st.year, st.month, st.day);
    st.hour = int(rest / 3600);
    st.minute = int(rest / 60 % 60);
    st.second = int(rest % 60);
    return st;
}

} // namespace

FileTime fileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
    // Carry whole seconds out of an oversized nanosecond count.
    const int64_t carry = int64_t(nanoseconds / kNanosPerSecond);
    nanoseconds %= uint32_t(kNanosPerSecond);
    if (seconds > std::numeric_limits<int64_t>::max() - kEpochDelta - carry)
        return FileTime{std::numeric_limits<uint64_t>::max()};
    const int64_t since1601 = seconds + carry + kEpochDelta;
    if (since1601 < 0) return {};
    const uint64_t sub = nanoseconds / 100;
    const uint64_t max = std::numeric_limits<uint64_t>::max();
    if (uint64_t(since1601) > (max - sub) / kTicksPerSecond) return FileTime{max};
    return FileTime{uint64_t(since1601) * kTicksPerSecond + sub};
}

FileTime fileTimeFromTimespec(const struct timespec& ts) {
    int64_t sec = ts.tv_sec;
    int64_t nsec = ts.tv_nsec;
    // A normalised timespec has 0 <= tv_nsec < 10^9; fold anything else into the seconds.
    if (__builtin_add_overflow(sec, nsec / kNanosPerSecond, &sec))
        return FileTime{nsec > 0 ? std::numeric_limits<uint64_t>::max() : 0};
    nsec %= kNanosPerSecond;
    if (nsec < 0) {
        if (sec == std::numeric_limits<int64_t>::min()) return {};
        nsec += kNanosPerSecond;
        --sec;
    }
    return fileTimeFromUnix(sec, uint32_t(nsec));
}

LocalDateTime toLocalDateTime(FileTime ft) {
    // Every 64-bit tick count fits in a signed 64-bit second count.
    const int64_t unixSeconds = int64_t(ft.ticks / kTicksPerSecond) - kEpochDelta;
    const auto t = static_cast<time_t>(unixSeconds);
    struct tm tm {};
    if (int64_t(t) == unixSeconds && localtime_r(&t, &tm)) {
        LocalDateTime st;
        st.year = tm.tm_year + 1900;
        st.month = tm.tm_mon + 1;
        st.day = tm.tm_mday;
        st.hour = tm.tm_hour;
        st.minute = tm.tm_min;
        st.second = tm.tm_sec;
        st.utcOffsetSeconds = int(tm.tm_gmtoff);
        return st;
    }
    // No local time for this instant (e.g. a 32-bit time_t): show it in UTC.
    return utcFields(unixSeconds);
}

std::string localTimeText(FileTime t) {
    const LocalDateTime d = toLocalDateTime(t);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

FileTime parseLocalTimeText(std::string_view text) {
    struct tm tm {};
    const std::string s(text);
    if (std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
        return {};
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const time_t t = std::mktime(&tm);
    return t == time_t(-1) ? FileTime{} : fileTimeFromUnix(t);
}

} // namespace zt
