// zutomelark-cli show: a folder's contents in the window's order.
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zt;
using zt::test::runCli;
using zt::test::TempDir;

namespace {

// Data with stock "Disc": root files b.doc, a.txt, C.doc; folders Sub (with
// 表 and x.bin inside) and empty; stock "Broken" listed without its file.
class ShowCli : public ::testing::Test {
  protected:
    void SetUp() override {
        test::StockBuilder s;
        FolderNode* root = s.root("Disc", {"b.doc", "a.txt", "C.doc"});
        s.add(root, "empty");
        FolderNode* sub = s.add(root, "Sub", {"x.bin"});
        s.add(sub, "表");
        ASSERT_TRUE(s.write(data.path(), "Disc"));
        ASSERT_TRUE(saveStockList(data.path(), {"Disc", "Broken"}));
    }

    test::CliRun show(const std::string& args) {
        return runCli("--data '" + data.path().string() + "' show " + args);
    }

    TempDir data;
};

} // namespace

TEST_F(ShowCli, ListsFoldersFirstByNameOrByKind) {
    auto r = show("Disc");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "empty\\\nSub\\\na.txt\nb.doc\nC.doc\n");

    r = show("Disc --by-kind");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "empty\\\nSub\\\nb.doc\nC.doc\na.txt\n");

    r = show("Disc '\\Sub'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "表\\\nx.bin\n");

    // The root written as "\" and a folder path without the leading "\" and in other case.
    EXPECT_EQ(show("Disc '\\'").out, show("Disc").out);
    EXPECT_EQ(show("Disc 'sub'").out, "表\\\nx.bin\n");
}

TEST_F(ShowCli, AnEmptyFolderIsFoundButListsNothing) {
    auto r = show("Disc '\\Sub\\表'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(ShowCli, MissingStockOrFolderAndUsage) {
    auto r = show("Nope");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ファイル " + (data / "Nope.dat").string() + " は開けません\n");

    r = show("Broken");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ファイル " + (data / "Broken.dat").string() + " は開けません\n");

    r = show("Disc '\\Sub\\none'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");

    // A listed name that would read the program's own files is refused.
    ASSERT_TRUE(saveStockList(data.path(), {"Disc", "StockList"}));
    r = show("StockList");
    EXPECT_EQ(r.status, 1);

    EXPECT_EQ(show("").status, 2);
    EXPECT_EQ(show("Disc a b").status, 2);
    EXPECT_EQ(show("Disc --by-size").status, 2);
    r = show("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("show STOCK"), std::string::npos);
}
