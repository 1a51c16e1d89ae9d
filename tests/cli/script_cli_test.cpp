// What scripts rely on: checked writes, the Data folder rule, short options
// and usage errors, the output formats, and names whose bytes are no text.
#include "catalogue/stocklist.h"
#include "library/stocklibrary.h"
#include "platform/utf8.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace zt {
namespace {

namespace fs = std::filesystem;

// A folder on disk read into stock "src" through the command itself.
class ScriptCli : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(src / "sub");
        fs::create_directories(src / odd);
        test::writeFile(src / "report.txt", std::string(1500, 'x'));
        test::writeFile(src / "sub" / "report.txt", std::string(1500, 'x'));
        test::writeFile(src / odd / oddFile, "raw");
        const auto r = cli("capture '" + src.string() + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(r.out, "src\n");
    }
    test::CliRun cli(const std::string& args, const std::string& stdoutTo = {}) const {
        return test::runCli("--data '" + data.string() + "' " + args, stdoutTo);
    }

    // Bytes no encoding reads: 0xFA starts a CP932 pair that nothing finishes.
    const std::string odd = "d\xfa", oddFile = "bad\xff\xfe.txt";
    test::TempDir dir;
    fs::path src = dir / "src", data = dir / "Data";
};

TEST_F(ScriptCli, AFailedWriteIsToldWithStatusSix) {
    const char* const commands[] = {
        "search report", "search report -j",      "list",     "list -l", "show src",
        "export src -",  "search report --csv -", "info src", "--help",  "search --help"};
    for (const char* to : {">/dev/full", ">&-"})
        for (const std::string args : commands) {
            const auto r = cli(args, to);
            EXPECT_EQ(r.status, 6) << args << ' ' << to;
            EXPECT_NE(r.err.find("標準出力に書き込めません: "), std::string::npos) << args << to;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    // A closed standard output is never handed to a file opened later.
    EXPECT_EQ(cli("capture '" + src.string() + "' -N again", ">&-").status, 6);
    EXPECT_EQ(cli("show again").out, cli("show src").out);
}

TEST_F(ScriptCli, DataFolderIsMadeOnlyBelowAFolderThatExists) {
    const struct {
        fs::path where;
        int status;
        bool made;
    } cases[] = {
        {dir / "typo" / "deeper" / "Data", 6, false},
        {dir / "fresh", 1, true}, // a first use: made and empty
        {data, 0, true},
    };
    for (const auto& c : cases) {
        const auto r = test::runCli("--data '" + c.where.string() + "' list");
        EXPECT_EQ(r.status, c.status) << c.where;
        EXPECT_EQ(fs::exists(c.where), c.made) << c.where;
        if (c.status == 6) {
            EXPECT_NE(r.err.find(c.where.string()), std::string::npos) << r.err;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "typo"));
}

TEST_F(ScriptCli, CaptureNamesTheRealFolderAndPathsTakeSlashes) {
    const std::pair<fs::path, std::string> cases[] = {
        {src, "."},
        {src, "./"},
        {dir.path(), "./src/"},
        {src / "sub", ".."},
        {dir.path(), "src/sub/.."},
    };
    const fs::path before = fs::current_path();
    int n = 2;
    for (const auto& [where, path] : cases) {
        fs::current_path(where);
        const auto r = cli("capture '" + path + "'");
        fs::current_path(before);
        EXPECT_EQ(r.out, "src_" + std::to_string(n++) + "\n") << path << r.err;
    }
    EXPECT_EQ(cli("show src /sub").out, "report.txt\n");
    EXPECT_EQ(cli("show src sub/").out, "report.txt\n");
    EXPECT_EQ(cli("export src - -f /sub").out, "report.txt\r\n");
}

TEST_F(ScriptCli, OneShortOptionVocabularyAndOneLineUsageErrors) {
    EXPECT_EQ(cli("list -l").out.substr(0, 4), "src\t");
    EXPECT_EQ(cli("search report -n 1 --stock src").out.find('\n'),
              cli("search report").out.find('\n'));
    EXPECT_EQ(cli("search report -n 1").status, 3);
    EXPECT_EQ(cli("capture '" + src.string() + "' -N named").out, "named\n");
    const std::pair<std::string, std::string> errors[] = {
        {"update src -n", "update"}, // -n is --limit: update has none
        {"list -m", "list"},
        {"search", "search"},
        {"search x --mode fuzzy", "search"},
        {"show", "show"},
        {"frobnicate", ""},
        {"--bogus list", ""},
    };
    for (const auto& [args, word] : errors) {
        const auto r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
        const std::string hint =
            "詳しくは zutomelark-cli " + (word.empty() ? "" : word + " ") + "--help\n";
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << args << '\n' << r.err;
        EXPECT_TRUE(r.err.ends_with(hint)) << args << '\n' << r.err;
    }
    EXPECT_NE(cli("search -m regex '[a'").err.find("[ に対応する ] がありません"), std::string::npos);
}

TEST_F(ScriptCli, JsonLinesGiveExactValuesAndTsvTheWindowsCells) {
    // TSV: the window's cells; JSON: bytes and ISO 8601 times with their offset.
    EXPECT_NE(cli("search report").out.find("\t1KB\t"), std::string::npos);
    const std::string json = cli("search report -j --stock src").out;
    EXPECT_NE(json.find("\"size\":1500,"), std::string::npos) << json;
    const auto at = json.find("\"created\":\"");
    ASSERT_NE(at, std::string::npos);
    const std::string created = json.substr(at + 11, 25);
    EXPECT_EQ(created[10], 'T') << created;
    EXPECT_TRUE(created[19] == '+' || created[19] == '-') << created;
    EXPECT_EQ(created[22], ':') << created;

    ASSERT_EQ(cli("capture '" + src.string() + "' -N copy").status, 0);
    EXPECT_NE(cli("dupes").out.find("1\t1KB\t\\src\\report.txt\n"), std::string::npos);
    EXPECT_NE(cli("dupes -j")
                  .out.find("{\"group\":1,\"stock\":\"src\",\"folders\":[],"
                            "\"name\":\"report.txt\",\"path\":\"\\\\src\\\\report.txt\","
                            "\"size\":1500,"),
              std::string::npos);
    fs::remove(src / "report.txt");
    EXPECT_EQ(
        cli("update src --dry-run -j").out,
        "{\"change\":\"removed\",\"folder\":false,\"stock\":\"src\",\"parts\":[\"report.txt\"],"
        "\"path\":\"\\\\src\\\\report.txt\"}\n");

    // The index states in words; a missing index is no failure.
    fs::remove_all(data / "Index");
    auto r = cli("index --check");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "src\tなし\ncopy\tなし\n");
    EXPECT_EQ(cli("index --check -j --help").status, 0);
    ASSERT_EQ(cli("index").status, 0);
    r = cli("index --check -j");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        "{\"stock\":\"src\",\"state\":\"fresh\"}\n{\"stock\":\"copy\",\"state\":\"fresh\"}\n");
}

