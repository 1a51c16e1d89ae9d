// Reading a medium's content: read errors injected through the platform's
// read seam (no root, no special file system), each file's retries bounded,
// a medium that stops answering ending the pass.
#include "capture/capture.h"
#include "integrity/contentpass.h"
#include "platform/contentread.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <fcntl.h>
#include <sys/stat.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

// Which file fails how: an error for its first `times` reads (-1: always).
struct Fault {
    int error;
    int times;
};
std::map<std::string, Fault> faults;
std::map<std::string, int> reads;

int injected(const fs::path& file, uint64_t) {
    const std::string name = file.filename().string();
    ++reads[name];
    const auto it = faults.find(name);
    if (it == faults.end() || it->second.times == 0) return 0;
    if (it->second.times > 0) --it->second.times;
    return it->second.error;
}

class ContentPass : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path src = dir / "disc";
    FolderTree tree;

    void SetUp() override {
        fs::create_directories(src / "sub" / "deeper");
        test::writeFile(src / "a.txt", "alpha");
        test::writeFile(src / "sub" / "b.bin", std::string(3 << 20, 'b')); // several pieces
        test::writeFile(src / "sub" / "deeper" / "c.txt", "gamma");
        test::writeFile(src / "sub" / "d.txt", "delta");
        fs::create_symlink("a.txt", src / "link");
        faults.clear();
        reads.clear();
        setContentReadFault(injected);
        ASSERT_EQ(captureTree(src, "disc", tree).status, CaptureStatus::Completed);
    }
    void TearDown() override { setContentReadFault(nullptr); }

    static std::string hashOf(std::string_view bytes) {
        ContentHasher h;
        h.update(bytes.data(), bytes.size());
        return hashText(h.digest());
    }
    static const FileSum* sumAt(const ChecksumSet& s, std::initializer_list<std::string> folders,
                                std::string_view name) {
        uint32_t at = ChecksumSet::kTop;
        for (const auto& f : folders) at = s.folder(at, f);
        return s.file(at, name);
    }
    void keepMtime(const fs::path& p, std::string_view bytes) {
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        test::writeFile(p, bytes);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
    }
};

TEST_F(ContentPass, EveryFileIsHashedOnceAndReadErrorsAreRecordedNotFatal) {
    faults["a.txt"] = {EIO, -1};     // a bad sector: tried a bounded number of times
    faults["d.txt"] = {EIO, 1};      // read on the second try
    fs::remove(src / "sub" / "deeper" / "c.txt"); // vanished since the tree was read
    std::vector<ContentProgress> seen;
    const HashPass pass = hashTree(src, tree, {nullptr, [&](const ContentProgress& p) {
                                                   seen.push_back(p);
                                               }});
    EXPECT_EQ(pass.end, PassEnd::Completed);
    EXPECT_EQ(pass.unreadable, 2u);
    EXPECT_EQ(reads["a.txt"], kContentReadTries);
    const FileSum* a = sumAt(pass.sums, {}, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->readable);
    EXPECT_EQ(a->error, EIO);
    EXPECT_EQ(sumAt(pass.sums, {"sub", "deeper"}, "c.txt")->error, ENOENT);
    EXPECT_EQ(hashText(sumAt(pass.sums, {"sub"}, "d.txt")->hash), hashOf("delta"));
    EXPECT_EQ(hashText(sumAt(pass.sums, {"sub"}, "b.bin")->hash), hashOf(std::string(3 << 20, 'b')));
    EXPECT_EQ(sumAt(pass.sums, {}, "link"), nullptr); // a link is never followed
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().doneBytes, seen.back().totalBytes);
    EXPECT_EQ(seen.back().doneFiles, 5u);
}

TEST_F(ContentPass, AMediumThatStopsAnsweringEndsThePass) {
    faults["b.bin"] = {ENXIO, -1};
    const HashPass pass = hashTree(src, tree, {});
    EXPECT_EQ(pass.end, PassEnd::MediumGone);
    EXPECT_EQ(pass.goneError, ENXIO);
    EXPECT_EQ(reads["b.bin"], 1); // no retries on a device that is gone
    EXPECT_EQ(reads.count("c.txt"), 0u);

    // Read errors on a medium whose top folder went away are the same.
    faults = {{"a.txt", {EIO, -1}}};
    fs::rename(src, dir / "elsewhere");
    EXPECT_EQ(hashTree(src, tree, {}).end, PassEnd::MediumGone);
}

