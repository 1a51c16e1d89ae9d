#include "capture/capture.h"
#include "library/stockinfo.h"
#include "library/stocklibrary.h"
#include "platform/datadir.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kTicksPerSecond = 10000000;

// A tree with what images make hard: Japanese names, a name CP932 cannot hold,
// nesting, an empty folder and an empty file, set times.
void makeTree(const fs::path& t) {
    fs::create_directories(t / "docs/deep/deeper");
    fs::create_directories(t / "empty");
    test::writeFile(t / "top.txt", "12345");
    test::writeFile(t / "zero", "");
    test::writeFile(t / "docs/日本語のファイル.txt", std::string(3000, 'j'));
    test::writeFile(t / "docs/xé.txt", "e");
    test::writeFile(t / "docs/deep/deeper/z.bin", "zz");
    const timespec times[2] = {{1600000000, 0}, {1700000000, 0}};
    for (const char* p : {"top.txt", "docs/日本語のファイル.txt", "docs/deep/deeper/z.bin", "docs"})
        ASSERT_EQ(::utimensat(AT_FDCWD, (t / p).c_str(), times, 0), 0);
}

// One line per folder and file in stock order: the names, sizes and (when
// asked) the modification second.
std::string outline(const FolderTree& tree, bool withTimes) {
    std::string out;
    const auto second = [withTimes](FileTime t) {
        return withTimes ? " " + std::to_string(t.ticks / kTicksPerSecond) : std::string();
    };
    tree.forEachPreOrder([&](FolderNode& n) {
        out += std::string(size_t(n.level), ' ') + "[" + (n.level ? n.name : "") + "]" +
               (n.level ? second(n.modified) : "") + "\n";
        for (const FileRecord* f = n.firstFile; f; f = f->next)
            out += std::string(size_t(n.level) + 1, ' ') + std::string(f->name()) + " " +
                   std::to_string(f->size) + second(f->modified) + "\n";
        return true;
    });
    return out;
}