TEST_F(ScriptCli, RawNameBytesComeBackWhereTheRealFileIsReached) {
    // Shown escaped in text, as U+FFFD with the real bytes in JSON, raw with -0.
    const std::string held = "bad&#56575;&#56574;.txt";
    EXPECT_EQ(cli("show src 'd&#56570;'").status, 4); // a typed reference is just text
    EXPECT_EQ(cli("show src '" + odd + "'").out, held + "\n");
    EXPECT_EQ(cli("show src '" + odd + "' -0").out, oddFile + '\0');
    EXPECT_EQ(cli("search bad -0").out, "\\src\\" + odd + "\\" + oddFile + '\0');
    const std::string json = cli("search bad -j").out;
    EXPECT_NE(
        json.find("\"name\":\"bad\xEF\xBF\xBD\xEF\xBF\xBD.txt\",\"nameRaw\":\"YmFk//4udHh0\""),
        std::string::npos)
        << json;

    // The stock file keeps them: re-reading the folder changes nothing.
    auto r = cli("update src");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "追加 0、削除 0、変更 0\n");

    // The path on the medium is the real file.
    const StockLibrary library(data);
    const auto opened = library.open("src");
    ASSERT_TRUE(opened.ok());
    const FolderNode* folder = findFolder(opened.value.tree, odd);
    ASSERT_NE(folder, nullptr);
    const auto path =
        library.pathOnMedium("src", {folder->name, std::string(folder->firstFile->name())});
    ASSERT_TRUE(path);
    EXPECT_EQ(test::readFile(*path), "raw");
}

} // namespace
} // namespace zt

