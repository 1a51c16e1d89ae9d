// The name index against the scan it stands in for: the same rows, in the
// same order, with the same limit and stop, over random stocks.
#include "catalogue/stockfile.h"
#include "index/indexsearch.h"
#include "library/catalogsearch.h"
#include "library/indexstore.h"
#include "library/stockinfo.h"
#include "platform/collate.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace zt {
namespace {

namespace fs = std::filesystem;

std::string describe(const SearchHit& h) {
    std::string s = h.path() + "|" + h.name + "|" + h.stock + "|" + std::to_string(h.size) + "|" +
                    std::to_string(h.created.ticks) + "|" + std::to_string(h.modified.ticks) +
                    (h.isFolder ? "|D" : "|F");
    for (const auto& f : h.folders())
        s += "/" + f;
    return s;
}

struct SearchRun {
    std::vector<std::string> rows;
    int limitMessages = 0;
    SearchOutcome outcome;
};

std::string randomStock(std::mt19937& rng, const std::vector<std::string>& parts) {
    auto name = [&] {
        std::string n;
        for (int i = 1 + int(rng() % 4); i > 0; --i)
            n += parts[rng() % parts.size()];
        return n;
    };
    test::StockBuilder s;
    std::vector<FolderNode*> folders{s.root("S")};
    for (int i = 5 + int(rng() % 80); i > 0; --i) {
        FolderNode* at = folders[rng() % folders.size()];
        if (rng() % 3 == 0) {
            folders.push_back(s.add(at, name()));
            folders.back()->created = FileTime{rng() % 5};
        } else {
            FileRecord* f = s.tree.addFile(at, name());
            f->size = rng() % 3000;
            f->modified = FileTime{rng() % 5};
        }
    }
    if (rng() % 16 == 0) { // a name past the line bound: both sides cut it alike
        std::string huge;
        while (huge.size() < 33000)
            huge += parts[rng() % parts.size()];
        s.tree.addFile(folders[rng() % folders.size()], huge + name());
    }
    std::string bytes = serializeStock(s.tree);
    if (rng() % 4 == 0) { // damaged files: both sides must read them alike
        for (int k = 0; k < 3; ++k)
            bytes[rng() % bytes.size()] = char(rng() % 256);
        bytes.resize(rng() % (bytes.size() + 1));
    }
    return bytes;
}

TEST(NameIndex, SearchesExactlyAsTheScan) {
    std::mt19937 rng(4711);
    const std::vector<std::string> parts = {"ab",  "Abc", "アA", "ｂｂ", "Ａｂ", "&#65;",
                                            "xyz", "a",   " ",   "表示", "\x01"};
    test::TempDir dir;
    for (int round = 0; round < 400; ++round) {
        const int stockCount = 1 + int(rng() % 3);
        std::vector<std::string> stocks;
        for (int i = 0; i < stockCount; ++i) {
            stocks.push_back("S" + std::to_string(i));
            test::writeFile(dir / (stocks.back() + ".dat"), randomStock(rng, parts));
        }
        SearchRequest r;
        r.text = parts[rng() % 7] + (rng() % 2 ? parts[rng() % 7] : "");
        r.mode = MatchMode(rng() % 5);
        if (r.mode == MatchMode::Wildcard) { // a pattern around the text
            const char* const shapes[] = {"*%*", "%*", "*%", "?%*", "*%?", "%", "*%*xyz*"};
            std::string shape = shapes[rng() % 7];
            r.text = shape.replace(shape.find('%'), 1, r.text);
        }
        r.target = SearchTarget(rng() % 3);
        r.caseSensitive = rng() % 2;
        r.limit = rng() % 3 == 0 ? 1 + int(rng() % 6) : kSearchResultLimit;
        if (rng() % 3 == 0) r.filters.minSize = rng() % 2000;
        if (rng() % 4 == 0) r.filters.maxSize = rng() % 3000;
        if (rng() % 3 == 0) r.filters.modifiedFrom = FileTime{1 + rng() % 4};
        if (rng() % 4 == 0) r.filters.modifiedBefore = FileTime{rng() % 5};
        const auto trigrams = requestTrigrams(r);
        if (trigrams.empty()) continue;

        SearchRun scan, indexed;
        for (SearchRun* run : {&scan, &indexed}) {
            SearchCallbacks cb;
            cb.hit = [run](const SearchHit& h) { run->rows.push_back(describe(h)); };
            cb.limitExceeded = [run](std::string_view) { ++run->limitMessages; };
            for (const std::string& stock : stocks) {
                if (run->outcome.stopped) break;
                const fs::path file = dir / (stock + ".dat");
                const std::string bytes = test::readFile(file);
                if (run == &scan) {
                    searchStockBytes(bytes, stock, r, cb, run->outcome);
                    continue;
                }
                const std::string index = buildNameIndex(bytes, *fileStamp(file));
                // Held whole, or read from its file part by part.
                const fs::path indexFile = dir / (stock + ".idx");
                test::writeFile(indexFile, index);
                auto opened = round % 2 ? NameIndex::open(index, *fileStamp(file))
                                        : NameIndex::read(indexFile, *fileStamp(file));
                ASSERT_TRUE(opened);
                ASSERT_EQ(searchWithIndex(*opened, file, stock, r, trigrams, cb, run->outcome),
                          IndexSearchStatus::Done);
            }
        }
        ASSERT_EQ(indexed.rows, scan.rows) << "round " << round << " text " << r.text;
        EXPECT_EQ(indexed.outcome.resultCount, scan.outcome.resultCount) << round;
        EXPECT_EQ(indexed.outcome.stopped, scan.outcome.stopped) << round;
        EXPECT_EQ(indexed.limitMessages, scan.limitMessages) << round;
    }
}

// The whole catalogue search, with the summary ruling stocks out, against
// the scan of every stock: the same rows, count, stop and limit messages.
TEST(NameIndex, TheCatalogueSummarySearchesExactlyAsTheScan) {
    std::mt19937 rng(99);
    const std::vector<std::string> parts = {"ab", "Abc", "アA", "表示", "xyz", "qrs", "a", "klm"};
    for (int round = 0; round < 40; ++round) {
        test::TempDir dir;
        SearchRequest r;
        r.dataDir = dir.path();
        for (int i = 0, n = 2 + int(rng() % 8); i < n; ++i) {
            r.stocks.push_back("S" + std::to_string(i));
            test::writeFile(dir / (r.stocks.back() + ".dat"), randomStock(rng, {parts[i % 8], parts[rng() % 8]}));
            (void)buildIndex(dir.path(), r.stocks.back());
        }
        refreshSummary(dir.path(), r.stocks);
        r.text = parts[rng() % parts.size()] + parts[rng() % parts.size()];
        r.mode = MatchMode(rng() % 4);
        r.caseSensitive = rng() % 2;
        r.limit = rng() % 3 == 0 ? 1 + int(rng() % 6) : kSearchResultLimit;
        SearchRun scan, indexed;
        for (SearchRun* run : {&scan, &indexed}) {
            SearchCallbacks cb;
            cb.hit = [run](const SearchHit& h) { run->rows.push_back(describe(h)); };
            cb.limitExceeded = [run](std::string_view) { ++run->limitMessages; };
            run->outcome = searchCatalogue(r, cb, run == &scan ? IndexUse::Never : IndexUse::WhenFresh);
        }
        ASSERT_EQ(indexed.rows, scan.rows) << "round " << round << " text " << r.text;
        EXPECT_EQ(indexed.outcome.resultCount, scan.outcome.resultCount) << round;
        EXPECT_EQ(indexed.outcome.stopped, scan.outcome.stopped) << round;
        EXPECT_EQ(indexed.outcome.skippedStocks, scan.outcome.skippedStocks) << round;
        EXPECT_EQ(indexed.limitMessages, scan.limitMessages) << round;
    }
}

// The record grammar's edge cases, read alike by the loader, the scan and
// the index; the check that a file is a stock refuses every damaged one.
TEST(NameIndex, DamagedRecordsReadAlikeByLoaderScanAndIndex) {
    auto records = [](std::vector<std::string> lines) {
        std::string bytes = "1200\r\n3\r\n";
        for (const std::string& l : lines)
            bytes += l + "\r\n";
        return bytes;
    };
    const std::vector<std::string> values = {"0", "0", "0", "0", "0", "0", "0", "7"};
    auto record = [&](std::string first, std::string name, size_t valueCount = 8) {
        std::vector<std::string> r = {std::move(first), std::move(name)};
        r.insert(r.end(), values.begin(), values.begin() + long(valueCount));
        return r;
    };
    auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const auto dir1 = record("1", "abcD"), file = record("-1", "abcF");
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> rows; // path and size, in file order
        bool stock;
    } cases[] = {
        {"whole", records(join({dir1, file})), {"\\S\\abcD 7", "\\S\\abcD\\abcF 7"}, true},
        {"values cut short read as 0",
         records(join({dir1, record("-1", "abcF", 7)})),
         {"\\S\\abcD 7", "\\S\\abcD\\abcF 0"},
         false},
        {"a value that is no number reads as 0",
         records(join({dir1, record("-1", "abcF", 6), {"x", "7"}})),
         {"\\S\\abcD 7", "\\S\\abcD\\abcF 7"},
         false},
        {"a record without its name ends them",
         records(join({dir1, {"-1"}})),
         {"\\S\\abcD 7"},
         false},
        {"a depth below no open folder ends them",
         records(join({dir1, record("3", "abcX"), file})),
         {"\\S\\abcD 7"},
         false},
        {"depth 0 ends them",
         records(join({file, record("0", "abcX"), file})),
         {"\\S\\abcF 7"},
         false},
        {"a depth closes the folders below it",
         records(join({dir1, record("2", "abcE"), record("1", "abcG"), file})),
         {"\\S\\abcD 7", "\\S\\abcD\\abcE 7", "\\S\\abcG 7", "\\S\\abcG\\abcF 7"},
         true},
        {"-1 wrapped round 2^32 is a file",
         records(join({record("4294967295", "abcF")})),
         {"\\S\\abcF 7"},
         true},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(looksLikeStock(c.bytes), c.stock) << c.what;
        FolderTree tree;
        parseStock(c.bytes, "S", tree);
        std::vector<std::string> loaded;
        std::vector<std::pair<const FolderNode*, std::string>> stack{{tree.root(), "\\S"}};
        while (!stack.empty()) { // pre-order, files before subfolders, as the file has them
            const auto [node, path] = stack.back();
            stack.pop_back();
            if (node != tree.root()) loaded.push_back(path + " " + std::to_string(node->size));
            for (const FileRecord* f = node->firstFile; f; f = f->next)
                loaded.push_back(path + "\\" + std::string(f->name()) + " " +
                                 std::to_string(f->size));
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                stack.emplace_back(*it, path + "\\" + (*it)->name);
        }
        EXPECT_EQ(loaded, c.rows) << c.what;

        SearchRequest r;
        r.text = "abc";
        std::vector<std::string> rows[2];
        test::writeFile(dir / "S.dat", c.bytes);
        // The counts `list --long` streams are those of the loaded tree.
        StockInfo fromTree, streamed;
        countTree(tree, fromTree);
        ASSERT_TRUE(countStockFile(dir / "S.dat", streamed)) << c.what;
        EXPECT_EQ(std::tie(streamed.folders, streamed.files, streamed.bytes),
                  std::tie(fromTree.folders, fromTree.files, fromTree.bytes))
            << c.what;
        const std::string indexBytes = buildNameIndex(c.bytes, *fileStamp(dir / "S.dat"));
        auto index = NameIndex::open(indexBytes, *fileStamp(dir / "S.dat"));
        ASSERT_TRUE(index) << c.what;
        for (int way = 0; way < 2; ++way) {
            SearchCallbacks cb;
            cb.hit = [&](const SearchHit& h) {
                rows[way].push_back(h.path() + " " + std::to_string(h.size));
            };
            SearchOutcome out;
            if (way == 0) {
                searchStockBytes(c.bytes, "S", r, cb, out);
            } else {
                ASSERT_EQ(
                    searchWithIndex(*index, dir / "S.dat", "S", r, requestTrigrams(r), cb, out),
                    IndexSearchStatus::Done);
            }
        }
        EXPECT_EQ(rows[0], c.rows) << c.what;
        EXPECT_EQ(rows[1], c.rows) << c.what;
    }
}