// Each kind of image read as a capture gives the stock a capture of the tree
// it was made from gives: names, sizes, order, and times where the file
// system keeps them.
TEST(ImageCapture, GivesWhatAFolderCaptureOfItsTreeGives) {
    if (!test::haveTool("xorriso") || !test::haveTool("genisoimage")) GTEST_SKIP();
    test::TempDir tmp;
    makeTree(tmp / "tree");
    FolderTree folder;
    ASSERT_EQ(captureTree(tmp / "tree", "tree", folder).status, CaptureStatus::Completed);
    const struct {
        test::ImageKind kind;
        bool times; // libudfread gives no file times
    } cases[] = {
        {test::ImageKind::IsoRockRidgeJoliet, true},
        {test::ImageKind::IsoJoliet, true},
        {test::ImageKind::HybridUdf, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        ASSERT_TRUE(test::makeImage(c.kind, tmp / "tree", tmp / "disc.iso", "MYDISC"));
        FolderTree image;
        const CaptureResult r = captureImage(tmp / "disc.iso", image);
        ASSERT_EQ(r.status, CaptureStatus::Completed);
        EXPECT_EQ(image.root()->name, "MYDISC");
        EXPECT_EQ(r.folderCount, folder.folderCount());
        EXPECT_FALSE(r.incomplete);
        EXPECT_EQ(outline(image, c.times), outline(folder, c.times));
    }
}

TEST(ImageCapture, PrimaryNamesLoseTheirVersion) {
    if (!test::haveTool("genisoimage")) GTEST_SKIP();
    test::TempDir tmp;
    makeTree(tmp / "tree");
    ASSERT_TRUE(test::makeImage(test::ImageKind::IsoPlain, tmp / "tree", tmp / "plain.iso", "P"));
    FolderTree image;
    ASSERT_EQ(captureImage(tmp / "plain.iso", image).status, CaptureStatus::Completed);
    EXPECT_NE(outline(image, false).find(" TOP.TXT 5\n"), std::string::npos) << outline(image, false);
    EXPECT_EQ(outline(image, false).find(';'), std::string::npos);
}

// Through the stock library: named after the volume label (taken names get
// _2), else after the file; the facts say what the image was; nothing is
// opened "on the medium"; a file that is no image is refused and leaves nothing.
TEST(ImageCapture, StocksAreNamedAfterTheDiscAndRecordItsFacts) {
    if (!test::haveTool("xorriso") || !test::haveTool("mkudffs")) GTEST_SKIP();
    test::TempDir tmp;
    const fs::path data = tmp / "Data";
    ASSERT_TRUE(seedDataDir(data));
    makeTree(tmp / "tree");
    ASSERT_TRUE(test::makeImage(test::ImageKind::IsoRockRidgeJoliet, tmp / "tree", tmp / "a.iso", "VOL"));
    StockLibrary lib(data);
    for (const char* expected : {"VOL", "VOL_2"}) {
        FolderTree tree;
        const CaptureOutcome out = lib.capture({tmp / "a.iso", "ignored", {}}, tree);
        ASSERT_TRUE(out.ok()) << out.message;
        EXPECT_EQ(out.value, expected);
    }
    const auto info = lib.info("VOL");
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info.value.kind, SourceKind::Image);
    EXPECT_EQ(info.value.fileSystem, "ISO 9660 + Joliet + Rock Ridge");
    EXPECT_EQ(info.value.label, "VOL");
    EXPECT_EQ(info.value.imageSize, fs::file_size(tmp / "a.iso"));
    EXPECT_TRUE(info.value.volumeCreated.has_value());
    EXPECT_EQ(info.value.source, fs::canonical(tmp / "a.iso").string());
    EXPECT_FALSE(lib.pathOnMedium("VOL", {}));
    EXPECT_FALSE(lib.pathOnMedium("VOL", {"top.txt"}));
    // An update reads the image again.
    const auto update = lib.prepareUpdate("VOL", std::nullopt);
    ASSERT_TRUE(update.ok()) << update.message;
    EXPECT_TRUE(update.value.diff.empty());

    test::writeFile(tmp / "notes.iso", std::string(70000, 'n'));
    FolderTree tree;
    const CaptureOutcome bad = lib.capture({tmp / "notes.iso", "notes", {}}, tree);
    EXPECT_EQ(bad.failure, StockFailure::NoSource);
    EXPECT_EQ(bad.message, "ディスクイメージとして読めません: " + (tmp / "notes.iso").string());
    EXPECT_EQ(lib.names().value, (std::vector<std::string>{"VOL", "VOL_2"}));
    EXPECT_FALSE(fs::exists(data / "notes.dat"));
}

TEST(ImageCapture, CommandLineReadsEachImageAndReportsTheBadOnes) {
    if (!test::haveTool("xorriso") || !test::haveTool("genisoimage")) GTEST_SKIP();
    test::TempDir tmp;
    makeTree(tmp / "tree");
    ASSERT_TRUE(test::makeImage(test::ImageKind::IsoRockRidgeJoliet, tmp / "tree", tmp / "one.iso", "ONE"));
    // No label: the file's name without its extension.
    ASSERT_EQ(std::system(("genisoimage -quiet -R -V '' -o '" + (tmp / "two.iso").string() + "' '" +
                           (tmp / "tree").string() + "' >/dev/null 2>&1")
                              .c_str()),
              0);
    test::writeFile(tmp / "bad.iso", "nothing");
    const test::CliRun r = test::runCli("--data '" + (tmp / "Data").string() + "' capture --quiet '" +
                                        (tmp / "one.iso").string() + "' '" + (tmp / "bad.iso").string() +
                                        "' '" + (tmp / "two.iso").string() + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "ONE\ntwo\n");
    EXPECT_NE(r.err.find("ディスクイメージとして読めません: " + (tmp / "bad.iso").string()), std::string::npos)
        << r.err;
}

} // namespace
} // namespace zt
