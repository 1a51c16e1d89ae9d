// The index file as another machine may hand it over: lengths it cannot hold,
// and a stock file rewritten behind its back.
#include "index/nameindex.h"
#include "library/catalogsearch.h"
#include "library/indexstore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

// Writes an index whose header claims other lengths: each section's bytes go
// to the place the claimed lengths give it, the gaps left as holes, so the
// file is sparse and as large as the header says at little cost on disk.
void writeClaiming(const fs::path& file, const std::string& index, NameIndexHeader claim) {
    const NameIndexHeader real = *NameIndexHeader::parse(index);
    const uint64_t blocks = (uint64_t(claim.records) + 63) / 64;
    claim.deltasPos = claim.blocksPos + blocks * 16;
    claim.foldersPos = claim.deltasPos + claim.deltasLength;
    claim.trigramsPos = claim.foldersPos + claim.foldersLength;
    claim.postingsPos = claim.trigramsPos + uint64_t(claim.trigrams) * 24;
    const std::string_view bytes(index);
    std::string head = claim.bytes() + std::string(bytes.substr(real.kSize, real.blocksPos - real.kSize));
    claim.headChecksum = NameIndexHeader::checksumOf(head);
    head.replace(0, claim.kSize, claim.bytes());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const auto put = [&](uint64_t at, uint64_t from, uint64_t to) {
        out.seekp(std::streamoff(at));
        out.write(bytes.data() + from, std::streamsize(to - from));
    };
    out.write(head.data(), std::streamsize(head.size()));
    put(claim.blocksPos, real.blocksPos, real.deltasPos);
    put(claim.deltasPos, real.deltasPos, real.foldersPos);
    put(claim.foldersPos, real.foldersPos, real.trigramsPos);
    put(claim.trigramsPos, real.trigramsPos, real.postingsPos);
    put(claim.postingsPos, real.postingsPos, index.size());
}

long peakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(NameIndexFile, LengthsTheStockCannotHoldAreRefusedBeforeAnythingIsRead) {
    test::TempDir dir;
    test::StockBuilder s;
    s.add(s.root("S", {"readme.txt", "setup.exe"}), "docs", {"manual.pdf"});
    ASSERT_TRUE(s.write(dir.path(), "S") && buildIndex(dir.path(), "S"));
    const fs::path file = indexFilePath(dir.path(), "S");
    const std::string index = test::readFile(file);
    const NameIndexHeader real = *NameIndexHeader::parse(index);

    constexpr uint64_t k40GiB = uint64_t(40) << 30;
    struct Case {
        const char* what;
        void (*claim)(NameIndexHeader&);
    } cases[] = {
        {"folder table", [](NameIndexHeader& h) { h.foldersLength = k40GiB; }},
        {"offset deltas", [](NameIndexHeader& h) { h.deltasLength = k40GiB; }},
        {"records", [](NameIndexHeader& h) { h.records = UINT32_MAX; }},
    };
    const long before = peakKiB();
    for (const Case& c : cases) {
        NameIndexHeader claim = real;
        c.claim(claim);
        writeClaiming(file, index, claim);
        ASSERT_GT(fs::file_size(file), uint64_t(1) << 30) << c.what;
        EXPECT_FALSE(openIndex(dir.path(), "S")) << c.what;
        EXPECT_EQ(indexState(dir.path(), "S", IndexCheck::Thorough), IndexState::Damaged)
            << c.what;
        // A search scans the stock instead and builds the index again.
        SearchRequest r;
        r.dataDir = dir.path();
        r.stocks = {"S"};
        r.text = "manual";
        std::vector<std::string> unusable;
        EXPECT_EQ(searchCatalogue(r, {}, IndexUse::WhenFresh, &unusable).resultCount, 1);
        EXPECT_EQ(unusable, std::vector<std::string>{"S"}) << c.what;
        EXPECT_EQ(searchCatalogue(r, {}, IndexUse::BuildMissing).resultCount, 1) << c.what;
        ASSERT_EQ(fs::file_size(file), index.size()) << c.what;
        EXPECT_EQ(test::readFile(file), index) << c.what;
    }
    // Generous: what a claim would have cost is forty times more.
    EXPECT_LT(peakKiB() - before, 1L << 20);
}

// A stock file rewritten to the same size with its old modification time
// put back, or another file moved in its place, leaves its index stale.
TEST(NameIndexFile, TheStampCoversWhichFileTheStockIsAndItsChangeTime) {
    test::TempDir dir;
    test::StockBuilder s;
    s.root("S", {"readme.txt"});
    ASSERT_TRUE(s.write(dir.path(), "S"));
    const fs::path stock = dir / "S.dat";
    const std::string bytes = test::readFile(stock);
    std::string changed = bytes;
    changed.replace(changed.find("readme"), 6, "README");
    for (const bool moved : {false, true}) {
        ASSERT_TRUE(buildIndex(dir.path(), "S"));
        const FileStamp built = *fileStamp(stock);
        const auto when = fs::last_write_time(stock);
        if (moved) {
            test::writeFile(dir / "new.tmp", changed);
            fs::last_write_time(dir / "new.tmp", when);
            fs::rename(dir / "new.tmp", stock);
        } else {
            // The change time is the kernel's clock: rewritten until it moved on.
            do {
                test::writeFile(stock, changed);
                fs::last_write_time(stock, when);
            } while (fileStamp(stock)->changedNs == built.changedNs);
        }
        const FileStamp now = *fileStamp(stock);
        ASSERT_EQ(now.size, built.size);
        ASSERT_EQ(now.modifiedNs, built.modifiedNs);
        EXPECT_EQ(indexState(dir.path(), "S"), IndexState::Stale) << moved;
        EXPECT_FALSE(openIndex(dir.path(), "S")) << moved;
        test::writeFile(stock, bytes);
    }
}

} // namespace
} // namespace zt
