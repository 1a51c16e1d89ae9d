// Checksums recorded at capture and update, verify and the health record,
// duplicates by content, checksum files that must not be trusted.
#include "library/checksumstore.h"
#include "library/dupes.h"
#include "library/sidefiles.h"
#include "library/stocklibrary.h"
#include "library/verifystock.h"
#include "platform/contentread.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

int failEveryRead(const fs::path& file, uint64_t) {
    return file.filename() == "bad.bin" ? EIO : file.filename() == "gone.bin" ? ENOMEDIUM : 0;
}

class Integrity : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path data = dir / "Data", src = dir / "src";
    StockLibrary library{data};

    void SetUp() override {
        fs::create_directories(data);
        fs::create_directories(src / "photos");
        test::writeFile(src / "photos/one.jpg", "first photo");
        test::writeFile(src / "photos/two.jpg", "second photo");
        test::writeFile(src / "notes.txt", "notes");
    }
    void TearDown() override { setContentReadFault(nullptr); }

    CaptureOutcome capture(ChecksumMode mode = ChecksumMode::Add, std::string name = "disc") {
        FolderTree tree;
        return library.capture({src, "src", name}, tree, {}, {mode, {}});
    }
    StockOutcome<VerifyResult> verify() { return verifyStock(library, {"disc", {}, {}, {}, false}); }
    void rewriteKeepingTime(const fs::path& p, std::string_view bytes) {
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        test::writeFile(p, bytes);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
    }
};

TEST_F(Integrity, CaptureRecordsAndVerifyFindsDecayAndKeepsAHealthRecord) {
    setContentReadFault(failEveryRead);
    test::writeFile(src / "bad.bin", "unreadable");
    const auto captured = capture();
    ASSERT_TRUE(captured.ok()) << captured.message;
    EXPECT_TRUE(captured.checksumsSaved);
    EXPECT_EQ(captured.unreadableFiles, 1u);
    ChecksumSet sums;
    ASSERT_EQ(loadChecksums(data, "disc", sums), SumsState::Usable);
    EXPECT_EQ(sums.fileCount(), 4u);
    EXPECT_EQ(library.info("disc").value.lastVerify, std::nullopt);
    EXPECT_EQ(verifyText(library.info("disc").value.lastVerify), "未検証");

    fs::remove(src / "bad.bin");
    auto ok = verify();
    ASSERT_TRUE(ok.ok()) << ok.message;
    EXPECT_EQ(ok.value.report.checksums, ChecksumUse::Used);
    EXPECT_EQ(ok.value.report.counts[VerifyKind::Missing], 1u);

    test::writeFile(src / "bad.bin", "unreadable");
    rewriteKeepingTime(src / "photos/two.jpg", "second phot0");
    const auto rotted = verify();
    ASSERT_TRUE(rotted.ok());
    ASSERT_FALSE(rotted.value.report.rows.empty());
    EXPECT_EQ(rotted.value.report.rows[0].kind, VerifyKind::ContentChanged);
    EXPECT_TRUE(rotted.value.recorded);
    const auto info = library.info("disc").value;
    ASSERT_TRUE(info.lastVerify);
    EXPECT_EQ(info.lastVerify->counts[VerifyKind::ContentChanged], 1u);
    EXPECT_NE(verifyText(info.lastVerify).find("内容変更 1"), std::string::npos);
    EXPECT_EQ(info.note, ""); // the other facts stay as they were
    EXPECT_EQ(info.files, 4u);

    // The history keeps the last ten, oldest first.
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(verify().ok());
    const auto history = readVerifyHistory(data, "disc");
    ASSERT_EQ(history.size(), kVerifyHistoryLength);
    EXPECT_EQ(history.back().counts[VerifyKind::ContentChanged], 1u);
}

TEST_F(Integrity, AllReadingBackGivesTheShortTextAndAGoneMediumIsRecordedAsCut) {
    ASSERT_TRUE(capture().ok());
    const auto ok = verify();
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(verifySummary(ok.value.report), "全 3 ファイル正常");
    EXPECT_NE(verifyText(library.info("disc").value.lastVerify).find(" 全 3 ファイル正常"),
              std::string::npos);

    setContentReadFault([](const fs::path& f, uint64_t) { return f.filename() == "two.jpg" ? ENXIO : 0; });
    const auto cut = verify();
    ASSERT_TRUE(cut.ok());
    EXPECT_EQ(cut.value.report.end, PassEnd::MediumGone);
    EXPECT_FALSE(library.info("disc").value.lastVerify->complete);
    // A capture, though, keeps nothing of a medium that went away.
    FolderTree tree;
    const auto failed = library.capture({src, "src", "again"}, tree, {}, {ChecksumMode::Add, {}});
    EXPECT_EQ(failed.failure, StockFailure::NoSource);
    EXPECT_EQ(failed.message, kMessageMediumGone);
    EXPECT_EQ(library.names().value, std::vector<std::string>{"disc"});
    EXPECT_FALSE(fs::exists(data / "again.dat"));
}

