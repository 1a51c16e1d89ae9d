// The stock commands of zutomelark-cli, run as a separate program.
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "platform/codec.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_EQ(cli("move nobody up").status, 4);
    EXPECT_EQ(cli("move one sideways").status, 2);
}

TEST_F(ManageCli, RenameValidatesLikeTheWindow) {
    auto r = cli("rename one ''");
    EXPECT_EQ(r.status, 5);
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
    EXPECT_EQ(cli("delete two").status, 4);
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
    EXPECT_EQ(r.status, 6);
    EXPECT_NE(r.err.find("を作成できません"), std::string::npos) << r.err;
    EXPECT_EQ(cli("export one x --folder '\\nothere'").status, 4);
    EXPECT_EQ(cli("export one x --kind all").status, 2);
    EXPECT_EQ(cli("export one").status, 2);
    EXPECT_EQ(cli("export --help").status, 0);
}

TEST_F(ManageCli, ShowListsFoldersFirstByNameOrByKind) {
    makeStock("Disc");
    list({"Disc", "Broken"});
    auto r = cli("show Disc");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "also\\\nsub\\\nb.tar.gz\nz.txt\n");
    EXPECT_EQ(cli("show Disc --by-kind").out, "also\\\nsub\\\nb.tar.gz\nz.txt\n");
    EXPECT_EQ(cli("show Disc '\\sub'").out, "in.c\n");
    EXPECT_EQ(cli("show Disc 'SUB\\'").out, "in.c\n"); // one folder equal but for case
    EXPECT_EQ(cli("show Disc '\\'").out, cli("show Disc").out);
    r = cli("show Disc --json '\\sub'");
    EXPECT_TRUE(r.out.starts_with("{\"name\":\"in.c\",\"folder\":false,\"size\":0,")) << r.out;
}

// One failure, one exit status, in every command that can meet it.
TEST_F(ManageCli, TheSameFailureGivesTheSameStatusEverywhere) {
    list({"one", "Gone", "StockList"});
    const std::string out = "'" + (dir / "o.txt").string() + "'";
    const std::pair<std::string, int> cases[] = {
        {"show Nope", 4},
        {"export Nope " + out, 4},
        {"rename Nope x", 4},
        {"delete Nope", 4},
        {"move Nope up", 4},
        {"search x --stock Nope", 4},
        {"show one '\\none'", 4},
        {"export one " + out + " --folder '\\none'", 4},
        {"show Gone", 6},
        {"export Gone " + out, 6},
        {"rename Gone x", 6},
        {"show StockList", 5},
        {"rename one 'a:b'", 5},
        {"adopt one", 5},
        {"show", 2},
        {"show one a b", 2},
        {"show one --by-size", 2},
        {"export one", 2},
        {"export one x --kind all", 2},
        {"move one sideways", 2},
        {"frobnicate", 2},
        {"move one up", 1},
    };
    for (const auto& [args, status] : cases)
        EXPECT_EQ(cli(args).status, status) << args;
}

TEST_F(ManageCli, NamesAreLineSafeInTextAndRawInJson) {
    const std::string odd = "tab\tline\nback\\slash &#65; \x1b[31m";
    test::StockBuilder s;
    s.root("odd", {odd});
    ASSERT_TRUE(s.write(data, "odd"));
    list({"odd", "a\tb"});
    const std::string escaped = "tab&#9;line&#10;back&#92;slash &#38;#65; &#27;[31m";
    EXPECT_EQ(cli("list").out, "odd\na&#9;b\n");
    EXPECT_EQ(cli("show odd").out, escaped + "\n");
    EXPECT_EQ(cli("search line").out.substr(0, 5 + escaped.size()), "\\odd\\" + escaped);
    EXPECT_EQ(cli("list --json").out, "{\"name\":\"odd\"}\n{\"name\":\"a\\u0009b\"}\n");
    const auto r = cli("search line --json");
    EXPECT_NE(r.out.find("\"name\":\"tab\\u0009line\\u000aback\\\\slash &#65; \\u001b[31m\""),
              std::string::npos)
        << r.out;
    EXPECT_EQ(cli("show 'a\tb'").err.find('\t'), std::string::npos); // messages escaped too
}

