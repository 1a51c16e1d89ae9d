#include "platform/numbertext.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(NumberText, GroupsThousands) {
    const struct {
        unsigned long long value;
        const char* text;
    } cases[] = {{0, "0"},
                 {999, "999"},
                 {1000, "1,000"},
                 {1234567, "1,234,567"},
                 {18446744073709551615ull, "18,446,744,073,709,551,615"}};
    for (const auto& c : cases)
        EXPECT_EQ(groupThousands(c.value), c.text);
}

} // namespace
} // namespace zt
