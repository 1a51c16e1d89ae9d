#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "catalogue/stockpath.h"
#include "search/csv.h"
#include "search/engine.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

namespace zt {
namespace {

using test::runCli;

// A Data folder with stocks A (files and a folder) and B, and a listed stock
// whose file is missing.
class SearchCli : public ::testing::Test {
  protected:
    void SetUp() override {
        tz_.emplace("UTC"); // for the command's date cells
        addStock("A", [](FolderTree& t) {
            FileRecord* f = t.addFile(t.root(), "Report,final \"v2\".txt");
            f->size = 1234567;
            f->created = FileTime{t0};
            f->modified = FileTime{t0 + 10000000};
            FolderNode* d = t.addChild(t.root(), "reports");
            d->created = FileTime{t0};
            d->modified = FileTime{t0};
            t.addFile(d, "old report.doc")->size = 999;
        });
        addStock("B", [](FolderTree& t) { t.addFile(t.root(), "REPORT.TXT"); });
        ASSERT_TRUE(saveStockList(dir.path(), {"A", "Gone", "B"}));
    }
    void TearDown() override { tz_.reset(); }

    template <class Fill> void addStock(const std::string& name, Fill fill) {
        test::StockBuilder s;
        s.root(name);
        fill(s.tree);
        ASSERT_TRUE(writeStockFile(*stockFilePath(dir.path(), name), s.tree));
    }
    [[nodiscard]] test::CliRun search(const std::string& args) const {
        return runCli("--data '" + dir.path().string() + "' search " + args);
    }

    // 2001-03-05 09:07:03 UTC.
    static constexpr uint64_t t0 = (983783223ull + 11644473600ull) * 10000000ull;
    test::TempDir dir;
    std::optional<test::ScopedTimeZone> tz_;
};

TEST_F(SearchCli, PrintsHitsInStockAndWalkOrderWithTheDialogsCells) {
    const auto r = search("report");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\\A\\Report,final \"v2\".txt\t1,234KB\t2001/3/5 9:7:3\t2001/3/5 9:7:4\n"
                     "\\A\\reports\t\t2001/3/5 9:7:3\t\n"
                     "\\A\\reports\\old report.doc\t0KB\t\t\n"
                     "\\B\\REPORT.TXT\t0KB\t\t\n");
    // The missing stock is named; the others are still searched.
    EXPECT_NE(r.err.find("Gone.dat"), std::string::npos);

    EXPECT_EQ(search("report --case --target files").out,
              "\\A\\reports\\old report.doc\t0KB\t\t\n");
    EXPECT_EQ(search("REPORT.TXT --mode exact --case").out, "\\B\\REPORT.TXT\t0KB\t\t\n");
    EXPECT_EQ(search("reports --mode exact --target folders").out,
              "\\A\\reports\t\t2001/3/5 9:7:3\t\n");
    EXPECT_EQ(search(".txt --mode suffix --stock B --stock A").out,
              "\\A\\Report,final \"v2\".txt\t1,234KB\t2001/3/5 9:7:3\t2001/3/5 9:7:4\n"
              "\\B\\REPORT.TXT\t0KB\t\t\n");
    EXPECT_EQ(search("old --mode prefix").out, "\\A\\reports\\old report.doc\t0KB\t\t\n");
}

TEST_F(SearchCli, OptionFormsAndExitStatuses) {
    const std::pair<std::string, int> cases[] = {
        {"nothing-like-this --stock A", 1},
        {"x --stock Nope", 4},
        {"x --mode fuzzy", 2},
        {"''", 2},
        {"", 2},
        {"x --limit -1", 2},
        {"x --stock Gone", 6}, // nothing could be read
        {"--help", 0},
        {"--mode=exact REPORT.TXT", 0},
        {"-m exact -c -t files REPORT.TXT", 0},
        {"REPORT.TXT --mode exact --case", 0},
        {"--stock A -- -h", 1}, // a text, not the help
    };
    for (const auto& [args, status] : cases)
        EXPECT_EQ(search(args).status, status) << args;
    EXPECT_EQ(search("-s B -m=exact REPORT.TXT").status, 2); // short options take no "="
}

// The pattern modes and the size and date conditions, each answered alike
// through the name indexes (built by the first search) and by the scan.
TEST_F(SearchCli, PatternsAndConditionsWithAndWithoutTheIndex) {
    const std::string oldDoc = "\\A\\reports\\old report.doc\t0KB\t\t\n";
    const std::string reports = "\\A\\reports\t\t2001/3/5 9:7:3\t\n";
    const std::string final =
        "\\A\\Report,final \"v2\".txt\t1,234KB\t2001/3/5 9:7:3\t2001/3/5 9:7:4\n";
    const std::pair<std::string, std::string> cases[] = {
        {"'*report.*' --mode wildcard", oldDoc + "\\B\\REPORT.TXT\t0KB\t\t\n"},
        {"'report?txt' --mode wildcard --case", ""},
        {"'^old|final' --mode regex", final + oldDoc},
        {"report --min-size 1KB", final},
        {"report --max-size 1000", oldDoc + "\\B\\REPORT.TXT\t0KB\t\t\n"},
        {"report --newer 2001-03-05", final + reports},
        {"report --older 2001-03-04", ""},
        {"report --older 2001-03-05 --target files", final},
    };
    for (const auto& [args, out] : cases) {
        EXPECT_EQ(search(args).out, out) << args;
        EXPECT_EQ(search(args + " --no-index").out, out) << args;
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "Index" / "A.idx"));
}

