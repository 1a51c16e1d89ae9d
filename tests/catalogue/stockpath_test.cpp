#include "catalogue/stockpath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zt {
namespace {

TEST(StockPath, UnsafeNamesNeverNameAFileOutsideData) {
    const std::filesystem::path data = "/d/Data";
    for (const std::string& bad :
         std::vector<std::string>{"", ".", "..", "../x", "a/b", "/etc/passwd", "StockList",
                                  "setting", std::string(252, 'x')})
        EXPECT_FALSE(stockFilePath(data, bad)) << bad;
    EXPECT_EQ(*stockFilePath(data, "..x"), data / "..x.dat");
    EXPECT_EQ(*stockFilePath(data, "a\\b"), data / "a\\b.dat");
    EXPECT_TRUE(stockFilePath(data, std::string(251, 'x')));
}

} // namespace
} // namespace zt