// What a terminal could take as a command: C0 (but the tab and line end the
// output itself uses), DEL, C1 as UTF-8, and bytes that are no UTF-8 at all.
std::string rawControlIn(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F ||
            (c == 0xC2 && next >= 0x80 && next <= 0x9F) ||
            (c >= 0x80 && c <= 0x9F && (i == 0 || static_cast<unsigned char>(text[i - 1]) < 0x80)))
            return "byte " + std::to_string(c) + " at " + std::to_string(i);
    }
    return {};
}

TEST_F(ManageCli, NoControlCharacterReachesTheTerminalRaw) {
    const std::string hostile = "e\x1b[2Jc\xC2\x9b"
                                "1m\x7f\r\n";
    test::StockBuilder s;
    s.add(s.root(hostile, {hostile + ".txt"}), hostile);
    ASSERT_TRUE(s.write(data, hostile));
    list({hostile, "one"});
    const std::string q = "'" + hostile + "'";
    const std::string nowhere = "'" + (dir / hostile).string() + "'";
    const std::string commands[] = {
        "list",
        "list --json",
        "list --unlisted",
        "list --long",
        "info " + q,
        "info " + q + " --json",
        "index --check",
        "dupes --min-size 0",
        "update " + q + "x",
        "show " + q,
        "show " + q + " --json",
        "show " + q + " " + q,
        "search e",
        "search e --json",
        "search e --stock " + q + "x",
        "rename " + q + "x y",
        "rename one " + q,
        "delete " + q + "x",
        "move " + q + "x up",
        "capture " + nowhere,
        "export one " + nowhere + "/x",
        "adopt " + q + "x",
        q + " list",
        "list '--" + hostile + "'",
        "show \x9b\xff",
    };
    for (const std::string& args : commands) {
        const auto r = cli(args);
        EXPECT_EQ(rawControlIn(r.out), "") << args << " (standard output)";
        EXPECT_EQ(rawControlIn(r.err), "") << args << " (standard error)";
    }
    // The name itself comes through, escaped.
    EXPECT_EQ(cli("list").out, "e&#27;[2Jc&#155;1m&#127;&#13;&#10;\none\n");
}

TEST_F(ManageCli, OutputGoesWhereTheUserSaidInPlace) {
    EXPECT_EQ(cli("export one - --kind folders").out, "also\r\nsub\r\n");
    const std::string csv = cli("search z.txt --csv - --stock one").out; // the CSV alone
    EXPECT_EQ(csv.find(cp932::encode("ファイル・フォルダ名,")), 0u);
    EXPECT_NE(csv.find("\\one\\z.txt"), std::string::npos);
    // A symbolic link is written through; a read-only file is refused and kept.
    test::writeFile(dir / "target.csv", "old");
    std::filesystem::create_symlink(dir / "target.csv", dir / "link.csv");
    EXPECT_EQ(cli("search z.txt --stock one --csv '" + (dir / "link.csv").string() + "'").status,
              0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
    EXPECT_NE(test::readFile(dir / "target.csv").find("z.txt"), std::string::npos);
    test::writeFile(dir / "ro.txt", "keep");
    std::filesystem::permissions(dir / "ro.txt", std::filesystem::perms::owner_read);
    EXPECT_EQ(cli("export one '" + (dir / "ro.txt").string() + "'").status, 6);
    EXPECT_EQ(test::readFile(dir / "ro.txt"), "keep");
}

TEST(Cli, HelpAndVersionAnswerBeforeTheDataFolderIsTouched) {
    test::TempDir dir;
    const std::string data = "--data '" + (dir / "Data").string() + "' ";
    for (const std::string args :
         {"--help", "--version", "list --help", "search -h", "capture --help"})
        EXPECT_EQ(test::runCli(data + args).status, 0) << args;
    EXPECT_NE(test::runCli("--version").out.find("zutomelark-cli "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "Data"));
    EXPECT_EQ(test::runCli(data + "--bogus list").status, 2);
    EXPECT_EQ(test::runCli("").status, 2);
}

TEST(Cli, UnlistedStocksAreListedAndAdopted) {
    test::TempDir dir;
    test::StockBuilder s;
    s.root("orphan", {"f"});
    std::filesystem::create_directories(dir / "Data");
    ASSERT_TRUE(s.write(dir / "Data", "orphan"));
    test::writeFile(dir / "Data" / "junk.dat", "text");
    const std::string data = "--data '" + (dir / "Data").string() + "' ";
    EXPECT_EQ(test::runCli(data + "list --unlisted").out, "junk\norphan\n");
    const auto r = test::runCli(data + "adopt orphan junk");
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.err.find("はストックではありません"), std::string::npos);
    EXPECT_EQ(test::runCli(data + "list").out, "orphan\n");
    EXPECT_EQ(test::runCli(data + "list -u").out, "junk\n");
}