TEST_F(SearchCli, CsvIsTheDialogsFileAndReadsBackAsTheCells) {
    const auto csv = dir / "out.csv";
    const auto r = search("report --csv '" + csv.string() + "'");
    ASSERT_EQ(r.status, 0);
    std::vector<ResultCells> rows = {
        {"Report,final \"v2\".txt", "\\A\\Report,final \"v2\".txt", "1,234KB", "2001/3/5 9:7:3",
         "2001/3/5 9:7:4"},
        {"reports", "\\A\\reports", "", "2001/3/5 9:7:3", ""},
        {"old report.doc", "\\A\\reports\\old report.doc", "0KB", "", ""},
        {"REPORT.TXT", "\\B\\REPORT.TXT", "0KB", "", ""},
    };
    EXPECT_EQ(test::readFile(csv), resultsCsvBytes(rows));

    if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    const auto dump = dir / "dump.txt";
    const std::string py = "python3 -c 'import csv,sys\n"
                           "with open(sys.argv[1], newline=\"\", encoding=\"cp932\") as f:\n"
                           "  for row in csv.reader(f): print(\"|\".join(row))' '" +
                           csv.string() + "' > '" + dump.string() + "'";
    ASSERT_EQ(std::system(py.c_str()), 0);
    std::ostringstream expected;
    expected << "ファイル・フォルダ名|パス|サイズ|作成日時|更新日時\n";
    for (const auto& c : rows)
        expected << c.name << '|' << c.path << '|' << c.size << '|' << c.created << '|'
                 << c.modified << '\n';
    EXPECT_EQ(test::readFile(dump), expected.str());
}

TEST_F(SearchCli, LimitMessageGoesToStandardError) {
    addStock("Big", [](FolderTree& t) {
        for (int i = 0; i < 10001; ++i)
            t.addFile(t.root(), "n" + std::to_string(i));
        t.addFile(t.addChild(t.root(), "sub"), "n-late");
    });
    ASSERT_TRUE(saveStockList(dir.path(), {"Big", "A"}));
    auto r = search("n --target files");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(kMessageLimitExceeded), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10001);
    EXPECT_EQ(r.out.find("n-late"), std::string::npos);
    r = search("n --target files --limit 0");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10002 + 1); // and A's file
    // A reader that goes away with SIGPIPE ignored: the write fails (EPIPE),
    // which is told, not taken for success.
    const char* cli = std::getenv("ZT_CLI");
    const std::string program =
        cli ? cli
            : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zutomelark-cli")
                  .string();
    const auto err = dir / "err", rc = dir / "rc";
    const std::string piped = "(trap '' PIPE; '" + program + "' --data '" + dir.path().string() +
                              "' search n --limit 0 2>'" + err.string() + "'; echo $? >'" +
                              rc.string() + "') | true";
    ASSERT_EQ(std::system(piped.c_str()), 0);
    EXPECT_EQ(test::readFile(rc), "6\n");
    EXPECT_NE(test::readFile(err).find("標準出力に書き込めません: "), std::string::npos);

    // --limit promises at most N rows, though the first folder holds more;
    // status 3 only when more existed. The scan and the index give the same.
    const std::pair<std::string, int> capped[] = {{"--limit=5", 5},
                                                  {"-n 1", 1},
                                                  {"-n 10002", 10002},
                                                  {"-n 10003", 10003},
                                                  {"-n 10004", 10003}};
    for (const auto& [limit, rows] : capped)
        for (const std::string index : {"", " --no-index"}) {
            r = search("n --target files " + limit + index);
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), rows) << limit << index;
            EXPECT_EQ(r.status, rows < 10003 ? 3 : 0) << limit << index;
            EXPECT_EQ(r.err.find(kMessageLimitExceeded), std::string::npos) << limit;
        }
}

} // namespace
} // namespace zt
