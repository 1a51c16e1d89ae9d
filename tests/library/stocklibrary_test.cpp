#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "library/sidefiles.h"
#include "library/stocklibrary.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zt {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A Data folder with stocks written from small trees.
class Library : public ::testing::Test {
  protected:
    test::TempDir dir;
    StockLibrary library{dir.path()};

    void addStock(const std::string& name) {
        test::StockBuilder s;
        s.add(s.root(name, {"readme.txt"}), "Sub", {"inner.bin"});
        ASSERT_TRUE(s.write(dir.path(), name));
    }
    void setList(const Names& names) {
        for (const auto& n : names)
            if (!fs::exists(dir / (n + ".dat"))) addStock(n);
        ASSERT_TRUE(saveStockList(dir.path(), names));
    }
    Names list() { return library.names().value; }
};

TEST_F(Library, RenameWritesTheNewFileThenTheListThenRemovesTheOld) {
    setList({"a", "b"});
    const std::string bytes = test::readFile(dir / "a.dat");
    fs::create_directories(dir / "Info");
    test::writeFile(sideFilePath(dir.path(), kStockInfoFile, "a"), "note");
    ASSERT_TRUE(library.rename({"a"}, "新しい").ok());
    EXPECT_EQ(list(), (Names{"新しい", "b"}));
    EXPECT_FALSE(fs::exists(dir / "a.dat"));
    EXPECT_EQ(test::readFile(dir / "新しい.dat"), bytes); // the bytes as they were
    EXPECT_EQ(test::readFile(sideFilePath(dir.path(), kStockInfoFile, "新しい")), "note");

    EXPECT_EQ(library.rename({"b"}, "新しい").failure, StockFailure::NameRefused);
    EXPECT_EQ(library.rename({"gone"}, "x").failure, StockFailure::NoSuchStock);
    EXPECT_TRUE(library.rename({"b"}, "b").ok()); // the same name changes nothing
    // A 251-byte name still makes a file (the temporary name is short).
    ASSERT_TRUE(library.rename({"b"}, std::string(251, 'n')).ok());
    EXPECT_TRUE(fs::exists(dir / (std::string(251, 'n') + ".dat")));
}

TEST_F(Library, AFailedRenameKeepsTheOldStock) {
    setList({"a"});
    fs::remove(dir / "a.dat");
    EXPECT_EQ(library.rename({"a"}, "b").failure, StockFailure::CannotOpen);
    EXPECT_EQ(list(), (Names{"a"}));
    EXPECT_FALSE(fs::exists(dir / "b.dat"));
}

TEST_F(Library, DeleteAndMoveActOnTheRowTheWindowSaw) {
    setList({"a", "dup", "b", "dup"});
    ASSERT_TRUE(library.remove({"dup", 3}).ok());
    EXPECT_EQ(list(), (Names{"a", "dup", "b"}));
    EXPECT_TRUE(fs::exists(dir / "dup.dat")); // still named by the other entry
    ASSERT_TRUE(library.remove({"dup"}).ok());
    EXPECT_FALSE(fs::exists(dir / "dup.dat"));

    EXPECT_EQ(library.move({"b"}, MoveDirection::Up).value, 0);
    EXPECT_EQ(list(), (Names{"b", "a"}));
    EXPECT_EQ(library.move({"b"}, MoveDirection::Up).failure, StockFailure::NothingFound);
    EXPECT_EQ(library.remove({"nope"}).failure, StockFailure::NoSuchStock);
}

TEST_F(Library, AListThatCannotBeReadIsNeverRewritten) {
    setList({"a"});
    fs::remove(dir / "StockList.dat");
    fs::create_directory(dir / "StockList.dat"); // unreadable as a file
    EXPECT_EQ(library.names().failure, StockFailure::ListUnreadable);
    EXPECT_EQ(library.remove({"a"}).failure, StockFailure::ListUnreadable);
    EXPECT_EQ(library.adopt("a").failure, StockFailure::ListUnreadable);
    FolderTree tree;
    EXPECT_EQ(library.capture({dir.path(), "x", {}}, tree).failure, StockFailure::ListUnreadable);
    EXPECT_TRUE(fs::is_directory(dir / "StockList.dat"));
    EXPECT_TRUE(fs::exists(dir / "a.dat"));
    // A missing list is an empty one.
    fs::remove(dir / "StockList.dat");
    EXPECT_TRUE(library.names().ok() && list().empty());
}

TEST_F(Library, UnlistedStocksAreFoundAndAdoptedByTheNamePolicy) {
    setList({"a"});
    addStock("orphan");
    addStock("CON");
    test::writeFile(dir / "notes.dat", "just some text\r\n");
    test::writeFile(dir / "truncated.dat", "1200\r\n1\r\n1\r\nfolder\r\n0\r\n");
    test::writeFile(dir / "Setting.dat", "x");
    EXPECT_EQ(library.unlisted().value, (Names{"CON", "notes", "orphan", "truncated"}));

    EXPECT_TRUE(library.adopt("orphan").ok());
    EXPECT_EQ(library.adopt("notes").failure, StockFailure::NotAStock);
    EXPECT_EQ(library.adopt("truncated").failure, StockFailure::NotAStock);
    EXPECT_EQ(library.adopt("CON").failure, StockFailure::NameRefused);
    EXPECT_EQ(library.adopt("A").failure, StockFailure::NameRefused); // a's, but for case
    EXPECT_EQ(library.adopt("missing").failure, StockFailure::CannotOpen);
    EXPECT_EQ(list(), (Names{"a", "orphan"}));
}

