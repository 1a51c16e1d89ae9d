#include "catalogue/stockfile.h"
#include "platform/piecereader.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zt;

namespace {

using Stock = test::StockBuilder;

// A tree printed one line per folder and file, indented by level: easy to compare.
std::string dump(const FolderTree& tree) {
    std::string s;
    tree.forEachPreOrder([&](FolderNode& n) {
        s += std::string(size_t(n.level) * 2, ' ') + "[" + n.name + "]\n";
        for (const FileRecord* f = n.firstFile; f; f = f->next)
            s += std::string(size_t(n.level) * 2 + 2, ' ') + std::string(f->name()) + " " +
                 std::to_string(f->size) + " " + std::to_string(f->created.ticks) + "\n";
        return true;
    });
    return s;
}

std::string lines(std::initializer_list<const char*> ls) {
    std::string s;
    for (const char* l : ls)
        s += std::string(l) + "\r\n";
    return s;
}

} // namespace

TEST(StockFile, RoundTripKeepsStructureNamesTimesAndSizes) {
    Stock s;
    FolderNode* root = s.root("MyDisc");
    FileRecord* f = s.tree.addFile(root, "表ポ.txt");
    f->created = FileTime::fromHalves(0xffffffffu, 0xffffffffu);
    f->accessed = FileTime::fromHalves(1, 0x80000000u);
    f->size = 0x80000001fffffffeull;
    FolderNode* deep = s.add(root, "a");
    for (int i = 0; i < 5; ++i)
        deep = s.add(deep, "d" + std::to_string(i));
    s.tree.addFile(deep, "😀 & &#65; 한");
    s.add(root, "empty");
    FolderNode* sibling = s.add(root, "ｂ");
    sibling->modified = FileTime::fromHalves(7, 8);
    s.tree.addFile(sibling, "x")->size = 4096;

    const std::string bytes = serializeStock(s.tree);
    EXPECT_EQ(bytes.substr(0, 9), "1200\r\n8\r\n");
    EXPECT_EQ(bytes.find('\n'), bytes.find('\r') + 1);

    Stock back;
    const auto r = parseStock(bytes, "MyDisc", back.tree);
    EXPECT_EQ(r.status, StockReadStatus::Completed);
    EXPECT_EQ(r.formatMark, 1200);
    EXPECT_EQ(r.folderCount, 8);
    EXPECT_EQ(dump(back.tree), dump(s.tree));
    const FileRecord* g = back.tree.root()->firstFile;
    EXPECT_EQ(g->accessed, (FileTime::fromHalves(1, 0x80000000u)));
    EXPECT_EQ(back.tree.root()->children[2]->modified, (FileTime::fromHalves(7, 8)));
    EXPECT_EQ(serializeStock(back.tree), bytes);
}

TEST(StockFile, ReadsAFileInTheWindowsLayout) {
    // Stock "D": root file, folder 表示 (CP932 95 5C 8E A6) with a subfolder, then a
    // sibling folder after the deep subtree, resumed by its depth number alone.
    const std::string bytes =
        lines({"1200", "3",     "-1",  "readme.txt", "1",  "2",        "3",
               "4",    "5",     "6",   "0",          "42", "1",        "\x95\x5c\x8e\xa6",
               "0",    "0",     "0",   "0",          "0",  "0",        "0",
               "0",    "2",     "sub", "0",          "0",  "0",        "0",
               "0",    "0",     "0",   "0",          "-1", "in sub  ", "0",
               "0",    "0",     "0",   "0",          "0",  "1",        "0",
               "1",    "later", "0",   "0",          "0",  "0",        "0",
               "0",    "0",     "0"});
    Stock s;
    parseStock(bytes, "D", s.tree);
    EXPECT_EQ(dump(s.tree), "[D]\n"
                            "  readme.txt 42 8589934593\n"
                            "  [表示]\n"
                            "    [sub]\n"
                            "      in sub 4294967296 0\n"
                            "  [later]\n");
}

TEST(StockFile, MalformedInputKeepsWhatWasRead) {
    const std::string good = lines({"1200", "2", "-1", "f", "0", "0", "0", "0", "0", "0", "0",
                                    "1",    "1", "a",  "0", "0", "0", "0", "0", "0", "0", "0"});
    // Truncated in the middle of the folder's values: the folder stays, values are zero.
    for (size_t cut = 0; cut <= good.size(); cut += 3) {
        Stock s;
        parseStock(good.substr(0, cut), "S", s.tree);
        ASSERT_NE(s.tree.root(), nullptr);
        EXPECT_LE(s.tree.folderCount(), 1);
    }
    // A depth that jumps ends the load; later records are not read.
    Stock jump;
    parseStock(lines({"1200", "2", "3", "x", "0", "0", "0", "0", "0", "0", "0", "0", "-1", "f"}),
               "S", jump.tree);
    EXPECT_EQ(dump(jump.tree), "[S]\n");
    // NUL bytes, bare LF, huge numbers (wrap modulo 2^32) and endless lines do no harm.
    Stock odd;
    using namespace std::string_literals;
    std::string weird = "1200\n1\n-1\nn\0ul\n4294967297\n\n\n\n\n\n\n99999999999999999999\n"s;
    weird += "1\n" + std::string(100000, 'L') + "\n";
    parseStock(weird, "S", odd.tree);
    ASSERT_EQ(odd.tree.root()->fileCount, 1);
    EXPECT_EQ(odd.tree.root()->firstFile->name(), "n\0ul"s);
    EXPECT_EQ(odd.tree.root()->firstFile->created.lowHalf(), 1u);
    // A line past the bound is cut to it.
    EXPECT_EQ(odd.tree.root()->children.at(0)->name.size(), kMaxLineBytes);
    EXPECT_EQ(parseStockNumber("  -1"), 0xffffffffu);
    EXPECT_EQ(parseStockNumber("4294967296"), 0u);
    EXPECT_EQ(parseStockNumber("12abc"), 12u);
}