namespace zt {
namespace {

// Runs the command on a pseudo-terminal of that width; what the terminal got.
std::string onTerminal(int columns, const std::string& args) {
    test::TempDir tmp;
    test::writeFile(tmp / "onterminal.py",
                    "import os, pty, sys, fcntl, termios, struct\n"
                    "pid, fd = pty.fork()\n"
                    "if pid == 0:\n"
                    "    fcntl.ioctl(0, termios.TIOCSWINSZ,\n"
                    "                struct.pack('HHHH', 24, int(sys.argv[1]), 0, 0))\n"
                    "    os.execv('/bin/sh', ['sh', '-c', sys.argv[2]])\n"
                    "out = b''\n"
                    "while True:\n"
                    "    try: chunk = os.read(fd, 65536)\n"
                    "    except OSError: break\n"
                    "    if not chunk: break\n"
                    "    out += chunk\n"
                    "os.waitpid(pid, 0)\n"
                    "sys.stdout.buffer.write(out)\n");
    const char* cli = std::getenv("ZT_CLI");
    const std::string program =
        cli ? cli : (fs::read_symlink("/proc/self/exe").parent_path() / "zutomelark-cli").string();
    const std::string cmd = "python3 '" + (tmp / "onterminal.py").string() + "' " +
                            std::to_string(columns) + " \"'" + program + "' " + args + "\" > '" +
                            (tmp / "got").string() + "'";
    if (std::system(cmd.c_str()) != 0) return {};
    return test::readFile(tmp / "got");
}

TEST(CaptureCli, ProgressFitsTheTerminalInColumnsAndIsCleared) {
    if (std::system("python3 -c 'import pty' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    test::TempDir tmp;
    const fs::path source = tmp / "広い名前のフォルダ広い名前のフォルダ広い名前のフォルダ";
    fs::create_directories(source / "下のフォルダ");
    test::writeFile(source / "下のフォルダ" / "f.txt", "x");
    for (const int columns : {80, 40}) {
        const std::string got = onTerminal(columns, "--data '" + (tmp / "Data").string() +
                                                        "' capture '" + source.string() + "'");
        ASSERT_NE(got.find("\r\033[K"), std::string::npos) << got; // shown, then cleared
        int widest = 0;
        size_t from = 0;
        for (size_t end = got.find('\r'); from < got.size();
             from = end + 1, end = got.find('\r', from)) {
            std::string line = got.substr(from, end == std::string::npos ? end : end - from);
            if (line.starts_with("\033[K") && line.find(" 項目  ") != std::string::npos)
                widest = std::max(widest, columnsOf(line.substr(3)));
            if (end == std::string::npos) break;
        }
        EXPECT_LE(widest, columns - 1) << got;
        EXPECT_GE(widest, columns - 3) << got; // cut, not dropped
        EXPECT_NE(got.find("\r\033[K広い名前"), std::string::npos)
            << got; // cleared before the name
    }
}

} // namespace
} // namespace zt
