#include "platform/filetime.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>

using namespace zt;

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

// Runs the test body in UTC and puts the previous time zone back afterwards.
class FileTimeInUtc : public ::testing::Test {
    std::optional<test::ScopedTimeZone> zone_;

  protected:
    void SetUp() override { zone_.emplace("UTC"); }
    void TearDown() override { zone_.reset(); }
};

void expectFields(const LocalDateTime& st, int y, int mo, int d, int h, int mi, int s) {
    EXPECT_EQ(st.year, y);
    EXPECT_EQ(st.month, mo);
    EXPECT_EQ(st.day, d);
    EXPECT_EQ(st.hour, h);
    EXPECT_EQ(st.minute, mi);
    EXPECT_EQ(st.second, s);
}

} // namespace

TEST(FileTime, FromUnixTime) {
    EXPECT_EQ(fileTimeFromUnix(0).ticks, 116444736000000000ull);
    EXPECT_EQ(fileTimeFromUnix(1, 999999999).ticks, 116444736000000000ull + 19999999);
    EXPECT_EQ(fileTimeFromUnix(-11644473600).ticks, 0u);  // 1601-01-01 itself
    EXPECT_TRUE(fileTimeFromUnix(-11644473601).isZero()); // before 1601
    EXPECT_TRUE(fileTimeFromUnix(std::numeric_limits<int64_t>::min()).isZero());
    EXPECT_EQ(fileTimeFromUnix(std::numeric_limits<int64_t>::max()).ticks, kMax);
    // The last representable second, and the first one past it.
    EXPECT_EQ(fileTimeFromUnix(1844674407370 - 11644473600, 955161500).ticks, kMax);
    EXPECT_EQ(fileTimeFromUnix(1844674407370 - 11644473600).ticks, 18446744073700000000ull);
    EXPECT_EQ(fileTimeFromUnix(1844674407371 - 11644473600).ticks, kMax);

    const struct timespec ts = {1000000000, 123456789};
    EXPECT_EQ(fileTimeFromTimespec(ts).ticks,
              (1000000000ull + 11644473600ull) * 10000000 + 1234567);
    const struct timespec odd = {10, -100}; // not normalised: 9.9999999 s
    EXPECT_EQ(fileTimeFromTimespec(odd).ticks, (11644473610ull) * 10000000 - 1);
}

TEST_F(FileTimeInUtc, KnownDates) {
    expectFields(toLocalDateTime(FileTime{}), 1601, 1, 1, 0, 0, 0);
    expectFields(toLocalDateTime(fileTimeFromUnix(0)), 1970, 1, 1, 0, 0, 0);
    expectFields(toLocalDateTime(fileTimeFromUnix(951782400 + 3723)), 2000, 2, 29, 1, 2, 3);
}

TEST_F(FileTimeInUtc, TopBitSet) {
    // 0x8000000000000000 ticks is 30828-09-14 02:48:05 UTC; the maximum a little later.
    expectFields(toLocalDateTime(FileTime{1ull << 63}), 30828, 9, 14, 2, 48, 5);
    expectFields(toLocalDateTime(FileTime{kMax}), 60056, 5, 28, 5, 36, 10);
}

TEST(FileTime, LocalTimeFollowsTheTimeZone) {
    const LocalDateTime st = [] {
        test::ScopedTimeZone zone("JST-9");
        return toLocalDateTime(fileTimeFromUnix(0));
    }();
    expectFields(st, 1970, 1, 1, 9, 0, 0);
}