// The search of both faces: a fresh index is used, a stale one is not (the
// stock is scanned), and a regular expression never uses one.
TEST(NameIndex, TheCatalogueSearchUsesOnlyFreshIndexes) {
    test::TempDir dir;
    test::StockBuilder a, b;
    a.add(a.root("A", {"readme.txt", "setup.exe"}), "docs", {"manual.pdf", "Readme.md"});
    b.root("B", {"readme", "other"});
    ASSERT_TRUE(a.write(dir.path(), "A") && b.write(dir.path(), "B"));
    ASSERT_TRUE(buildIndex(dir.path(), "A") && buildIndex(dir.path(), "B"));
    test::writeFile(dir / "B.dat", test::readFile(dir / "B.dat") + "\r\n"); // B is stale now

    struct Case {
        std::string text;
        MatchMode mode;
        std::vector<std::string> indexed; // stocks searched through their index
    } cases[] = {{"readme", MatchMode::Contains, {"A"}},
                 {"*me.??", MatchMode::Wildcard, {"A"}},
                 {"read.e", MatchMode::Regex, {}},
                 {"re", MatchMode::Contains, {}}};
    for (const Case& c : cases) {
        SearchRequest r;
        r.dataDir = dir.path();
        r.stocks = {"A", "B"};
        r.text = c.text;
        r.mode = c.mode;
        std::vector<std::string> rows[2], indexed;
        for (const IndexUse use : {IndexUse::Never, IndexUse::WhenFresh}) {
            SearchCallbacks cb;
            cb.statusInterval = std::chrono::hours(1); // a scan shows no stock name then
            cb.status = [&](std::string_view t) {
                if (use == IndexUse::WhenFresh && t.ends_with(kStatusSearching))
                    indexed.emplace_back(t.substr(1, t.size() - 1 - kStatusSearching.size()));
            };
            cb.hit = [&](const SearchHit& h) {
                rows[use == IndexUse::Never ? 0 : 1].push_back(describe(h));
            };
            searchCatalogue(r, cb, use);
        }
        EXPECT_EQ(rows[0], rows[1]) << c.text;
        EXPECT_FALSE(rows[0].empty()) << c.text;
        EXPECT_EQ(indexed, c.indexed) << c.text;
    }
}

