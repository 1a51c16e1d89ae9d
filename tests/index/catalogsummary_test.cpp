// The catalogue summary: a stock it rules out is never opened, yet the rows
// are the scan's; a stale, damaged or foreign summary is never trusted.
#include "index/catalogsummary.h"
#include "library/catalogsearch.h"
#include "library/indexstore.h"
#include "library/stocklibrary.h"
#include "testutil.h"

#include <functional>

#include <gtest/gtest.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

TEST(CatalogueSummary, HoldsEveryStocksBucketsAndRefusesDamage) {
    std::vector<SummaryStock> stocks;
    for (int s = 0; s < 11; ++s) { // more than a byte of slots
        std::vector<uint32_t> trigrams{uint32_t(0x616263 + s), 0x787978};
        stocks.push_back({"S" + std::to_string(s), FileStamp{uint64_t(s), 2, 3, 4, 5},
                          SummaryColumn::ofTrigrams(trigrams)});
    }
    const std::string bytes = buildSummary(stocks);
    const auto summary = CatalogueSummary::open(bytes);
    ASSERT_TRUE(summary);
    ASSERT_EQ(summary->stockCount(), 11u);
    EXPECT_EQ(summary->slotOf("S7"), 7u);
    EXPECT_EQ(summary->stamp(7).size, 7u);
    EXPECT_FALSE(summary->slotOf("S11"));
    const std::vector<uint32_t> query{0x616263 + 4, 0x787978};
    const auto may = summary->mayHold(query);
    ASSERT_TRUE(may);
    EXPECT_TRUE((*may)[4]);
    EXPECT_TRUE((*may)[0] == (summaryBucket(0x616263) == summaryBucket(0x616263 + 4)));
    const auto columns = summary->columns();
    ASSERT_TRUE(columns);
    for (size_t s = 0; s < 11; ++s)
        EXPECT_TRUE((*columns)[s].has(summaryBucket(0x787978))) << s;

    // A flipped bit anywhere is refused when opened, or by the row it is in.
    for (const size_t at : {size_t(3), size_t(12), size_t(30), size_t(70), bytes.size() / 2,
                            bytes.size() - 1}) {
        std::string damaged = bytes;
        damaged[at] ^= 0x04;
        const auto opened = CatalogueSummary::open(damaged);
        if (opened) {
            EXPECT_FALSE(opened->columns()) << at;
        }
    }
    EXPECT_FALSE(CatalogueSummary::open(bytes.substr(0, bytes.size() - 1)));
    // A summary of fewer rows rules out fewer stocks, never one that may match.
    const std::string smallBytes = buildSummary(stocks, kMinSummaryBucketBits);
    const auto small = CatalogueSummary::open(smallBytes);
    ASSERT_TRUE(small && small->mayHold(query));
    EXPECT_TRUE((*small->mayHold(query))[4]);
    EXPECT_TRUE((*small->columns())[4].has(summaryBucket(0x616263 + 4)));
    EXPECT_FALSE(CatalogueSummary::open(""));
}

struct Catalogue {
    test::TempDir dir;
    std::vector<std::string> stocks{"A", "B", "C"};

    Catalogue() {
        test::StockBuilder a, b, c;
        a.add(a.root("A", {"readme.txt", "setup.exe"}), "docs", {"manual.pdf", "Readme.md"});
        b.root("B", {"holiday.jpg", "other"});
        c.add(c.root("C", {"notes"}), "readme", {"x"});
        EXPECT_TRUE(a.write(dir.path(), "A") && b.write(dir.path(), "B") &&
                    c.write(dir.path(), "C"));
        for (const auto& s : stocks)
            EXPECT_TRUE(buildIndex(dir.path(), s));
        refreshSummary(dir.path(), stocks);
    }

    // The rows of a search, and the stocks whose index it found unusable.
    std::pair<std::vector<std::string>, std::vector<std::string>>
    search(const std::string& text, IndexUse use) const {
        SearchRequest r;
        r.dataDir = dir.path();
        r.stocks = stocks;
        r.text = text;
        std::vector<std::string> rows, unusable;
        SearchCallbacks cb;
        cb.hit = [&](const SearchHit& h) { rows.push_back(h.path()); };
        searchCatalogue(r, cb, use, &unusable);
        return {rows, unusable};
    }
};

TEST(CatalogueSummary, AStockRuledOutIsNeverOpenedAndAStaleOneIsNot) {
    // B's index made unreadable: only a search that opens it names it.
    const auto spoil = [](const Catalogue& c) {
        test::writeFile(indexFilePath(c.dir.path(), "B"), "not an index");
    };
    struct Case {
        const char* what;
        std::function<void(const Catalogue&)> change;
        bool bOpened;
    } cases[] = {
        {"fresh", spoil, false},
        {"missing", [&](const Catalogue& c) { fs::remove(summaryFilePath(c.dir.path())); spoil(c); },
         true},
        {"damaged",
         [&](const Catalogue& c) {
             std::string bytes = test::readFile(summaryFilePath(c.dir.path()));
             bytes[70] ^= 0x10; // in the table of stocks
             test::writeFile(summaryFilePath(c.dir.path()), bytes);
             spoil(c);
         },
         true},
        {"stale stock",
         [&](const Catalogue& c) {
             test::writeFile(c.dir / "B.dat", test::readFile(c.dir / "B.dat") + "\r\n");
         },
         true},
    };
    for (const Case& c : cases) {
        Catalogue cat;
        const auto before = cat.search("readme", IndexUse::Never).first;
        ASSERT_EQ(before.size(), 3u);
        c.change(cat);
        const auto [rows, unusable] = cat.search("readme", IndexUse::WhenFresh);
        EXPECT_EQ(rows, before) << c.what;
        EXPECT_EQ(unusable == std::vector<std::string>{"B"}, c.bOpened) << c.what;
        // A search that builds what it lacks leaves the summary whole again.
        EXPECT_EQ(cat.search("readme", IndexUse::BuildMissing).first, before) << c.what;
        const auto summary = openSummary(cat.dir.path());
        ASSERT_TRUE(summary) << c.what;
        EXPECT_EQ(summary->stockCount(), 3u) << c.what;
        EXPECT_TRUE(summary->columns()) << c.what;
    }
}

TEST(CatalogueSummary, FollowsCapturesRenamesAndDeletes) {
    test::TempDir data, src;
    test::writeFile(src / "holiday.jpg", "");
    StockLibrary library(data.path());
    FolderTree tree;
    const auto captured = library.capture({src.path(), "DISC", std::nullopt}, tree);
    ASSERT_TRUE(captured.ok());
    const auto holds = [&](const std::string& name) {
        const auto s = openSummary(data.path());
        return s && s->slotOf(name) && *fileStamp(data / (name + ".dat")) == s->stamp(*s->slotOf(name));
    };
    EXPECT_TRUE(holds("DISC"));
    ASSERT_TRUE(library.rename({"DISC", 0}, "Trip").ok());
    EXPECT_FALSE(openSummary(data.path())->slotOf("DISC"));
    ASSERT_TRUE(library.remove({"Trip", 0}).ok());
    EXPECT_EQ(openSummary(data.path())->stockCount(), 0u);
}

} // namespace
} // namespace zt
