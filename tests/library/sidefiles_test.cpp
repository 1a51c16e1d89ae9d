// A Data folder from someone else: links planted in place of the program's
// own files and folders are never written through, renamed through or
// removed through. Side files of stocks that are gone are collected.
#include "catalogue/stocklist.h"
#include "library/indexstore.h"
#include "library/sidefiles.h"
#include "library/stocklibrary.h"
#include "platform/datalock.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>

namespace zt {
namespace {

namespace fs = std::filesystem;

// Everything under a folder, by relative path: the bytes of files, "<dir>"
// for folders.
std::map<std::string, std::string> contents(const fs::path& root) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(root))
        all[fs::relative(e.path(), root).string()] =
            e.is_directory() ? "<dir>" : test::readFile(e.path());
    return all;
}

struct Planted {
    const char* what;
    std::function<void(const fs::path& data, const fs::path& victim)> plant;
};

TEST(SideFiles, PlantedLinksAreNeverFollowed) {
    const auto linkIn = [](const char* name) {
        return [name](const fs::path& data, const fs::path& victim) {
            fs::remove_all(data / name);
            fs::create_symlink(victim, data / name);
        };
    };
    const auto folderLinkIn = [](const char* name) {
        return [name](const fs::path& data, const fs::path& victim) {
            fs::remove_all(data / name);
            fs::create_directory_symlink(victim.parent_path(), data / name);
        };
    };
    const Planted cases[] = {
        {"Info folder", folderLinkIn("Info")},
        {"Index folder", folderLinkIn("Index")},
        {"facts file", linkIn("Info/s.txt")},
        {"index file", linkIn("Index/s.idx")},
        {"facts of the rename's new name", linkIn("Info/t.txt")},
        {"capture's temporary", linkIn("capture.dat")},
        {"lock file", linkIn(DataLock::kFileName)},
        {"Info as a plain file",
         [](const fs::path& data, const fs::path&) {
             fs::remove_all(data / "Info");
             test::writeFile(data / "Info", "mine");
         }},
    };
    for (const Planted& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const fs::path data = dir / "Data", src = dir / "src", outside = dir / "outside";
        fs::create_directories(src / "sub");
        test::writeFile(src / "sub/f.txt", "f");
        fs::create_directories(outside);
        fs::create_directories(data);
        // Names the program would write in the folder a link leads to.
        for (const char* n : {"victim.txt", "s.txt", "s.idx", "t.txt", "t.idx"})
            test::writeFile(outside / n, "not yours");
        StockLibrary library(data);
        FolderTree tree;
        ASSERT_TRUE(library.capture({src, "s", {}}, tree).ok());
        ASSERT_TRUE(library.setNote("s", "before").ok());
        c.plant(data, outside / "victim.txt");
        const auto outsideBefore = contents(outside);
        const fs::path infoFolder = data / "Info";
        const bool infoRefused = c.what == std::string("Info folder") ||
                                 c.what == std::string("Info as a plain file");

        // Every way the program writes by itself, as both faces use them.
        const StockResult note = library.setNote("s", "after");
        if (infoRefused) {
            EXPECT_EQ(note.message, messageSideFolderRefused(infoFolder));
        }
        if (c.what == std::string("lock file")) {
            EXPECT_EQ(note.message, messageCannotOpenLock(data / DataLock::kFileName));
        }
        errno = 0;
        if (!buildIndex(data, "s") && c.what == std::string("Index folder")) {
            const int err = errno;
            EXPECT_EQ(sideFileFailure(indexFilePath(data, "s"), err).message,
                      messageSideFolderRefused(data / "Index"));
        }
        const auto update = library.prepareUpdate("s", std::nullopt);
        if (update.ok()) (void)library.applyUpdate(update.value);
        FolderTree second;
        (void)library.capture({src, "s2", {}}, second);
        (void)library.rename({"s"}, "t");
        (void)library.remove({"t"});
        (void)library.remove({"s"});

        EXPECT_EQ(contents(outside), outsideBefore);
        if (c.what == std::string("Info as a plain file")) {
            EXPECT_EQ(test::readFile(infoFolder), "mine");
        }
    }
}

TEST(SideFiles, ThoseOfStocksThatAreGoneAreCollectedAtTheNextChange) {
    test::TempDir dir;
    const fs::path data = dir.path();
    test::StockBuilder s;
    s.add(s.root("kept", {"a"}), "sub", {"b"});
    ASSERT_TRUE(s.write(data, "listed"));
    ASSERT_TRUE(s.write(data, "unlisted"));
    ASSERT_TRUE(saveStockList(data, {"listed"}));
    fs::create_directories(data / "Info");
    fs::create_directories(data / "Index");
    for (const char* n : {"listed", "unlisted", "gone"}) {
        test::writeFile(sideFilePath(data, kStockInfoFile, n), "note=x\r\n");
        test::writeFile(sideFilePath(data, kStockIndexFile, n), "index");
    }
    StockLibrary library(data);
    ASSERT_EQ(library.move({"listed"}, MoveDirection::Down).failure, StockFailure::NothingFound);
    for (const SideFileKind k : {kStockInfoFile, kStockIndexFile}) {
        EXPECT_TRUE(fs::exists(sideFilePath(data, k, "listed")));
        EXPECT_TRUE(fs::exists(sideFilePath(data, k, "unlisted"))); // adopt takes them back
        EXPECT_FALSE(fs::exists(sideFilePath(data, k, "gone")));
    }
}

} // namespace
} // namespace zt
