#include "catalogue/stocklist.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zt;
using zt::test::TempDir;

TEST(StockList, LoadKeepsOrderAcceptsBothLineEndsAndSaveWritesCp932CrLf) {
    TempDir dir;
    // "表" and "ポ" carry 0x5C and 0x7C as their second byte.
    test::writeFile(dir / "StockList.dat", "C\r\nD_2\n\x95\x5c\r\n\x83\x7c\r\nlast");
    auto names = loadStockList(dir.path());
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{"C", "D_2", "表", "ポ", "last"}));

    ASSERT_TRUE(saveStockList(dir.path(), *names));
    EXPECT_EQ(test::readFile(dir / "StockList.dat"),
              "C\r\nD_2\r\n\x95\x5c\r\n\x83\x7c\r\nlast\r\n");
}

TEST(StockList, EmptyAndMissingFiles) {
    TempDir dir;
    EXPECT_FALSE(loadStockList(dir.path()));

    test::writeFile(dir / "StockList.dat", "");
    auto names = loadStockList(dir.path());
    ASSERT_TRUE(names);
    EXPECT_TRUE(names->empty());
    ASSERT_TRUE(saveStockList(dir.path(), {}));
    EXPECT_EQ(test::readFile(dir / "StockList.dat"), "");

    EXPECT_FALSE(saveStockList(dir / "missing", {"a"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(StockList, NamesOutsideCp932SurviveARoundTrip) {
    TempDir dir;
    const std::vector<std::string> names{"😀disc", "&#65;", "a&b", "한글"};
    ASSERT_TRUE(saveStockList(dir.path(), names));
    EXPECT_EQ(*loadStockList(dir.path()), names);
}