// An index of many trigrams and records, read from its file part by part,
// finds and places what the whole index held in memory does.
TEST(NameIndex, PagesReadOnDemandFindWhatTheWholeIndexFinds) {
    test::TempDir dir;
    test::StockBuilder s;
    FolderNode* root = s.root("S");
    std::mt19937 rng(3);
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        std::string n;
        for (int k = 0; k < 6; ++k)
            n += char('a' + rng() % 26);
        names.push_back(n);
        s.tree.addFile(root, n);
    }
    ASSERT_TRUE(s.write(dir.path(), "S"));
    const auto stamp = *fileStamp(dir / "S.dat");
    const std::string bytes = buildNameIndex(test::readFile(dir / "S.dat"), stamp);
    test::writeFile(dir / "S.idx", bytes);
    const auto whole = NameIndex::open(bytes, stamp);
    const auto paged = NameIndex::read(dir / "S.idx", stamp);
    ASSERT_TRUE(whole && paged);
    for (const std::string& n : names) {
        const auto expected = whole->candidates(trigramsOf(n));
        ASSERT_TRUE(expected && !expected->empty()) << n;
        EXPECT_EQ(paged->candidates(trigramsOf(n)), expected) << n;
    }
    for (uint32_t r = 0; r < whole->recordCount(); r += 7) // blocks of places, read one by one
        ASSERT_EQ(paged->recordOffset(r), whole->recordOffset(r)) << r;
    EXPECT_NE(whole->recordOffset(399), UINT64_MAX);
}

