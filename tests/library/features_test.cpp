// Facts and notes beside a stock, updating a stock in place, duplicates.
#include "catalogue/stocklist.h"
#include "library/dupes.h"
#include "library/sidefiles.h"
#include "library/stocklibrary.h"
#include "platform/piecereader.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <functional>

namespace zt {
namespace {

namespace fs = std::filesystem;

class Features : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path data = dir / "Data", src = dir / "src";
    StockLibrary library{data};

    void SetUp() override {
        fs::create_directories(data);
        fs::create_directories(src / "keep");
        fs::create_directories(src / "gone/deep");
        test::writeFile(src / "keep/same.txt", "same");
        test::writeFile(src / "keep/grows.txt", "a");
        test::writeFile(src / "gone/deep/moved.bin", "m");
    }
    std::string capture() {
        FolderTree tree;
        const auto r = library.capture({src, "src", {}}, tree);
        EXPECT_TRUE(r.ok()) << r.message;
        return r.value;
    }
};

TEST_F(Features, FactsAreWrittenAtCaptureAndFollowTheStock) {
    const std::string name = capture();
    auto info = library.info(name);
    ASSERT_TRUE(info.ok());
    EXPECT_TRUE(info.value.fromSideFile);
    EXPECT_EQ(info.value.source, fs::canonical(src).string());
    EXPECT_EQ(info.value.kind, SourceKind::Folder);
    EXPECT_FALSE(info.value.captured.isZero());
    EXPECT_EQ(info.value.folders, 3u);
    EXPECT_EQ(info.value.files, 3u);
    EXPECT_EQ(info.value.bytes, 6u);

    EXPECT_EQ(library.pathOnMedium(name, {"keep", "same.txt"}),
              fs::canonical(src) / "keep/same.txt");
    EXPECT_EQ(library.pathOnMedium(name, {"keep", "none.txt"}), std::nullopt);
    EXPECT_EQ(library.pathOnMedium(name, {"..", "src"}), std::nullopt);
    // A name no desktop should be handed, even when the medium holds it.
    for (const std::string& odd : {std::string("a\x01b"), std::string("a\nb")}) {
        test::writeFile(src / "keep" / odd, "");
        EXPECT_EQ(library.pathOnMedium(name, {"keep", odd}), std::nullopt);
    }
    EXPECT_EQ(library.pathOnMedium(name, {"keep", std::string("a\0b", 3)}), std::nullopt);
    ASSERT_TRUE(library.setNote(name, "棚の二段目\nline two").ok());
    EXPECT_EQ(library.info(name).value.note, "棚の二段目\nline two");
    ASSERT_TRUE(library.rename({name}, "renamed").ok());
    EXPECT_EQ(library.info("renamed").value.note, "棚の二段目\nline two");
    EXPECT_FALSE(fs::exists(sideFilePath(data, kStockInfoFile, name)));
    ASSERT_TRUE(library.remove({"renamed"}).ok());
    EXPECT_FALSE(fs::exists(sideFilePath(data, kStockInfoFile, "renamed")));
}

TEST_F(Features, AStockWithoutFactsShowsWhatItsFileTells) {
    test::StockBuilder s;
    s.add(s.root("old", {"a"}), "sub", {"b"});
    ASSERT_TRUE(s.write(data, "old"));
    ASSERT_TRUE(saveStockList(data, {"old"}));
    const auto info = library.info("old");
    ASSERT_TRUE(info.ok());
    EXPECT_FALSE(info.value.fromSideFile);
    EXPECT_EQ(info.value.folders, 1u);
    EXPECT_EQ(info.value.files, 2u);
    const auto texts = stockInfoTexts(info.value);
    EXPECT_EQ(texts[0], (std::pair<std::string, std::string>{"読み込み元", "(不明)"}));
    EXPECT_EQ(texts[4].second, "(不明)"); // capture date
    EXPECT_EQ(library.prepareUpdate("old", std::nullopt).failure, StockFailure::NoSource);
}

TEST_F(Features, UpdateListsWhatChangedAndReplacesTheStockOnlyWhenApplied) {
    const std::string name = capture();
    const std::string before = test::readFile(data / (name + ".dat"));
    test::writeFile(src / "keep/grows.txt", "abc");
    fs::rename(src / "gone/deep/moved.bin", src / "keep/moved.bin");
    fs::remove_all(src / "gone");
    test::writeFile(src / "new.txt", "n");

    const auto update = library.prepareUpdate(name, std::nullopt);
    ASSERT_TRUE(update.ok()) << update.message;
    std::vector<std::string> lines;
    for (const StockChange& c : update.value.diff.changes)
        lines.push_back(std::string(c.kind == StockChange::Kind::Added     ? "+ "
                                    : c.kind == StockChange::Kind::Removed ? "- "
                                                                           : "~ ") +
                        changePath(name, c));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"+ \\src\\new.txt", "- \\src\\gone", "- \\src\\gone\\deep",
                                        "- \\src\\gone\\deep\\moved.bin",
                                        "~ \\src\\keep\\grows.txt", "+ \\src\\keep\\moved.bin"}));
    EXPECT_EQ(update.value.diff.added, 2u);
    EXPECT_EQ(update.value.diff.removed, 3u);
    EXPECT_EQ(update.value.diff.changed, 1u);
    EXPECT_EQ(test::readFile(data / (name + ".dat")), before); // nothing written yet

    ASSERT_TRUE(library.setNote(name, "kept").ok());
    ASSERT_TRUE(library.applyUpdate(update.value).ok());
    EXPECT_TRUE(library.prepareUpdate(name, std::nullopt).value.diff.empty());
    const auto info = library.info(name).value;
    EXPECT_EQ(info.files, 4u);
    EXPECT_EQ(info.note, "kept");
}

