#include "capture/capture.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "platform/direnum.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kTicksTo1970 = 116444736000000000ull;

uint64_t ticks(FILETIME t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void setTimes(const fs::path& p, time_t access, time_t write) {
    const timespec times[2] = {{access, 0}, {write, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

const FolderNode* child(const FolderNode* n, std::string_view text) {
    for (const FolderNode* c : n->children)
        if (c->text == text) return c;
    return nullptr;
}

const TFileChain* file(const FolderNode* n, std::string_view name) {
    for (const TFileChain* f = n->data->First(); f; f = f->next)
        if (f->name() == name) return f;
    return nullptr;
}

// A small tree with the awkward cases in it.
void makeTree(const fs::path& src) {
    fs::create_directories(src / "docs/deep/deeper");
    fs::create_directories(src / "empty");
    fs::create_directories(src / ".hiddendir");
    test::writeFile(src / "top.txt", "12345");
    test::writeFile(src / ".hidden", "h");
    test::writeFile(src / "docs/a.txt", std::string(1000, 'a'));
    test::writeFile(src / "docs/deep/deeper/z.bin", "zz");
    test::writeFile(src / ".hiddendir/x", "");
    fs::create_symlink("loop2", src / "loop1"); // a link loop
    fs::create_symlink("loop1", src / "loop2");
    fs::create_directory_symlink("..", src / "docs/up");        // a link back up the tree
    test::writeFile(src / std::string("\x82\xa0.txt"), "sjis"); // CP932 bytes, not UTF-8
    test::writeFile(src / std::string("bad\xff.txt"), "x");     // neither
    test::writeFile(src / "한글.txt", "hangul");                // outside CP932
    setTimes(src / "top.txt", 1600000000, 1700000000);
    setTimes(src / "docs", 1500000000, 1550000000);
}

TEST(Capture, ReadsTheTreeAndItsStockFileReadsBackTheSame) {
    test::TempDir tmp;
    const fs::path src = tmp / "src";
    makeTree(src);

    FolderTree tree;
    FileListChain chain;
    const auto result = CaptureTree(src, "src", tree, chain);
    ASSERT_EQ(result.status, CaptureStatus::Completed);
    EXPECT_EQ(result.folderCount, 5); // docs, deep, deeper, empty, .hiddendir
    EXPECT_EQ(tree.folderCount(), 5);

    const FolderNode* root = tree.root();
    EXPECT_EQ(root->text, "src");
    const TFileChain* top = file(root, "top.txt");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->size(), 5u);
    EXPECT_EQ(ticks(top->lastWriteTime), kTicksTo1970 + 1700000000ull * 10000000);
    EXPECT_EQ(ticks(top->lastAccessTime), kTicksTo1970 + 1600000000ull * 10000000);
    EXPECT_NE(file(root, ".hidden"), nullptr);
    // Links are files, whatever they point at: the loop and the link upwards end nowhere.
    EXPECT_NE(file(root, "loop1"), nullptr);
    EXPECT_NE(file(root, "loop2"), nullptr);
    EXPECT_NE(file(root, "あ.txt"), nullptr);
    EXPECT_NE(file(root, "bad\xEF\xBF\xBD.txt"), nullptr);
    EXPECT_NE(file(root, "한글.txt"), nullptr);

    const FolderNode* docs = child(root, "docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(ticks(docs->data->lastWriteTime), kTicksTo1970 + 1550000000ull * 10000000);
    EXPECT_EQ(file(docs, "a.txt")->size(), 1000u);
    EXPECT_NE(file(docs, "up"), nullptr);
    EXPECT_EQ(docs->children.size(), 1u);
    const FolderNode* deeper = child(child(docs, "deep"), "deeper");
    ASSERT_NE(deeper, nullptr);
    EXPECT_EQ(deeper->level, 3);
    EXPECT_EQ(file(deeper, "z.bin")->size(), 2u);
    const FolderNode* empty = child(root, "empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->data->Count(), 0);
    EXPECT_TRUE(empty->children.empty());
    EXPECT_NE(file(child(root, ".hiddendir"), "x"), nullptr);

    // Every list is in the chain, the root's first.
    int lists = 0;
    for (TFileList* l = chain.first(); l; l = l->nextList)
        ++lists;
    EXPECT_EQ(lists, 6);
    EXPECT_EQ(chain.first(), root->data);

    // Written and read back: the same names (also the one outside CP932), sizes and times.
    const fs::path stock = tmp / "src.dat";
    ASSERT_TRUE(WriteStockFile(stock, tree));
    FolderTree back;
    FileListChain backChain;
    ASSERT_EQ(ReadStockFile(stock, "src", back, backChain).status, StockReadStatus::Completed);
    EXPECT_EQ(SerializeStock(back), SerializeStock(tree));
    EXPECT_NE(file(back.root(), "한글.txt"), nullptr);
    EXPECT_EQ(ticks(file(back.root(), "top.txt")->lastWriteTime), ticks(top->lastWriteTime));
}

TEST(Capture, AFolderThatCannotBeReadIsKeptEmpty) {
    test::TempDir tmp;
    const fs::path src = tmp / "src";
    fs::create_directories(src / "gone/inner");
    fs::create_directories(src / "kept");
    test::writeFile(src / "kept/f", "1");
    test::writeFile(src / "gone/inner/f", "1");

    // The folder disappears between being listed and being read.
    FolderTree tree;
    FileListChain chain;
    CaptureCallbacks cb;
    cb.onFolder = [&](const fs::path& p) {
        if (p.filename() == "gone") fs::remove_all(p);
        return true;
    };
    ASSERT_EQ(CaptureTree(src, "src", tree, chain, cb).status, CaptureStatus::Completed);
    const FolderNode* gone = child(tree.root(), "gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->children.empty());
    EXPECT_EQ(gone->data->Count(), 0);
    EXPECT_NE(file(child(tree.root(), "kept"), "f"), nullptr);
}

TEST(Capture, AFolderWithoutReadPermissionIsKeptEmpty) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    test::TempDir tmp;
    const fs::path src = tmp / "src";
    fs::create_directories(src / "locked/in");
    FolderTree tree;
    FileListChain chain;
    ::chmod((src / "locked").c_str(), 0);
    ASSERT_EQ(CaptureTree(src, "src", tree, chain).status, CaptureStatus::Completed);
    EXPECT_TRUE(child(tree.root(), "locked")->children.empty());
    ::chmod((src / "locked").c_str(), 0755);
}

TEST(Capture, NothingToReadGivesNoStock) {
    test::TempDir tmp;
    fs::create_directories(tmp / "empty");
    test::writeFile(tmp / "plain", "x");
    FolderTree tree;
    FileListChain chain;
    for (const fs::path& p : {tmp / "empty", tmp / "missing", tmp / "plain"}) {
        EXPECT_EQ(CaptureTree(p, "x", tree, chain).status, CaptureStatus::NothingFound) << p;
        EXPECT_TRUE(tree.empty());
        EXPECT_EQ(chain.first(), nullptr);
    }
    // A single empty folder is something.
    fs::create_directories(tmp / "empty/sub");
    EXPECT_EQ(CaptureTree(tmp / "empty", "x", tree, chain).status, CaptureStatus::Completed);
}

TEST(Capture, CancelInTheMiddleEmptiesTheTree) {
    test::TempDir tmp;
    for (int i = 0; i < 20; ++i)
        fs::create_directories(tmp / "src" / ("d" + std::to_string(i)) / "x");
    FolderTree tree;
    FileListChain chain;
    int folders = 0;
    CaptureCallbacks cb;
    cb.onFolder = [&](const fs::path&) { return ++folders < 10; };
    const auto result = CaptureTree(tmp / "src", "src", tree, chain, cb);
    EXPECT_EQ(result.status, CaptureStatus::Cancelled);
    EXPECT_EQ(folders, 10); // stopped at once, not after the rest
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(chain.first(), nullptr);
}

TEST(Capture, EntriesAreReportedWithTheirFolderPath) {
    test::TempDir tmp;
    fs::create_directories(tmp / "src/sub");
    test::writeFile(tmp / "src/sub/f", "");
    std::vector<std::string> seen;
    CaptureCallbacks cb;
    cb.onEntry = [&](std::string_view folder, std::string_view name) {
        seen.push_back(std::string(folder) + "/" + std::string(name));
    };
    FolderTree tree;
    FileListChain chain;
    ASSERT_EQ(CaptureTree(tmp / "src", "src", tree, chain, cb).status, CaptureStatus::Completed);
    const std::string base = (tmp / "src").string();
    EXPECT_EQ(seen, (std::vector<std::string>{base + "/sub", base + "/sub/f"}));
}

TEST(Capture, MountPointsInsideTheSourceAreNotEntered) {
    // /dev/pts (and /dev/shm) are their own file systems inside /dev.
    if (deviceOf("/dev") == 0 || deviceOf("/dev/pts") == 0 ||
        deviceOf("/dev/pts") == deviceOf("/dev"))
        GTEST_SKIP() << "no separate file system inside /dev";
    FolderTree tree;
    FileListChain chain;
    ASSERT_EQ(CaptureTree("/dev", "dev", tree, chain).status, CaptureStatus::Completed);
    const FolderNode* pts = child(tree.root(), "pts");
    ASSERT_NE(pts, nullptr);
    EXPECT_TRUE(pts->children.empty());
    EXPECT_EQ(pts->data->Count(), 0);
}

TEST(StockNaming, BaseNames) {
    EXPECT_EQ(StockNameBase("C:"), "C");
    EXPECT_EQ(StockNameBase("a:b:c"), "ab:c"); // only the first ":" goes
    EXPECT_EQ(StockNameBase("/"), "root");
    EXPECT_EQ(StockNameBase("My/Disk"), "My_Disk");
    EXPECT_EQ(StockNameBase(":"), "noname");
    EXPECT_EQ(StockNameBase(""), "noname");
    EXPECT_EQ(StockNameBase("."), "_");
    EXPECT_EQ(StockNameBase(".:."), "__");
    EXPECT_EQ(StockNameBase("tab\there"), "tab_here");
    EXPECT_EQ(StockNameBase("ドライブ"), "ドライブ");
    // Long names are cut at a character boundary.
    const std::string longName = StockNameBase(std::string(199, 'x') + "あいう");
    EXPECT_EQ(longName, std::string(199, 'x'));
}

TEST(StockNaming, UniqueNamesAvoidTheListReservedNamesAndStrayFiles) {
    test::TempDir data;
    std::vector<std::string> names;
    EXPECT_EQ(UniqueStockName("C", names, data.path()), "C");
    names = {"C"};
    EXPECT_EQ(UniqueStockName("C", names, data.path()), "C_2");
    EXPECT_EQ(UniqueStockName("c", names, data.path()), "c_2"); // c collides with C
    names = {"C", "c_2"};
    EXPECT_EQ(UniqueStockName("C", names, data.path()), "C_3");
    EXPECT_EQ(UniqueStockName("setting", {}, data.path()), "setting_2");
    EXPECT_EQ(UniqueStockName("StockList", {}, data.path()), "StockList_2");
    test::writeFile(data / "D.dat", "left over");
    EXPECT_EQ(UniqueStockName("D", {}, data.path()), "D_2");
    // Whatever the base, the result can name a file.
    EXPECT_EQ(UniqueStockName("a/b", {}, data.path()), "a_b");
    EXPECT_TRUE(IsSafeStockName(UniqueStockName("..", {}, data.path())));
}

TEST(StockNaming, FolderDisplayNames) {
    EXPECT_EQ(FolderDisplayName("/"), "/");
    EXPECT_EQ(FolderDisplayName("//"), "/");
    EXPECT_EQ(FolderDisplayName("/a/b"), "b");
    EXPECT_EQ(FolderDisplayName("/a/b/"), "b");
    EXPECT_EQ(FolderDisplayName("rel"), "rel");
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
    FileListChain chain;
    ASSERT_EQ(ReadStockFile(tmp / "data/My Src_2.dat", "x", tree, chain).status,
              StockReadStatus::Completed);
    EXPECT_EQ(tree.root()->children.at(0)->data->First()->size(), 3u);

    run = test::runCli(data + "capture '" + (tmp / "empty").string() + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("無効な読み込み元指定です"), std::string::npos);
    EXPECT_EQ(test::runCli(data + "capture '" + (tmp / "My Src").string() + "' --name a/b").status,
              2);
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

} // namespace
} // namespace zt