TEST_F(Integrity, DamagedOrStaleChecksumsAreNeverTrusted) {
    ASSERT_TRUE(capture().ok());
    const fs::path file = sideFilePath(data, kStockChecksumFile, "disc");
    const std::string good = test::readFile(file);
    ChecksumSet sums;
    for (const std::string& bad : {good.substr(0, good.size() - 5), std::string("garbage"),
                                   good.substr(0, good.find("one.jpg")) + "One.jpg" +
                                       good.substr(good.find("one.jpg") + 7)}) {
        test::writeFile(file, bad);
        EXPECT_EQ(loadChecksums(data, "disc", sums), SumsState::Unusable);
        rewriteKeepingTime(src / "photos/one.jpg", "first phot0");
        const auto r = verify();
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.value.report.checksums, ChecksumUse::Unusable);
        EXPECT_EQ(r.value.report.counts[VerifyKind::ContentChanged], 0u); // not compared
        rewriteKeepingTime(src / "photos/one.jpg", "first photo");
    }
    // Sums of another state of the stock file: the stock was written again.
    test::writeFile(file, good);
    ASSERT_EQ(loadChecksums(data, "disc", sums), SumsState::Usable);
    const std::string stock = test::readFile(data / "disc.dat");
    test::writeFile(data / "disc.dat", stock + "\r\n");
    EXPECT_EQ(loadChecksums(data, "disc", sums), SumsState::Unusable);
}

TEST_F(Integrity, UpdateKeepsSumsOfUnchangedFilesAndReadsWhenAsked) {
    ASSERT_TRUE(capture().ok());
    test::writeFile(src / "added.txt", "added");
    // No reading asked: unchanged files keep their sums, the new one has none.
    auto plain = library.prepareUpdate("disc", std::nullopt);
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(library.applyUpdate(plain.value).ok());
    ChecksumSet sums;
    ASSERT_EQ(loadChecksums(data, "disc", sums), SumsState::Usable);
    EXPECT_EQ(sums.fileCount(), 3u);

    // Asked: only the new file is read (the others would fail if they were).
    setContentReadFault([](const fs::path& f, uint64_t) { return f.filename() == "added.txt" ? 0 : EIO; });
    auto add = library.prepareUpdate("disc", std::nullopt, {}, {ChecksumMode::Add, {}});
    ASSERT_TRUE(add.ok());
    EXPECT_TRUE(add.value.sumsChanged);
    EXPECT_EQ(add.value.unreadableFiles, 0u);
    ASSERT_TRUE(library.applyUpdate(add.value).ok());
    ASSERT_EQ(loadChecksums(data, "disc", sums), SumsState::Usable);
    EXPECT_EQ(sums.hashedCount(), 4u);
    // Rehash reads every file again.
    auto all = library.prepareUpdate("disc", std::nullopt, {}, {ChecksumMode::Rehash, {}});
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all.value.unreadableFiles, 3u);

    // A rename takes the sums along.
    ASSERT_TRUE(library.rename({"disc", 0}, "renamed").ok());
    EXPECT_EQ(loadChecksums(data, "renamed", sums), SumsState::Usable);
}

TEST_F(Integrity, DuplicatesByContentAcrossStocksLeaveOutFilesWithoutSums) {
    ASSERT_TRUE(capture().ok());
    test::writeFile(src / "photos/copy-of-one.jpg", "first photo");
    ASSERT_TRUE(capture(ChecksumMode::Add, "second").ok());
    ASSERT_TRUE(capture(ChecksumMode::Keep, "plain").ok());
    uint64_t unchecked = 0;
    DupeRequest request{{"disc", "second", "plain"}, 1, DupeKey::Content, &unchecked};
    const auto groups = findDuplicates(library, request);
    ASSERT_TRUE(groups.ok());
    EXPECT_EQ(unchecked, 4u); // every file of the stock without sums
    ASSERT_FALSE(groups.value.empty());
    EXPECT_EQ(groups.value[0].files.size(), 3u); // one.jpg twice and its copy
    for (const DupeFile& f : groups.value[0].files) EXPECT_NE(f.name.find("one.jpg"), std::string::npos);
}

} // namespace
} // namespace zt