TEST_F(Features, AFailedOrCancelledUpdateLeavesTheStockByteForByte) {
    const std::string name = capture();
    const std::string before = test::readFile(data / (name + ".dat"));
    CaptureCallbacks stop;
    stop.cancelled = [](const fs::path&) { return true; };
    EXPECT_EQ(library.prepareUpdate(name, std::nullopt, stop).failure, StockFailure::Cancelled);
    fs::remove_all(src);
    EXPECT_EQ(library.prepareUpdate(name, std::nullopt).failure, StockFailure::NoSource);
    EXPECT_EQ(test::readFile(data / (name + ".dat")), before);
}

TEST_F(Features, AnUpdateLandsOnlyOnTheStockItRead) {
    const std::string name = capture();
    test::writeFile(src / "new.txt", "n");
    // Paused between reading and applying while another process changes the
    // stock: deleted and captured anew under its name, or updated itself.
    const auto recaptured = [&] {
        ASSERT_TRUE(library.remove({name}).ok());
        fs::create_directories(dir / "other/x");
        FolderTree tree;
        ASSERT_TRUE(library.capture({dir / "other", "other", name}, tree).ok());
    };
    const auto updated = [&] {
        const auto first = library.prepareUpdate(name, std::nullopt);
        ASSERT_TRUE(first.ok() && library.applyUpdate(first.value).ok());
    };
    for (const auto& meanwhile : {std::function<void()>(recaptured), std::function<void()>(updated)}) {
        const auto update = library.prepareUpdate(name, std::nullopt);
        ASSERT_TRUE(update.ok()) << update.message;
        meanwhile();
        const std::string now = test::readFile(data / (name + ".dat"));
        const StockResult r = library.applyUpdate(update.value);
        EXPECT_EQ(r.failure, StockFailure::StockChanged);
        EXPECT_EQ(r.message, "ストック src は変更されました。もう一度読み込んでください");
        EXPECT_EQ(test::readFile(data / (name + ".dat")), now);
    }
}

TEST_F(Features, NotesAndFactsAreReadWithinTheirBounds) {
    const std::string name = capture();
    ASSERT_TRUE(library.setNote(name, "first").ok());
    // "note=" and the CR take 6 bytes of the line bound.
    const std::string longest(kMaxLineBytes - 6, 'n');
    for (const std::string& tooLong : {longest + "n", std::string(100000, 'x')}) {
        const StockResult r = library.setNote(name, tooLong);
        EXPECT_EQ(r.message, kMessageNoteTooLong);
        EXPECT_EQ(library.info(name).value.note, "first");
    }
    ASSERT_TRUE(library.setNote(name, longest).ok());
    EXPECT_EQ(library.info(name).value.note, longest);

    // A facts file that claims 40 GiB (sparse, a few bytes on disk).
    const fs::path facts = sideFilePath(data, kStockInfoFile, name);
    test::writeFile(facts, "note=small\r\nfiles=7\r\n");
    fs::resize_file(facts, uint64_t(40) << 30);
    const auto info = library.info(name);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info.value.note, "small");
    EXPECT_EQ(info.value.files, 7u);
}

TEST_F(Features, DuplicatesGroupByNameAndSizeOrBySize) {
    capture();
    test::writeFile(src / "keep/other.txt", "four"); // the size of same.txt
    capture();
    const auto names = library.names().value;
    DupeRequest r{names, 1, DupeKey::NameAndSize};
    auto groups = findDuplicates(library, r).value;
    ASSERT_EQ(groups.size(), 3u); // every file of the first stock is in the second
    EXPECT_EQ(groups[0].files.size(), 2u);
    EXPECT_EQ(groups[0].size, 4u); // larger files first among equal counts
    r.key = DupeKey::Size;
    groups = findDuplicates(library, r).value;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].files.size(), 4u); // the 1-byte files: grows.txt and moved.bin, twice
    EXPECT_EQ(groups[1].files.size(), 3u); // same.txt twice and other.txt
    r.minSize = 5;
    EXPECT_TRUE(findDuplicates(library, r).value.empty());
}

} // namespace
} // namespace zt
