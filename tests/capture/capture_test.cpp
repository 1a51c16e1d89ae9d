#include "capture/capture.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "platform/direnum.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kTicksTo1970 = 116444736000000000ull;

void setTimes(const fs::path& p, time_t access, time_t write) {
    const timespec times[2] = {{access, 0}, {write, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

const FolderNode* child(const FolderNode* n, std::string_view text) {
    for (const FolderNode* c : n->children)
        if (c->name == text) return c;
    return nullptr;
}

const FileRecord* file(const FolderNode* n, std::string_view name) {
    for (const FileRecord* f = n->firstFile; f; f = f->next)
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
    const auto result = captureTree(src, "src", tree);
    ASSERT_EQ(result.status, CaptureStatus::Completed);
    EXPECT_EQ(result.folderCount, 5); // docs, deep, deeper, empty, .hiddendir
    EXPECT_EQ(tree.folderCount(), 5);

    const FolderNode* root = tree.root();
    EXPECT_EQ(root->name, "src");
    const FileRecord* top = file(root, "top.txt");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->size, 5u);
    EXPECT_EQ(top->modified.ticks, kTicksTo1970 + 1700000000ull * 10000000);
    EXPECT_EQ(top->accessed.ticks, kTicksTo1970 + 1600000000ull * 10000000);
    EXPECT_NE(file(root, ".hidden"), nullptr);
    // Links are files, whatever they point at: the loop and the link upwards end nowhere.
    EXPECT_NE(file(root, "loop1"), nullptr);
    EXPECT_NE(file(root, "loop2"), nullptr);
    EXPECT_NE(file(root, "あ.txt"), nullptr);
    EXPECT_NE(file(root, "bad\xED\xB3\xBF.txt"), nullptr); // the byte 0xFF held raw
    EXPECT_NE(file(root, "한글.txt"), nullptr);

    const FolderNode* docs = child(root, "docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(docs->modified.ticks, kTicksTo1970 + 1550000000ull * 10000000);
    EXPECT_EQ(file(docs, "a.txt")->size, 1000u);
    EXPECT_NE(file(docs, "up"), nullptr);
    EXPECT_EQ(docs->children.size(), 1u);
    const FolderNode* deeper = child(child(docs, "deep"), "deeper");
    ASSERT_NE(deeper, nullptr);
    EXPECT_EQ(deeper->level, 3);
    EXPECT_EQ(file(deeper, "z.bin")->size, 2u);
    const FolderNode* empty = child(root, "empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->fileCount, 0);
    EXPECT_TRUE(empty->children.empty());
    EXPECT_NE(file(child(root, ".hiddendir"), "x"), nullptr);

    EXPECT_EQ(tree.folderCount(), 5);

    // Written and read back: the same names (also the one outside CP932), sizes and times.
    const fs::path stock = tmp / "src.dat";
    ASSERT_TRUE(writeStockFile(stock, tree));
    FolderTree back;
    ASSERT_EQ(readStockFile(stock, "src", back).status, StockReadStatus::Completed);
    EXPECT_EQ(serializeStock(back), serializeStock(tree));
    EXPECT_NE(file(back.root(), "한글.txt"), nullptr);
    EXPECT_EQ(file(back.root(), "top.txt")->modified.ticks, top->modified.ticks);
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
    CaptureCallbacks cb;
    cb.cancelled = [&](const fs::path& p) {
        if (p.filename() == "gone") fs::remove_all(p);
        return false;
    };
    ASSERT_EQ(captureTree(src, "src", tree, cb).status, CaptureStatus::Completed);
    const FolderNode* gone = child(tree.root(), "gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->children.empty());
    EXPECT_EQ(gone->fileCount, 0);
    EXPECT_NE(file(child(tree.root(), "kept"), "f"), nullptr);
}

TEST(Capture, AFolderWithoutReadPermissionIsKeptEmpty) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    test::TempDir tmp;
    const fs::path src = tmp / "src";
    fs::create_directories(src / "locked/in");
    FolderTree tree;
    ::chmod((src / "locked").c_str(), 0);
    ASSERT_EQ(captureTree(src, "src", tree).status, CaptureStatus::Completed);
    EXPECT_TRUE(child(tree.root(), "locked")->children.empty());
    ::chmod((src / "locked").c_str(), 0755);
}

TEST(Capture, NothingToReadGivesNoStock) {
    test::TempDir tmp;
    fs::create_directories(tmp / "empty");
    test::writeFile(tmp / "plain", "x");
    FolderTree tree;
    for (const fs::path& p : {tmp / "empty", tmp / "missing", tmp / "plain"}) {
        EXPECT_EQ(captureTree(p, "x", tree).status, CaptureStatus::NothingFound) << p;
        EXPECT_TRUE(tree.empty());
    }
    // A single empty folder is something.
    fs::create_directories(tmp / "empty/sub");
    EXPECT_EQ(captureTree(tmp / "empty", "x", tree).status, CaptureStatus::Completed);
}

TEST(Capture, CancelInTheMiddleEmptiesTheTree) {
    test::TempDir tmp;
    for (int i = 0; i < 20; ++i)
        fs::create_directories(tmp / "src" / ("d" + std::to_string(i)) / "x");
    FolderTree tree;
    int folders = 0;
    CaptureCallbacks cb;
    cb.cancelled = [&](const fs::path&) { return ++folders >= 10; };
    const auto result = captureTree(tmp / "src", "src", tree, cb);
    EXPECT_EQ(result.status, CaptureStatus::Cancelled);
    EXPECT_EQ(folders, 10); // stopped at once, not after the rest
    EXPECT_TRUE(tree.empty());
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
    ASSERT_EQ(captureTree(tmp / "src", "src", tree, cb).status, CaptureStatus::Completed);
    const std::string base = (tmp / "src").string();
    EXPECT_EQ(seen, (std::vector<std::string>{base + "/sub", base + "/sub/f"}));
}

TEST(Capture, MountPointsInsideTheSourceAreNotEnteredButCounted) {
    // /dev/pts (and /dev/shm) are their own file systems inside /dev.
    if (deviceOf("/dev") == 0 || deviceOf("/dev/pts") == 0 ||
        deviceOf("/dev/pts") == deviceOf("/dev"))
        GTEST_SKIP() << "no separate file system inside /dev";
    FolderTree tree;
    const auto result = captureTree("/dev", "dev", tree);
    ASSERT_EQ(result.status, CaptureStatus::Completed);
    EXPECT_GE(result.otherFileSystemFolders, 1);
    const FolderNode* pts = child(tree.root(), "pts");
    ASSERT_NE(pts, nullptr);
    EXPECT_TRUE(pts->children.empty());
    EXPECT_EQ(pts->fileCount, 0);
}

// True when any folder or file of the tree has a name starting with "SECRET".
bool holdsSecret(const FolderNode* n) {
    if (n->name.starts_with("SECRET")) return true;
    for (const FileRecord* f = n->firstFile; f; f = f->next)
        if (f->name().starts_with("SECRET")) return true;
    return std::any_of(n->children.begin(), n->children.end(), holdsSecret);
}

void makeOutside(const fs::path& outside) {
    fs::create_directories(outside / "SECRETdir");
    test::writeFile(outside / "SECRET.txt", "x");
    test::writeFile(outside / "z/SECRET.in.z", "x");
}

TEST(Capture, AFolderSwappedForALinkWhileReadIsKeptAsTheLink) {
    test::TempDir tmp;
    makeOutside(tmp / "outside");
    fs::create_directories(tmp / "src/swapped/inner");
    test::writeFile(tmp / "src/keep.txt", "x");
    CaptureCallbacks cb;
    cb.cancelled = [&](const fs::path& p) { // between listing src and opening the folder
        if (p.filename() == "swapped") {
            fs::rename(p, tmp / "away");
            fs::create_directory_symlink(tmp / "outside", p);
        }
        return false;
    };
    FolderTree tree;
    ASSERT_EQ(captureTree(tmp / "src", "src", tree, cb).status, CaptureStatus::Completed);
    EXPECT_EQ(child(tree.root(), "swapped"), nullptr);
    EXPECT_NE(file(tree.root(), "swapped"), nullptr);
    EXPECT_FALSE(holdsSecret(tree.root()));
}

TEST(Capture, RacingSwapsNeverLeadOutsideTheSource) {
    test::TempDir tmp;
    makeOutside(tmp / "outside");
    std::vector<fs::path> targets;
    fs::path at = tmp / "src";
    for (int depth = 0; depth < 4; ++depth) {
        for (const char* name : {"b", "d"}) {
            fs::create_directories(at / name / "inner");
            test::writeFile(at / name / "f.txt", "x");
            targets.push_back(at / name);
        }
        at /= "b";
    }
    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        for (size_t i = 0; !stop; i = (i + 1) % targets.size()) {
            const fs::path& t = targets[i];
            const fs::path away = t.string() + ".away";
            std::error_code ec;
            fs::rename(t, away, ec);
            fs::create_directory_symlink(tmp / "outside", t, ec);
            fs::remove(t, ec);
            fs::rename(away, t, ec);
        }
    });
    int leaks = 0;
    for (int run = 0; run < 300; ++run) {
        FolderTree tree;
        if (captureTree(tmp / "src", "src", tree).status == CaptureStatus::Completed)
            leaks += holdsSecret(tree.root());
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(leaks, 0);
}

// A tree deeper than the folders the walk keeps open: every level has "a"
// (deeper) and then "z" (holding f), so each level is read again after the
// walk comes back up. Part way down, a folder the walk has let go of moves out
// of the source: its parent is found again from the source, never through
// the folder it moved to.
TEST(Capture, DeepTreesAreReadWholeWithAFixedNumberOfOpenFolders) {
    test::TempDir tmp;
    constexpr int kDepth = 100;
    makeOutside(tmp / "elsewhere");
    fs::path at = tmp / "src";
    for (int level = 0; level < kDepth; ++level) {
        fs::create_directories(at / "z");
        test::writeFile(at / "z/f", "x");
        at /= "a";
    }
    fs::create_directories(at);
    const fs::path moved = [&] {
        fs::path p = tmp / "src";
        for (int i = 0; i < 21; ++i)
            p /= "a";
        return p;
    }();
    bool done = false;
    CaptureCallbacks cb;
    cb.cancelled = [&](const fs::path& p) {
        if (!done &&
            std::distance(p.begin(), p.end()) == std::distance(moved.begin(), moved.end()) + 70) {
            fs::rename(moved, tmp / "elsewhere/moved");
            done = true;
        }
        return false;
    };
    FolderTree tree;
    ASSERT_EQ(captureTree(tmp / "src", "src", tree, cb).status, CaptureStatus::Completed);
    EXPECT_EQ(tree.folderCount(), 2 * kDepth);
    EXPECT_FALSE(holdsSecret(tree.root()));
    int level = 0;
    for (const FolderNode* n = tree.root(); n; n = child(n, "a"), ++level) {
        if (level == kDepth) break;
        ASSERT_NE(child(n, "z"), nullptr) << level;
        EXPECT_NE(file(child(n, "z"), "f"), nullptr) << level;
    }
    EXPECT_EQ(level, kDepth);
}

TEST(StockNaming, FolderDisplayNames) {
    EXPECT_EQ(folderDisplayName("/"), "/");
    EXPECT_EQ(folderDisplayName("//"), "/");
    EXPECT_EQ(folderDisplayName("/a/b"), "b");
    EXPECT_EQ(folderDisplayName("/a/b/"), "b");
    EXPECT_EQ(folderDisplayName("rel"), "rel");
}

} // namespace
} // namespace zt