TEST(CaptureCli, CapturesNamesAndAppends) {
    test::TempDir tmp;
    fs::create_directories(tmp / "data");
    fs::create_directories(tmp / "My Src/sub");
    test::writeFile(tmp / "My Src/sub/f.txt", "abc");
    fs::create_directories(tmp / "empty");
    const std::string data = "--data '" + (tmp / "data").string() + "' ";

    auto run = test::runCli(data + "capture '" + (tmp / "My Src").string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "My Src\n");
    run = test::runCli(data + "capture '" + (tmp / "My Src").string() + "/'");
    EXPECT_EQ(run.out, "My Src_2\n");
    run = test::runCli(data + "capture '" + (tmp / "My Src").string() + "' --name mine");
    EXPECT_EQ(run.out, "mine\n");
    EXPECT_EQ(test::runCli(data + "list").out, "My Src\nMy Src_2\nmine\n");

    FolderTree tree;
    ASSERT_EQ(readStockFile(tmp / "data/My Src_2.dat", "x", tree).status,
              StockReadStatus::Completed);
    EXPECT_EQ(tree.root()->children.at(0)->firstFile->size, 3u);

    run = test::runCli(data + "capture '" + (tmp / "empty").string() + "'");
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("無効な読み込み元指定です"), std::string::npos);
    EXPECT_EQ(test::runCli(data + "capture '" + (tmp / "My Src").string() + "' --name a/b").status,
              5);
    EXPECT_EQ(test::runCli(data + "capture").status, 2);
    EXPECT_EQ(test::runCli(data + "list").out, "My Src\nMy Src_2\nmine\n");

    // A folder name that is not UTF-8 names the stock as the window shows it,
    // so the stock list and the stock file agree and the stock opens.
    const fs::path odd = tmp / std::string("odd\xff");
    fs::create_directories(odd);
    test::writeFile(odd / "f.txt", "x");
    run = test::runCli(data + "capture '" + odd.string() + "'");
    EXPECT_EQ(run.out, "odd\xEF\xBF\xBD\n");
    EXPECT_EQ(test::runCli(data + "show 'odd\xEF\xBF\xBD'").status, 0);
}

TEST(CaptureCli, FoldersOnAnotherFileSystemAreReported) {
    struct stat dev {
    }, pts{};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/pts", &pts) != 0 || dev.st_dev == pts.st_dev)
        GTEST_SKIP() << "no separate file system inside /dev";
    test::TempDir tmp;
    const auto r = test::runCli("--data '" + (tmp / "Data").string() + "' capture /dev");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "dev\n");
    EXPECT_NE(r.err.find("別のファイルシステムのフォルダ "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" 個は読み込みませんでした\n"), std::string::npos) << r.err;
}

} // namespace
} // namespace zt
