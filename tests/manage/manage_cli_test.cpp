// The stock commands of zutomelark-cli, run as a separate program.
#include "catalogue/stockfile.h"
#include "platform/codec.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

class ManageCli : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path data = dir / "Data";

    void SetUp() override {
        std::filesystem::create_directories(data / "Icon");
        makeStock("one");
        makeStock("two");
        makeStock("three");
        list({"one", "two", "three"});
    }

    void list(std::initializer_list<std::string_view> names) {
        std::string bytes;
        for (auto n : names)
            (bytes += cp932::encode(n)) += "\r\n";
        test::writeFile(data / "StockList.dat", bytes);
    }

    // top: z.txt b.tar.gz; folders sub (in.c) and also (empty), added unsorted.
    void makeStock(const std::string& name) {
        test::StockBuilder s;
        FolderNode* top = s.root(name, {"z.txt", "b.tar.gz"});
        s.add(top, "sub", {"in.c"});
        s.add(top, "also");
        ASSERT_TRUE(s.write(data, name));
    }

    test::CliRun cli(const std::string& args) {
        return test::runCli("--data '" + data.string() + "' " + args);
    }
    std::string listFile() { return test::readFile(data / "StockList.dat"); }
};

TEST_F(ManageCli, MoveChangesTheListOrReportsNothingToDo) {
    EXPECT_EQ(cli("move three up").status, 0);
    EXPECT_EQ(listFile(), "one\r\nthree\r\ntwo\r\n");
    const auto r = cli("move one up");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(cli("move two down").status, 1);
    EXPECT_EQ(listFile(), "one\r\nthree\r\ntwo\r\n");
    EXPECT_EQ(cli("move nobody up").status, 2);
    EXPECT_EQ(cli("move one sideways").status, 2);
}

TEST_F(ManageCli, RenameValidatesLikeTheWindow) {
    auto r = cli("rename one ''");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "名前が空欄です\n");
    r = cli("rename one 'a:b'");
    EXPECT_EQ(r.err, "\\ / : , ; * ? \" < > |  は使えません\n");
    r = cli("rename one two");
    EXPECT_EQ(r.err, "その名前は使われています\n");
    r = cli("rename one TWO");
    EXPECT_EQ(r.err, "その名前は使われています\n");
    EXPECT_EQ(listFile(), "one\r\ntwo\r\nthree\r\n");
    EXPECT_TRUE(std::filesystem::exists(data / "one.dat"));
}

TEST_F(ManageCli, RenameMovesTheFileAndTheListEntry) {
    const std::string content = test::readFile(data / "one.dat");
    const auto r = cli("rename one 表示");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listFile(), cp932::encode("表示") + "\r\ntwo\r\nthree\r\n");
    EXPECT_FALSE(std::filesystem::exists(data / "one.dat"));
    EXPECT_EQ(test::readFile(data / "表示.dat"), content);
}

TEST_F(ManageCli, DeleteRemovesFileAndEntry) {
    EXPECT_EQ(cli("delete two").status, 0);
    EXPECT_EQ(listFile(), "one\r\nthree\r\n");
    EXPECT_FALSE(std::filesystem::exists(data / "two.dat"));
    EXPECT_EQ(cli("delete two").status, 2);
}

TEST_F(ManageCli, ExportWritesNamesInTreeOrder) {
    const auto out = dir / "names.txt";
    auto r = cli("export one '" + out.string() + "' --kind both --range stock");
    EXPECT_EQ(r.status, 0) << r.err;
    // Folders in name order as the window shows them, files in stored order.
    EXPECT_EQ(test::readFile(out), "z.txt\r\nb.tar.gz\r\nalso\r\nsub\r\nin.c\r\n");

    r = cli("export one '" + out.string() + "' --folder '\\sub' --strip-ext");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readFile(out), "in\r\n");

    r = cli("export one '" + out.string() + "' --kind folders --range folder");
    EXPECT_EQ(test::readFile(out), "also\r\nsub\r\n");
}

TEST_F(ManageCli, ExportFailuresAreReported) {
    auto r = cli("export one '" + (dir / "no" / "such" / "out.txt").string() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("を作成できません"), std::string::npos) << r.err;
    EXPECT_EQ(cli("export one x --folder '\\nothere'").status, 2);
    EXPECT_EQ(cli("export one x --kind all").status, 2);
    EXPECT_EQ(cli("export one").status, 2);
    EXPECT_EQ(cli("export --help").status, 0);
}

} // namespace
} // namespace zt
