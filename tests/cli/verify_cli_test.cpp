// capture --checksums, verify, update --checksums and dupes --by content on
// the command line: their output and exit statuses.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

class VerifyCli : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path data = dir / "Data", src = dir / "disc";

    void SetUp() override {
        fs::create_directories(data / "Icon");
        fs::create_directories(src / "sub");
        test::writeFile(src / "a.txt", "alpha");
        test::writeFile(src / "sub" / "b.txt", "beta");
    }
    test::CliRun cli(const std::string& args) {
        return test::runCli("--data '" + data.string() + "' " + args);
    }
};

TEST_F(VerifyCli, ExitStatusTellsAllOkDifferencesAndAnUnreadableSource) {
    ASSERT_EQ(cli("capture --checksums '" + src.string() + "'").status, 0);
    ASSERT_TRUE(fs::exists(data / "Sums" / "disc.sum"));
    auto r = cli("verify disc");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("全 2 ファイル正常"), std::string::npos);

    struct stat st {};
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    test::writeFile(src / "a.txt", "alphA");
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, (src / "a.txt").c_str(), times, 0), 0);
    test::writeFile(src / "new.txt", "n");
    r = cli("verify disc");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "内容変更\t\\disc\\a.txt\n新規\t\\disc\\new.txt\n");
    r = cli("verify disc --json");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("{\"state\":\"content\",\"path\":\"\\\\disc\\\\a.txt\""), std::string::npos);
    EXPECT_NE(r.out.find("{\"summary\":{\"content\":1,\"unreadable\":0,\"changed\":0,\"missing\":0,"
                         "\"new\":1,\"ok\":1,\"checksums\":\"used\",\"complete\":true}}\n"),
              std::string::npos);

    EXPECT_EQ(cli("verify disc '" + (dir / "nowhere").string() + "'").status, 6);
    EXPECT_EQ(cli("verify nosuch").status, 4);
    EXPECT_EQ(cli("verify").status, 2);

    r = cli("info disc");
    EXPECT_NE(r.out.find("最終検証: "), std::string::npos);
    EXPECT_NE(r.out.find("内容変更 1"), std::string::npos);
    EXPECT_NE(cli("info disc --json").out.find("\"lastVerify\":\"" ), std::string::npos);
    r = cli("list --long");
    EXPECT_NE(r.out.find("\t最終検証: "), std::string::npos);
}

TEST_F(VerifyCli, AStockWithoutChecksumsIsVerifiedBySizeAndTimeAndSaysSo) {
    ASSERT_EQ(cli("capture '" + src.string() + "'").status, 0);
    auto r = cli("verify disc");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("サイズと日時で確かめました"), std::string::npos);
    EXPECT_NE(cli("info disc").out.find("(サイズと日時のみ)"), std::string::npos);

    // update --checksums adds them; dupes --by content then finds equal content.
    test::writeFile(src / "sub" / "copy.txt", "alpha");
    r = cli("update disc --checksums");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(data / "Sums" / "disc.sum"));
    EXPECT_EQ(cli("verify disc").err.find("サイズと日時で"), std::string::npos);
    r = cli("dupes --by content");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\t0KB\t\\disc\\a.txt\n1\t0KB\t\\disc\\sub\\copy.txt\n");
    EXPECT_EQ(cli("dupes --by contents").status, 2);
}

// Read errors from below the program: a preloaded library fails the reads of
// one file with EIO, as a damaged disc does.
class PreloadedReadErrors {
  public:
    explicit PreloadedReadErrors(const char* file) {
        const char* asan = std::getenv("ASAN_OPTIONS");
        asan_ = asan ? asan : "";
        hadAsan_ = asan != nullptr;
        // The library comes before a sanitizer's runtime in the list of libraries.
        ::setenv("ASAN_OPTIONS", (asan_ + (asan_.empty() ? "" : ":") + "verify_asan_link_order=0").c_str(), 1);
        ::setenv("LD_PRELOAD", ZT_FAILREAD_LIB, 1);
        ::setenv("ZT_FAIL_READ", file, 1);
    }
    ~PreloadedReadErrors() {
        ::unsetenv("LD_PRELOAD");
        ::unsetenv("ZT_FAIL_READ");
        if (hadAsan_)
            ::setenv("ASAN_OPTIONS", asan_.c_str(), 1);
        else
            ::unsetenv("ASAN_OPTIONS");
    }

  private:
    std::string asan_;
    bool hadAsan_ = false;
};

TEST_F(VerifyCli, ASystemReadErrorIsRecordedReportedAndNeverEndsTheJob) {
    {
        PreloadedReadErrors eio("b.txt");
        const auto captured = cli("capture --checksums '" + src.string() + "'");
        EXPECT_EQ(captured.status, 0) << captured.err;
        EXPECT_NE(captured.err.find("読めないファイル 1 個"), std::string::npos) << captured.err;
        const auto r = cli("verify disc");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out.rfind("読めない\t\\disc\\sub\\b.txt\t", 0), 0u) << r.out;
        EXPECT_NE(r.err.find("正常 1"), std::string::npos); // a.txt was read and compared
    }
    // Readable again: the file reads back, though it had no checksum to compare.
    EXPECT_EQ(cli("verify disc").status, 0);
}

} // namespace
} // namespace zt