TEST(StockFile, ReadingInPiecesOrFromAChangingFileKeepsTheLoaderRules) {
    Stock s;
    FolderNode* root = s.root("S");
    for (int d = 0; d < 30; ++d) {
        FolderNode* folder = s.add(root, "表" + std::to_string(d));
        s.tree.addFile(folder, "ポ" + std::to_string(d))->size = uint64_t(d) << 33;
    }
    const std::string bytes = serializeStock(s.tree);
    // Records, CR LF pairs and double-byte names split across pieces; cut anywhere.
    for (const size_t cut : {bytes.size(), bytes.size() - 1, bytes.size() / 2 + 3})
        for (const size_t piece : {size_t(1), size_t(2), size_t(7), size_t(64)}) {
            Stock whole, pieces;
            parseStock(bytes.substr(0, cut), "S", whole.tree);
            PieceReader in(piece);
            in.openBytes(std::string_view(bytes).substr(0, cut));
            EXPECT_EQ(readStock(in, "S", pieces.tree).status, StockReadStatus::Completed);
            ASSERT_EQ(dump(pieces.tree), dump(whole.tree)) << cut << " " << piece;
        }
    // The file shrinks while it is opened: what was read stays.
    test::TempDir dir;
    test::writeFile(dir / "S.dat", bytes);
    Stock shrunk;
    PieceReader in(100);
    ASSERT_TRUE(in.open(dir / "S.dat"));
    int folders = 0;
    const auto r = readStock(in, "S", shrunk.tree, {}, [&] {
        if (++folders == 2) std::filesystem::resize_file(dir / "S.dat", bytes.size() / 3);
        return false;
    });
    EXPECT_EQ(r.status, StockReadStatus::Completed);
    EXPECT_GT(shrunk.tree.folderCount(), 0);
    EXPECT_LT(shrunk.tree.folderCount(), 30);
    // An empty file is an empty stock.
    test::writeFile(dir / "E.dat", "");
    Stock empty;
    EXPECT_EQ(readStockFile(dir / "E.dat", "E", empty.tree).status, StockReadStatus::Completed);
    EXPECT_EQ(dump(empty.tree), "[E]\n");
}

TEST(StockFile, AMillionNestedFoldersLoadWithoutRecursion) {
    std::string bytes = "1200\r\n1000000\r\n";
    for (int depth = 1; depth <= 1000000; ++depth)
        bytes += std::to_string(depth) + "\r\nd\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    Stock s;
    parseStock(bytes, "S", s.tree);
    EXPECT_EQ(s.tree.folderCount(), 1000000);
    EXPECT_EQ(serializeStock(s.tree), bytes);
}

TEST(StockFile, CancelStopsBeforeAFolderRecordAndProgressSeesTheCount) {
    Stock s;
    std::string bytes = "1200\r\n10\r\n";
    for (int i = 0; i < 10; ++i)
        bytes += lines({"1", "f", "0", "0", "0", "0", "0", "0", "0", "0"});
    int maximum = 0, calls = 0;
    const auto r = parseStock(
        bytes, "S", s.tree, [&](int count) { maximum = count; }, [&] { return ++calls > 4; });
    EXPECT_EQ(r.status, StockReadStatus::Cancelled);
    EXPECT_EQ(maximum, 10);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(s.tree.folderCount(), 4);
}

TEST(StockFile, MissingFileAndFailedWrite) {
    test::TempDir dir;
    Stock s;
    s.root("old");
    const auto r = readStockFile(dir / "gone.dat", "gone", s.tree);
    EXPECT_EQ(r.status, StockReadStatus::CannotOpen);
    EXPECT_TRUE(s.tree.empty());
    EXPECT_EQ(s.tree.fileCount(), 0u);

    Stock t;
    t.root("x");
    EXPECT_FALSE(writeStockFile(dir / "no" / "x.dat", t.tree));
    test::writeFile(dir / "x.dat", "leftover that is longer than the new file\r\n");
    ASSERT_TRUE(writeStockFile(dir / "x.dat", t.tree));
    EXPECT_EQ(test::readFile(dir / "x.dat"), "1200\r\n0\r\n");
}

TEST(StockFile, AFileWrittenInPiecesHasTheSameBytes) {
    // Large enough to be handed to the disk in several pieces, with a piece
    // boundary falling inside the files of one folder.
    Stock s;
    FolderNode* root = s.root("big");
    for (int d = 0; d < 40; ++d) {
        FolderNode* folder = s.add(root, "フォルダ" + std::to_string(d));
        for (int f = 0; f < 3000; ++f)
            s.tree.addFile(folder,
                           "ファイル名としては少し長めの名前_" + std::to_string(f) + ".txt");
    }
    test::TempDir dir;
    ASSERT_TRUE(writeStockFile(dir / "big.dat", s.tree));
    const std::string bytes = test::readFile(dir / "big.dat");
    EXPECT_GT(bytes.size(), size_t(8) << 20); // three pieces at least
    EXPECT_TRUE(bytes == serializeStock(s.tree));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
