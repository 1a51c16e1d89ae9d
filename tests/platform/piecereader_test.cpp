#include "browser/icontable.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "platform/piecereader.h"
#include "platform/textfile.h"
#include "search/engine.h"
#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace zt;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// Lines ended by CR LF or LF (the last one maybe not at all), holding CP932
// double-byte characters, lone lead bytes and CRs; with `longLines`, some lines
// around and past the bound.
std::string randomText(std::mt19937& rng, bool longLines) {
    static const std::vector<std::string> parts = {"a", "-1", "\x83\x41", "\x83", "\r", " ", "&"};
    std::string s;
    const int lines = int(rng() % 12);
    for (int i = 0; i < lines; ++i) {
        size_t length = rng() % 24;
        if (longLines && rng() % 3 == 0) length = kMaxLineBytes - 3 + rng() % 8;
        if (longLines && rng() % 8 == 0) length = kMaxLineBytes * 3;
        const size_t end = s.size() + length;
        while (s.size() < end)
            s += parts[rng() % parts.size()];
        s += std::vector<std::string>{"\r\n", "\n", ""}[i + 1 == lines ? rng() % 3 : rng() % 2];
    }
    return s;
}

Lines cursorLines(std::string_view bytes) {
    Lines out;
    LineCursor cursor(bytes);
    for (std::string_view line; cursor.next(line);)
        out.emplace_back(line);
    return out;
}

Lines pieceLines(PieceReader& in) {
    Lines out;
    PieceLines lines(in);
    for (std::string_view line; lines.next(line);)
        out.emplace_back(line);
    return out;
}

// Peak memory growth, in KiB, of running work in a child process.
long peakGrowthKiB(const std::function<void()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        work();
        ::getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        (void)!::write(fds[1], &growth, sizeof growth);
        ::_exit(0);
    }
    ::close(fds[1]);
    long growth = -1;
    if (::read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return growth;
}

} // namespace

TEST(PieceReader, PiecesOfAnySizeGiveTheLinesOfTheWhole) {
    // Every line end, CR LF pair and double-byte character falls across a
    // piece boundary somewhere; over-long lines are cut alike.
    std::mt19937 rng(5);
    for (int round = 0; round < 400; ++round) {
        const bool longLines = round % 10 == 0;
        const std::string text = randomText(rng, longLines);
        const Lines expected = cursorLines(text);
        for (const size_t piece : {size_t(1), size_t(2), size_t(3), size_t(61), size_t(4096)}) {
            if (longLines && piece < 61) continue;
            PieceReader in(piece);
            in.openBytes(text);
            ASSERT_EQ(pieceLines(in), expected) << round << " " << piece;
        }
    }
    for (const std::string_view raw : {std::string_view("x\r"), std::string_view("")})
        EXPECT_EQ(boundLine(raw), raw.substr(0, raw.empty() ? 0 : raw.size() - 1));
    // Cut at the bound, or one byte short where a double-byte character spans it.
    const std::string pad(kMaxLineBytes - 1, 'a');
    EXPECT_EQ(boundLine(pad + "bc\r").size(), kMaxLineBytes);
    EXPECT_EQ(boundLine(pad + "\x83\x41" "c").size(), kMaxLineBytes - 1);
    EXPECT_EQ(boundLine(pad + "\x83" "\n" "c").size(), kMaxLineBytes); // no trail byte follows
}

TEST(PieceReader, AFileThatChangesSizeWhileReadIsReadToItsNewEnd) {
    test::TempDir dir;
    const fs::path file = dir / "f.txt";
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    for (const bool grow : {false, true}) {
        test::writeFile(file, text);
        PieceReader in(100);
        ASSERT_TRUE(in.open(file));
        PieceLines lines(in);
        std::string_view line;
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(lines.next(line));
        if (grow) {
            test::writeFile(file, text + text);
        } else {
            fs::resize_file(file, text.size() / 2);
        }
        int count = 10;
        while (lines.next(line))
            ++count;
        EXPECT_FALSE(in.failed());
        const size_t expected = grow ? 2000 : cursorLines(text.substr(0, text.size() / 2)).size();
        EXPECT_EQ(size_t(count), expected) << grow;
    }
    PieceReader empty;
    test::writeFile(dir / "empty.txt", "");
    ASSERT_TRUE(empty.open(dir / "empty.txt"));
    EXPECT_EQ(pieceLines(empty), Lines{});
    EXPECT_FALSE(empty.open(dir.path())); // a folder
}

TEST(PieceReader, BoundedBytesCutOnlyTheLongLines) {
    test::TempDir dir;
    const std::string longLine = std::string(kMaxLineBytes - 1, 'x') + "\x83\x41" + "tail";
    test::writeFile(dir / "t.dat", "a\r\n" + longLine + "\r\nb");
    EXPECT_EQ(readFileBytesBounded(dir / "t.dat"),
              "a\r\n" + std::string(kMaxLineBytes - 1, 'x') + "\nb");
    EXPECT_EQ(readFileBytesBounded(dir / "missing.dat"), std::nullopt);
}

TEST(PieceReader, AFiftyMegabyteLineCostsLittleMemoryInEveryReader) {
    test::TempDir dir;
    const std::string huge(50u << 20, 'x');
    const std::string values = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    // One file read as a stock, the stock list, the settings and the icon table.
    test::writeFile(dir / "S.dat", "1200\r\n0\r\n-1\r\n" + huge + "\r\n" + values);
    fs::create_directories(dir / "Icon");
    for (const char* name : {"StockList.dat", "Setting.dat", "Icon/icon.dat"})
        fs::create_hard_link(dir / "S.dat", dir / name);
    struct Row {
        const char* reader;
        std::function<void()> read;
    };
    const Row rows[] = {
        {"stock file", [&] {
             FolderTree tree;
             (void)readStockFile(dir / "S.dat", "S", tree);
             if (tree.root()->firstFile->name().size() != kMaxLineBytes) ::_exit(1);
         }},
        {"search", [&] {
             SearchRequest r;
             r.dataDir = dir.path();
             r.stocks = {"S"};
             r.text = "xx";
             SearchCallbacks cb;
             size_t length = 0;
             cb.hit = [&](const SearchHit& h) { length = h.name.size(); };
             (void)searchStocks(r, cb);
             if (length != kMaxLineBytes) ::_exit(1);
         }},
        {"stock list", [&] { (void)loadStockList(dir.path()); }},
        {"settings", [&] {
             Settings s;
             (void)loadSettingsFile(dir.path(), s);
         }},
        {"icon table", [&] { IconTable().load(dir.path(), {}); }},
    };
    for (const Row& row : rows) {
        const long growth = peakGrowthKiB(row.read);
        EXPECT_GE(growth, 0) << row.reader;
        EXPECT_LT(growth, 40 * 1024) << row.reader; // the file alone is 50 MiB
    }
}