TEST_F(ContentPass, KeptSumsAreTakenOverUnreadAndCancelStops) {
    const HashPass first = hashTree(src, tree, {});
    faults = {{"a.txt", {EIO, -1}}, {"b.bin", {EIO, -1}}, {"c.txt", {EIO, -1}},
              {"d.txt", {EIO, -1}}};
    const HashPass again = hashTree(src, tree, {}, &first.sums);
    EXPECT_EQ(again.kept, 4u);
    EXPECT_EQ(again.unreadable, 0u);
    EXPECT_EQ(serializeChecksums(again.sums), serializeChecksums(first.sums));

    int polls = 0;
    const HashPass stopped = hashTree(src, tree, {[&] { return ++polls > 2; }, nullptr});
    EXPECT_EQ(stopped.end, PassEnd::Cancelled);
}

TEST_F(ContentPass, VerifyTellsEachKindContentChangesFirst) {
    const HashPass sums = hashTree(src, tree, {});
    keepMtime(src / "sub" / "d.txt", "DELTA");           // decayed: same size and time
    test::writeFile(src / "sub" / "deeper" / "c.txt", "longer gamma"); // changed
    fs::remove(src / "a.txt");                            // missing
    test::writeFile(src / "new.txt", "n");                // new
    faults["b.bin"] = {EIO, -1};                          // unreadable
    FolderTree now;
    ASSERT_EQ(captureTree(src, "disc", now).status, CaptureStatus::Completed);

    const VerifyReport r = verifyTree(src, tree, &sums.sums, now, {});
    EXPECT_EQ(r.end, PassEnd::Completed);
    std::vector<std::pair<VerifyKind, std::string>> rows;
    for (const VerifyRow& row : r.rows) rows.emplace_back(row.kind, row.parts.back());
    const std::vector<std::pair<VerifyKind, std::string>> expected = {
        {VerifyKind::ContentChanged, "d.txt"}, {VerifyKind::Unreadable, "b.bin"},
        {VerifyKind::Changed, "c.txt"},        {VerifyKind::Missing, "a.txt"},
        {VerifyKind::New, "new.txt"}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(r.counts[VerifyKind::Ok], 1u); // the link
    EXPECT_EQ(r.rows[1].error, EIO);
    EXPECT_EQ(r.contentCompared, 1u);

    // Without checksums only size and time tell: the decayed file reads as ok.
    const VerifyReport plain = verifyTree(src, tree, nullptr, now, {});
    EXPECT_EQ(plain.counts[VerifyKind::ContentChanged], 0u);
    EXPECT_EQ(plain.counts[VerifyKind::Ok], 2u);

    // A medium gone part way keeps what was found so far.
    faults["b.bin"] = {ENODEV, -1};
    const VerifyReport cut = verifyTree(src, tree, &sums.sums, now, {});
    EXPECT_EQ(cut.end, PassEnd::MediumGone);
    EXPECT_EQ(cut.counts[VerifyKind::New], 1u);
}

TEST_F(ContentPass, FolderGoneFromTheMediumMakesEveryFileBelowMissing) {
    const HashPass sums = hashTree(src, tree, {});
    fs::remove_all(src / "sub");
    FolderTree now;
    ASSERT_EQ(captureTree(src, "disc", now).status, CaptureStatus::Completed);
    const VerifyReport r = verifyTree(src, tree, &sums.sums, now, {}, true);
    EXPECT_EQ(r.counts[VerifyKind::Missing], 3u);
    EXPECT_EQ(r.counts[VerifyKind::Ok], 2u);
    EXPECT_EQ(r.rows.size(), 5u); // ok rows kept when asked
    const std::vector<std::string> deep = {"sub", "deeper", "c.txt"};
    bool found = false;
    for (const VerifyRow& row : r.rows) found = found || row.parts == deep;
    EXPECT_TRUE(found);
}

} // namespace
} // namespace zt
