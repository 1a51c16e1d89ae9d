#include "catalogue/stockfile.h"
#include "manage/stockops.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

using Names = std::vector<std::string>;

TEST(StockMove, FirstUpAndLastDownChangeNothing) {
    Names names{"a", "b", "c"};
    EXPECT_FALSE(moveStock(names, 0, MoveDirection::Up));
    EXPECT_FALSE(moveStock(names, 2, MoveDirection::Down));
    EXPECT_FALSE(moveStock(names, -1, MoveDirection::Down)); // no selection
    EXPECT_FALSE(moveStock(names, 3, MoveDirection::Up));
    EXPECT_EQ(names, (Names{"a", "b", "c"}));

    EXPECT_TRUE(moveStock(names, 2, MoveDirection::Up));
    EXPECT_EQ(names, (Names{"a", "c", "b"}));
    EXPECT_TRUE(moveStock(names, 0, MoveDirection::Down));
    EXPECT_EQ(names, (Names{"c", "a", "b"}));
    EXPECT_EQ(stockMoveTarget(3, 1, MoveDirection::Up), 0);
    EXPECT_EQ(stockMoveTarget(1, 0, MoveDirection::Down), std::nullopt);
}

class StockRename : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string check(const Names& names, int index, std::string_view newName) {
        return validateStockRename(dir.path(), names, index, newName);
    }
};

TEST_F(StockRename, ChecksInOrderWithTheirMessages) {
    const Names names{"a", "b"};
    EXPECT_EQ(check(names, 0, ""), "名前が空欄です");
    const std::string forbidden = "\\ / : , ; * ? \" < > |  は使えません";
    EXPECT_EQ(std::string(kMessageNameForbidden), forbidden);
    for (char c : std::string_view("\\/:,;*?\"<>|"))
        EXPECT_EQ(check(names, 0, std::string("x") + c + "y"), forbidden) << c;
    // A forbidden character beats a clash with another name.
    EXPECT_EQ(check(Names{"a", "b|"}, 0, "b|"), forbidden);
    EXPECT_EQ(check(names, 0, "b"), "その名前は使われています");
}

TEST_F(StockRename, AcceptsTheUsualNames) {
    const Names names{"a", "b"};
    EXPECT_EQ(check(names, 0, "a"), "");  // unchanged
    EXPECT_EQ(check(names, 0, "A"), "");  // only its own name differs by case
    EXPECT_EQ(check(names, 0, "表"), ""); // CP932 trail byte 0x5C
    EXPECT_EQ(check(names, 0, "ソ能"), "");
    EXPECT_EQ(check(names, 0, " c "), ""); // blanks are kept, not refused
}

TEST_F(StockRename, RefusesNamesThatWouldReachAnotherFile) {
    const Names names{"a", "Photos"};
    EXPECT_EQ(check(names, 0, "photos"), "その名前は使われています"); // case-only clash
    EXPECT_EQ(check(names, 0, "PHOTOS"), "その名前は使われています");
    EXPECT_EQ(check(names, 0, "StockList"), "その名前は使われています");
    EXPECT_EQ(check(names, 0, "setting"), "その名前は使われています");
    EXPECT_EQ(check(names, 0, ".."), "その名前は使われています");

    test::writeFile(dir / "stray.dat", "x");
    EXPECT_EQ(check(names, 0, "stray"), "その名前は使われています");
    // The stock's own file is no obstacle.
    test::writeFile(dir / "a.dat", "1200\r\n0\r\n");
    EXPECT_EQ(check(names, 0, "a"), "");
}

// A stock of one folder with one file, written as Data/<name>.dat.
struct MadeStock : test::StockBuilder {
    explicit MadeStock(const std::string& name) {
        add(root(name, {"readme.txt"}), "sub", {"inner.bin"});
    }
};

TEST_F(StockRename, WritesTheNewFileAndThenRemovesTheOld) {
    MadeStock stock("a");
    ASSERT_TRUE(writeStockFile(dir / "a.dat", stock.tree));
    const std::string content = test::readFile(dir / "a.dat");

    stock.tree.root()->name = "新しい";
    EXPECT_EQ(renameStockFile(dir.path(), "a", "新しい", stock.tree), RenameStatus::Renamed);
    EXPECT_FALSE(std::filesystem::exists(dir / "a.dat"));
    EXPECT_EQ(test::readFile(dir / "新しい.dat"), content);

    // Renaming to the same name rewrites the file from the tree and keeps it.
    EXPECT_EQ(renameStockFile(dir.path(), "新しい", "新しい", stock.tree), RenameStatus::Renamed);
    EXPECT_EQ(test::readFile(dir / "新しい.dat"), content);
}

TEST_F(StockRename, AFailedWriteKeepsTheOldFile) {
    MadeStock stock("a");
    ASSERT_TRUE(writeStockFile(dir / "a.dat", stock.tree));
    // A folder in the way of the new file: it cannot be written.
    std::filesystem::create_directories(dir / "b.dat" / "inside");
    EXPECT_EQ(renameStockFile(dir.path(), "a", "b", stock.tree), RenameStatus::CannotCreate);
    EXPECT_TRUE(std::filesystem::exists(dir / "a.dat"));
    // A name too long for a file name fails the same way.
    EXPECT_EQ(renameStockFile(dir.path(), "a", std::string(300, 'x'), stock.tree),
              RenameStatus::CannotCreate);
    EXPECT_TRUE(std::filesystem::exists(dir / "a.dat"));
}

TEST(StockDelete, RemovesOnlyTheStockFileInsideData) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Data");
    test::writeFile(dir / "Data" / "x.dat", "1200");
    test::writeFile(dir / "Data" / "StockList.dat", "x\r\n");
    test::writeFile(dir / "outside.dat", "keep");
    deleteStockFile(dir / "Data", "x");
    EXPECT_FALSE(std::filesystem::exists(dir / "Data" / "x.dat"));
    deleteStockFile(dir / "Data", "x"); // already gone: ignored
    deleteStockFile(dir / "Data", "../outside");
    deleteStockFile(dir / "Data", "StockList");
    EXPECT_TRUE(std::filesystem::exists(dir / "outside.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Data" / "StockList.dat"));
}

} // namespace
} // namespace zt