TEST_F(Library, CaptureNamesStoresAndListsTheStock) {
    setList({"src"});
    fs::create_directories(dir / "src/sub");
    test::writeFile(dir / "src/sub/f.txt", "x");
    FolderTree tree;
    bool storing = false;
    CaptureCallbacks cb;
    cb.onStoring = [&] { storing = true; };
    const auto r = library.capture({dir / "src", "src", {}}, tree, cb);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(storing);
    EXPECT_EQ(r.value, "src_2");
    EXPECT_EQ(tree.root()->name, "src_2");
    EXPECT_EQ(list(), (Names{"src", "src_2"}));
    EXPECT_EQ(test::readFile(dir / "src_2.dat"), serializeStock(tree));

    const std::string longName(250, 'c'); // near the file-name limit
    EXPECT_EQ(library.capture({dir / "src", "x", longName}, tree).value, longName);
    EXPECT_EQ(library.capture({dir / "src", "x", "src"}, tree).failure, StockFailure::NameRefused);
    EXPECT_EQ(library.capture({dir / "src", "x", "a:b"}, tree).failure, StockFailure::NameRefused);
    const auto none = library.capture({dir / "nowhere", "x", {}}, tree);
    EXPECT_EQ(none.failure, StockFailure::NoSource);
    EXPECT_FALSE(none.detail.empty()); // the system's reason
    EXPECT_TRUE(tree.empty());
}

TEST_F(Library, OpenSortsAndFindFolderTakesOneCaseBlindMatch) {
    test::StockBuilder s;
    FolderNode* root = s.root("s");
    s.add(s.add(root, "Foo"), "Deep");
    s.add(root, "bar");
    s.add(root, "BAR");
    ASSERT_TRUE(s.write(dir.path(), "s"));
    ASSERT_TRUE(saveStockList(dir.path(), {"s", "unsafe/"}));
    const auto opened = library.open("s");
    ASSERT_TRUE(opened.ok());
    const FolderTree& t = opened.value.tree;
    EXPECT_EQ(t.root()->children[0]->name, "bar");
    EXPECT_EQ(findFolder(t, "\\foo\\deep")->name, "Deep");
    EXPECT_EQ(findFolder(t, "Foo\\Deep\\")->name, "Deep");
    EXPECT_EQ(findFolder(t, "")->name, "s");
    EXPECT_EQ(findFolder(t, "\\BAR")->name, "BAR");
    EXPECT_EQ(findFolder(t, "\\Bar"), nullptr); // two equal but for case: neither
    EXPECT_EQ(library.open("t").failure, StockFailure::NoSuchStock);
    EXPECT_EQ(library.open("unsafe/").failure, StockFailure::NameRefused);
}

TEST_F(Library, ExportWritesWhereTheUserChose) {
    setList({"a"});
    const auto opened = library.open("a");
    const FolderTree& t = opened.value.tree;
    const ExportOptions o{ExportKind::Both, ExportRange::WholeStock, false};
    // Through a symbolic link: the target is written and the link kept.
    test::writeFile(dir / "target.txt", "old");
    fs::create_symlink(dir / "target.txt", dir / "link.txt");
    ASSERT_TRUE(library.exportNames(t, t.root(), o, dir / "link.txt").ok());
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(test::readFile(dir / "target.txt"), "readme.txt\r\nSub\r\ninner.bin\r\n");
    // A read-only file is refused and left as it was, also for root.
    test::writeFile(dir / "ro.txt", "keep");
    fs::permissions(dir / "ro.txt", fs::perms::owner_read);
    const auto r = library.exportNames(t, t.root(), o, dir / "ro.txt");
    EXPECT_EQ(r.failure, StockFailure::CannotCreate);
    EXPECT_EQ(r.message, "ファイル " + (dir / "ro.txt").string() + " を作成できません");
    EXPECT_EQ(test::readFile(dir / "ro.txt"), "keep");
}

TEST(LibraryProcesses, TwentyCapturesAtOnceAreAllListed) {
    test::TempDir dir;
    fs::create_directories(dir / "src");
    test::writeFile(dir / "src/f", "x");
    const std::string cli = std::getenv("ZT_CLI") ? std::getenv("ZT_CLI") : "zutomelark-cli";
    const std::string data = (dir / "Data").string();
    std::vector<pid_t> children;
    for (int i = 0; i < 20; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(cli.c_str(), cli.c_str(), "--data", data.c_str(), "capture", "--quiet",
                    (dir / "src").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto names = StockLibrary(dir / "Data").names();
    ASSERT_EQ(names.value.size(), 20u);
    for (const auto& n : names.value)
        EXPECT_TRUE(fs::exists(dir / "Data" / (n + ".dat"))) << n;
}

} // namespace
} // namespace zt
