// export-ncdu read back by ncdu itself, and show's sizes.
#include "catalogue/stockfile.h"
#include "platform/codec.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace zt {
namespace {

class SizesCli : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path data = dir / "Data";

    // top (2 bytes): a.bin 100; big\ (4000): x 3000, y 1000; odd\ (0): one name
    // of quotes, a backslash, a control character and kana.
    void SetUp() override {
        std::filesystem::create_directories(data / "Icon");
        test::StockBuilder s;
        FolderNode* top = s.root("disc");
        s.tree.addFile(top, "a.bin")->size = 100;
        FolderNode* big = s.add(top, "big");
        s.tree.addFile(big, "x")->size = 3000;
        s.tree.addFile(big, "y")->size = 1000;
        FolderNode* odd = s.add(top, "odd");
        s.tree.addFile(odd, "\"q\\\x01写真.jpg")->size = 0;
        ASSERT_TRUE(s.write(data, "disc"));
        test::writeFile(data / "StockList.dat", "disc\r\n");
    }

    test::CliRun cli(const std::string& args) {
        return test::runCli("--data '" + data.string() + "' " + args);
    }
};

// ncdu reads the export and writes it out again: the same files, sizes and total.
TEST_F(SizesCli, NcduReadsTheExport) {
    if (std::system("command -v ncdu >/dev/null 2>&1") != 0) GTEST_SKIP() << "ncdu not installed";
    const auto out = dir / "disc.json";
    ASSERT_EQ(cli("export-ncdu disc '" + out.string() + "'").status, 0);
    const auto again = dir / "again.json";
    const std::string command =
        "ncdu -0 -f '" + out.string() + "' -o '" + again.string() + "' </dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string back = test::readFile(again);
    uint64_t total = 0;
    const std::regex asize("\"asize\":([0-9]+)");
    for (auto it = std::sregex_iterator(back.begin(), back.end(), asize);
         it != std::sregex_iterator(); ++it)
        total += std::stoull((*it)[1]);
    EXPECT_EQ(total, 4100u);
    EXPECT_NE(back.find("{\"name\":\"disc\"}"), std::string::npos) << back;
    EXPECT_NE(back.find("[{\"name\":\"big\"}"), std::string::npos);
    EXPECT_NE(back.find("\"name\":\"\\\"q\\\\\\u0001写真.jpg\""), std::string::npos) << back;
    // Standard output is the default, and the same bytes but for the time.
    const auto piped = cli("export-ncdu disc");
    EXPECT_EQ(piped.status, 0);
    const auto body = [](const std::string& s) { return s.substr(s.find("},\n")); };
    EXPECT_EQ(body(piped.out), body(test::readFile(out)));
    EXPECT_EQ(cli("export-ncdu nobody -").status, 4);
    EXPECT_EQ(cli("export-ncdu").status, 2);
}

TEST_F(SizesCli, ShowSizesAndSortBySize) {
    auto r = cli("show disc --sizes --sort size");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "4000\t97.6%\tbig\\\n100\t2.4%\ta.bin\n0\t0.0%\todd\\\n");
    r = cli("show disc --sort size");
    EXPECT_EQ(r.out, "big\\\na.bin\nodd\\\n");
    r = cli("show disc big -s --json");
    EXPECT_NE(
        r.out.find("\"name\":\"x\",\"folder\":false,\"size\":3000,\"total\":3000,\"share\":750"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(cli("show disc --sort sideways").status, 2);
}

} // namespace
} // namespace zt