TEST(NameIndex, AStaleDamagedOrForeignIndexIsNeverTrusted) {
    test::TempDir dir;
    test::StockBuilder s;
    s.add(s.root("S", {"readme.txt", "setup.exe"}), "docs", {"manual.pdf"});
    ASSERT_TRUE(s.write(dir.path(), "S"));
    const auto stamp = *fileStamp(dir / "S.dat");
    const std::string index = buildNameIndex(test::readFile(dir / "S.dat"), stamp);
    const auto good = NameIndex::open(index, stamp);
    ASSERT_TRUE(good);
    EXPECT_EQ(*good->candidates(trigramsOf("man")), std::vector<uint32_t>{3});
    EXPECT_EQ(good->folderRecords(), std::vector<uint32_t>{2});

    FileStamp other = stamp;
    other.modifiedNs += 1;
    EXPECT_FALSE(NameIndex::open(index, other)); // the stock file changed since
    for (size_t at : {size_t(0), size_t(9), size_t(40), size_t(100), index.size() / 2}) {
        std::string damaged = index;
        damaged[at] ^= 0x20;
        const auto opened = NameIndex::open(damaged, stamp);
        // Either refused when opened, or the list it damaged fails its check.
        if (opened) {
            EXPECT_FALSE(opened->candidates(trigramsOf("readme"))) << at;
        }
    }
    EXPECT_FALSE(NameIndex::open(index.substr(0, index.size() / 2), stamp));
    EXPECT_FALSE(NameIndex::open("1200\r\n0\r\n", stamp));

    // A posting list damaged: an open does not see it, a thorough check does.
    ASSERT_TRUE(buildIndex(dir.path(), "S"));
    std::string onDisk = test::readFile(indexFilePath(dir.path(), "S"));
    onDisk.back() ^= 0x01;
    test::writeFile(indexFilePath(dir.path(), "S"), onDisk);
    EXPECT_EQ(indexState(dir.path(), "S"), IndexState::Fresh);
    EXPECT_EQ(indexState(dir.path(), "S", IndexCheck::Thorough), IndexState::Damaged);
    // A search that meets the damage scans the stock and has the index built
    // again: named for the window's indexer, or built at once.
    SearchRequest r;
    r.dataDir = dir.path();
    r.stocks = {"S"};
    r.text = "setup.exe";
    std::vector<std::string> unusable;
    EXPECT_EQ(searchCatalogue(r, {}, IndexUse::WhenFresh, &unusable).resultCount, 1);
    EXPECT_EQ(unusable, std::vector<std::string>{"S"});
    EXPECT_EQ(searchCatalogue(r, {}, IndexUse::BuildMissing).resultCount, 1);
    EXPECT_EQ(indexState(dir.path(), "S", IndexCheck::Thorough), IndexState::Fresh);
}

} // namespace
} // namespace zt
