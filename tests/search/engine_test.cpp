#include "catalogue/stockfile.h"
#include "catalogue/stockpath.h"
#include "catalogue/stocklist.h"
#include "library/names.h"
#include "platform/codec.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "search/engine.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zt {
namespace {

namespace fs = std::filesystem;

// A stock built in memory and written as a stock file.
class Stock : public test::StockBuilder {
  public:
    explicit Stock(std::string name = "S") : root(StockBuilder::root(std::move(name))) {}
    FolderNode* folder(FolderNode* parent, const std::string& name, uint64_t created = 0,
                       uint64_t written = 0) {
        FolderNode* folder = tree.addChild(parent, name);
        folder->created = FileTime{created};
        folder->modified = FileTime{written};
        folder->size = 4096;
        return folder;
    }
    FileRecord* file(FolderNode* parent, const std::string& name, uint64_t size = 0,
                     uint64_t created = 0, uint64_t written = 0) {
        FileRecord* f = tree.addFile(parent, name);
        f->size = size;
        f->created = FileTime{created};
        f->modified = FileTime{written};
        return f;
    }
    [[nodiscard]] std::string bytes() const { return serializeStock(tree); }

    FolderNode* root;
};

struct Searched {
    std::vector<SearchHit> hits;
    std::vector<std::string> statuses;
    std::vector<std::string> limitMessages;
    SearchOutcome outcome;

    [[nodiscard]] std::vector<std::string> paths() const {
        std::vector<std::string> p;
        for (const auto& h : hits)
            p.push_back(h.path());
        return p;
    }
};

SearchCallbacks recordInto(Searched& run, int stopAtCheck = -1) {
    SearchCallbacks cb;
    cb.statusInterval = std::chrono::milliseconds(0);
    auto checks = std::make_shared<int>(0);
    cb.cancelled = [checks, stopAtCheck] {
        return ++*checks == stopAtCheck || (stopAtCheck > 0 && *checks > stopAtCheck);
    };
    cb.status = [&run](std::string_view s) { run.statuses.emplace_back(s); };
    cb.hit = [&run](const SearchHit& h) { run.hits.push_back(h); };
    cb.limitExceeded = [&run](std::string_view m) { run.limitMessages.emplace_back(m); };
    return cb;
}

Searched searchBytes(const std::string& bytes, std::string text,
                     MatchMode mode = MatchMode::Contains, bool caseSensitive = false,
                     SearchTarget target = SearchTarget::FilesAndFolders, int stopAtCheck = -1) {
    Searched run;
    SearchRequest r;
    r.text = std::move(text);
    r.mode = mode;
    r.caseSensitive = caseSensitive;
    r.target = target;
    searchStockBytes(bytes, "S", r, recordInto(run, stopAtCheck), run.outcome);
    return run;
}

using Paths = std::vector<std::string>;

TEST(SearchEngine, ModesWithAndWithoutCase) {
    Stock s;
    s.file(s.root, "ABC.txt");
    s.file(s.root, "xabcx");
    s.folder(s.root, "Abc");
    const auto b = s.bytes();
    EXPECT_EQ(searchBytes(b, "abc").paths(), (Paths{"\\S\\ABC.txt", "\\S\\xabcx", "\\S\\Abc"}));
    EXPECT_EQ(searchBytes(b, "abc", MatchMode::Contains, true).paths(), (Paths{"\\S\\xabcx"}));
    // The text is lower-cased too when the case does not count.
    EXPECT_EQ(searchBytes(b, "ABC").paths().size(), 3u);
    EXPECT_EQ(searchBytes(b, "ABC", MatchMode::Contains, true).paths(), (Paths{"\\S\\ABC.txt"}));
    EXPECT_EQ(searchBytes(b, "abc", MatchMode::Prefix).paths(),
              (Paths{"\\S\\ABC.txt", "\\S\\Abc"}));
    EXPECT_EQ(searchBytes(b, "Abc", MatchMode::Prefix, true).paths(), (Paths{"\\S\\Abc"}));
    EXPECT_EQ(searchBytes(b, "abc", MatchMode::Exact).paths(), (Paths{"\\S\\Abc"}));
    EXPECT_TRUE(searchBytes(b, "abc", MatchMode::Exact, true).paths().empty());
    // Names returned as stored, not lower-cased.
    EXPECT_EQ(searchBytes(b, "abc").hits[0].name, "ABC.txt");

    Stock t;
    t.file(t.root, "README.TXT");
    t.file(t.root, "readme.txt.bak");
    t.file(t.root, "a.txt");
    t.file(t.root, "a.txt.bak");
    t.file(t.root, "abcabc");
    t.file(t.root, "*.txt");
    const auto c = t.bytes();
    EXPECT_EQ(searchBytes(c, "readme.txt", MatchMode::Exact).paths(), (Paths{"\\S\\README.TXT"}));
    EXPECT_TRUE(searchBytes(c, "readme.txt", MatchMode::Exact, true).paths().empty());
    EXPECT_EQ(searchBytes(c, ".txt", MatchMode::Suffix).paths(),
              (Paths{"\\S\\README.TXT", "\\S\\a.txt", "\\S\\*.txt"}));
    // A name ending with the text counts even when the text occurs earlier too.
    EXPECT_EQ(searchBytes(c, "abc", MatchMode::Suffix).paths(), (Paths{"\\S\\abcabc"}));
    // No wildcards: "*" is an ordinary character.
    EXPECT_EQ(searchBytes(c, "*.txt").paths(), (Paths{"\\S\\*.txt"}));
}

TEST(SearchEngine, PatternsAndConditions) {
    Stock s;
    s.file(s.root, "axb.TXT", 500, 0, 100);
    s.file(s.root, "a1", 5000, 0, 0);
    FolderNode* d = s.folder(s.root, "ab9", 0, 300);
    s.file(d, "AXXB.txt", 2000, 0, 300);
    const std::string bytes = s.bytes();
    struct Row {
        const char* text;
        MatchMode mode;
        bool caseSensitive;
        SearchFilters filters;
        Paths expected;
    };
    const Row rows[] = {
        // Wildcards screen on their longest literal, never on "*" itself.
        {"a*b.txt", MatchMode::Wildcard, false, {}, {"\\S\\axb.TXT", "\\S\\ab9\\AXXB.txt"}},
        {"a?b*", MatchMode::Wildcard, true, {}, {"\\S\\axb.TXT"}},
        // A case-blind expression keeps its meaning: \D is not lowered to \d.
        {"^A\\D", MatchMode::Regex, false, {}, {"\\S\\axb.TXT", "\\S\\ab9", "\\S\\ab9\\AXXB.txt"}},
        {"^a\\d", MatchMode::Regex, true, {}, {"\\S\\a1"}},
        // Sizes select files; dates need a known time.
        {"a", MatchMode::Contains, false, {1000, 4000, {}, {}}, {"\\S\\ab9\\AXXB.txt"}},
        {"a",
         MatchMode::Contains,
         false,
         {{}, {}, FileTime{200}, {}},
         {"\\S\\ab9", "\\S\\ab9\\AXXB.txt"}},
        {"a", MatchMode::Contains, false, {{}, {}, {}, FileTime{300}}, {"\\S\\axb.TXT"}},
    };
    for (const Row& row : rows) {
        Searched run;
        SearchRequest r;
        r.text = row.text;
        r.mode = row.mode;
        r.caseSensitive = row.caseSensitive;
        r.filters = row.filters;
        searchStockBytes(bytes, "S", r, recordInto(run), run.outcome);
        EXPECT_EQ(run.paths(), row.expected) << row.text;
        EXPECT_EQ(run.outcome.resultCount, int(row.expected.size())) << row.text;
    }
}

TEST(SearchEngine, CharactersAreNeverSplitAndFullWidthLettersFold) {
    // ア is 0x83 0x41 in the stock file: the byte 'A' is there but no letter A.
    EXPECT_FALSE(matchContains("ア", "A"));
    EXPECT_FALSE(matchContains("\x80"
                               "A",
                               "\x80"));
    Stock s;
    s.file(s.root, "ア");
    s.file(s.root, "アA");
    s.file(s.root, "ＡＢＣ.txt");
    s.file(s.root, "ΩΣ");
    const auto b = s.bytes();
    EXPECT_EQ(searchBytes(b, "A", MatchMode::Contains, true).paths(), (Paths{"\\S\\アA"}));
    EXPECT_EQ(searchBytes(b, "a").paths(), (Paths{"\\S\\アA"}));
    EXPECT_EQ(searchBytes(b, "A", MatchMode::Suffix).paths(), (Paths{"\\S\\アA"}));
    EXPECT_EQ(searchBytes(b, "ａｂｃ").paths(), (Paths{"\\S\\ＡＢＣ.txt"}));
    EXPECT_EQ(searchBytes(b, "Ａｂｃ").paths(), (Paths{"\\S\\ＡＢＣ.txt"}));
    EXPECT_TRUE(searchBytes(b, "ａｂｃ", MatchMode::Contains, true).paths().empty());
    EXPECT_EQ(searchBytes(b, "ω", MatchMode::Prefix).paths(), (Paths{"\\S\\ΩΣ"}));
}

TEST(SearchEngine, NamesStoredAsReferencesAreSearchedAsTheyRead) {
    // Characters outside CP932 and control characters are stored as "&#N;";
    // the search sees the names they stand for, never the digits.
    Stock s;
    s.file(s.root, "smile😀.txt");
    s.file(s.root, "x&#1;y"); // a literal text that looks like a reference
    s.file(s.root, "tab\x01"
                   "end");
    s.file(s.root, "R&D");
    const auto b = s.bytes();
    ASSERT_NE(b.find("&#128512;"), std::string::npos);
    EXPECT_TRUE(searchBytes(b, "128512").paths().empty());
    EXPECT_EQ(searchBytes(b, "😀").paths(), (Paths{"\\S\\smile😀.txt"}));
    EXPECT_EQ(searchBytes(b, "&#1;").paths(), (Paths{"\\S\\x&#1;y"}));
    EXPECT_EQ(searchBytes(b, "\x01"
                             "E")
                  .paths(),
              (Paths{"\\S\\tab\x01"
                     "end"}));
    EXPECT_EQ(searchBytes(b, "r&d", MatchMode::Exact).paths(), (Paths{"\\S\\R&D"}));
}

TEST(SearchEngine, TargetsStillDescendIntoEveryFolder) {
    Stock s;
    FolderNode* a = s.folder(s.root, "a");
    FolderNode* b = s.folder(a, "b");
    s.file(b, "hit.txt");
    s.folder(b, "hitdir");
    s.file(s.root, "hit0");
    const auto bytes = s.bytes();
    EXPECT_EQ(searchBytes(bytes, "hit").paths(),
              (Paths{"\\S\\hit0", "\\S\\a\\b\\hit.txt", "\\S\\a\\b\\hitdir"}));
    EXPECT_EQ(searchBytes(bytes, "hit", MatchMode::Contains, false, SearchTarget::Files).paths(),
              (Paths{"\\S\\hit0", "\\S\\a\\b\\hit.txt"}));
    EXPECT_EQ(searchBytes(bytes, "hit", MatchMode::Contains, false, SearchTarget::Folders).paths(),
              (Paths{"\\S\\a\\b\\hitdir"}));
    const Searched r = searchBytes(bytes, "hit");
    EXPECT_EQ(r.hits[1].folders(), (Paths{"a", "b"}));
    EXPECT_EQ(r.hits[2].folders(), (Paths{"a", "b", "hitdir"}));
    EXPECT_EQ(r.hits[2].stock, "S");
    // The status line names the parent of each folder entered.
    EXPECT_EQ(r.statuses, (Paths{" を検索しています", "\\S を検索しています",
                                 "\\S\\a を検索しています", "\\S\\a\\b を検索しています"}));
}

TEST(SearchEngine, LimitIsCheckedOnEnteringAFolder) {
    // 10000 rows on entry still walk the folder; 10001 stop it with the message.
    // Either way the root goes on testing its remaining sub-folder names, and
    // the message comes once.
    for (const int rootHits : {10000, 10001}) {
        Stock s;
        for (int i = 0; i < rootHits; ++i)
            s.file(s.root, "f" + std::to_string(i));
        FolderNode* sub = s.folder(s.root, "sub");
        s.file(sub, "f-sub");
        FolderNode* late = s.folder(s.root, "f-late");
        s.file(late, "f-never");
        const Searched r = searchBytes(s.bytes(), "f");
        EXPECT_EQ(r.limitMessages, (Paths{std::string(kMessageLimitExceeded)}));
        EXPECT_TRUE(r.outcome.limitExceeded && r.outcome.stopped);
        const Paths p = r.paths();
        const bool subWalked = std::find(p.begin(), p.end(), "\\S\\sub\\f-sub") != p.end();
        EXPECT_EQ(subWalked, rootHits == 10000);
        EXPECT_EQ(r.outcome.resultCount, rootHits + (subWalked ? 2 : 1));
        EXPECT_EQ(int(r.hits.size()), r.outcome.resultCount);
        EXPECT_EQ(p.back(), "\\S\\f-late");
    }
}

TEST(SearchEngine, StopTakesEffectAtTheNextFolderEntryAndEndsTheSearch) {
    test::TempDir dir;
    Stock a("A");
    FolderNode* d1 = a.folder(a.root, "x1");
    a.file(d1, "x-in-1");
    FolderNode* d2 = a.folder(a.root, "x2");
    a.file(d2, "x-in-2");
    ASSERT_TRUE(writeStockFile(*stockFilePath(dir.path(), "A"), a.tree));
    Stock b("B");
    b.file(b.root, "x-b");
    ASSERT_TRUE(writeStockFile(*stockFilePath(dir.path(), "B"), b.tree));

    SearchRequest r;
    r.dataDir = dir.path();
    r.stocks = {"A", "B"};
    r.text = "x";
    Searched run;
    // Cancel checks: root of A (1), x1 (2), x2 (3): stop asked at the third.
    run.outcome = searchStocks(r, recordInto(run, 3));
    EXPECT_EQ(run.paths(), (Paths{"\\A\\x1", "\\A\\x1\\x-in-1", "\\A\\x2"}));
    EXPECT_TRUE(run.outcome.stopped);
    EXPECT_FALSE(run.outcome.limitExceeded);
    EXPECT_EQ(run.statuses.front(), "処理中");

    Searched all;
    all.outcome = searchStocks(r, recordInto(all));
    EXPECT_EQ(all.paths().size(), 5u);
    EXPECT_EQ(all.paths().back(), "\\B\\x-b");
}

TEST(SearchEngine, UnreadableStocksAreSkippedAndReported) {
    test::TempDir dir;
    Stock a("A");
    a.file(a.root, "hit");
    ASSERT_TRUE(writeStockFile(*stockFilePath(dir.path(), "A"), a.tree));
    std::filesystem::create_directory(dir / "Folder.dat");
    SearchRequest r;
    r.dataDir = dir.path();
    r.stocks = {"Missing", "../A", "Folder", "A"};
    r.text = "hit";
    Searched run;
    run.outcome = searchStocks(r, recordInto(run));
    EXPECT_EQ(run.paths(), (Paths{"\\A\\hit"}));
    EXPECT_EQ(run.outcome.skippedStocks, (Paths{"Missing", "../A", "Folder"}));
}

TEST(SearchEngine, FilesAreSearchedToTheirVeryEndWhateverTheyHold) {
    test::TempDir dir;
    const std::string values = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n7\r\n";
    // A match in the first record and in a last record cut short (no line end,
    // no values); the header's digits are no name.
    test::writeFile(dir / "A.dat", "1200\r\n0\r\n-1\r\n" + cp932::encode("蒼x") + "\r\n" + values +
                                       "-1\r\n" + cp932::encode("x蒼"));
    test::writeFile(dir / "Empty.dat", "");
    SearchRequest r;
    r.dataDir = dir.path();
    r.stocks = {"A", "Empty"};
    for (const char* text : {"蒼", "1200"}) {
        r.text = text;
        Searched run;
        run.outcome = searchStocks(r, recordInto(run));
        EXPECT_TRUE(run.outcome.skippedStocks.empty());
        if (std::string(text) == "1200") {
            EXPECT_TRUE(run.hits.empty());
            continue;
        }
        ASSERT_EQ(run.paths(), (Paths{"\\A\\蒼x", "\\A\\x蒼"}));
        EXPECT_EQ(run.hits[0].size, 7u);
        EXPECT_EQ(run.hits[1].size, 0u);
        // The empty stock is still entered: its root's status line shows.
        EXPECT_EQ(run.statuses.back(), " を検索しています");
    }
}

TEST(SearchEngine, AStockThatShrinksOrGrowsWhileSearchedIsSearchedToItsNewEnd) {
    test::TempDir dir;
    Stock s;
    // Several pieces long, so the change comes while the file is being read.
    const int folders = 20000;
    for (int i = 0; i < folders; ++i)
        s.file(s.folder(s.root, "d" + std::to_string(i)), "hit" + std::to_string(i));
    const std::string bytes = s.bytes();
    const fs::path file = *stockFilePath(dir.path(), "S");
    for (const bool grow : {false, true}) {
        test::writeFile(file, bytes);
        SearchRequest r;
        r.dataDir = dir.path();
        r.stocks = {"S"};
        r.text = "hit";
        r.limit = 0;
        Searched run;
        SearchCallbacks cb = recordInto(run);
        int entries = 0;
        cb.cancelled = [&] {
            // Once the first piece is in, the file changes under the reader.
            if (++entries == 2) {
                if (grow) {
                    test::writeFile(file, bytes + bytes.substr(bytes.find("\r\n1\r\n") + 2));
                } else {
                    fs::resize_file(file, bytes.size() / 2);
                }
            }
            return false;
        };
        run.outcome = searchStocks(r, cb);
        EXPECT_TRUE(run.outcome.skippedStocks.empty());
        if (grow) {
            EXPECT_EQ(run.hits.size(), 2u * folders);
        } else {
            EXPECT_GT(run.hits.size(), 0u);
            EXPECT_LT(run.hits.size(), size_t(folders));
        }
    }
}

TEST(SearchEngine, CellTexts) {
    EXPECT_EQ(formatSizeText(0), "0KB");
    EXPECT_EQ(formatSizeText(999), "0KB");
    EXPECT_EQ(formatSizeText(1000), "1KB");
    EXPECT_EQ(formatSizeText(1999), "1KB");
    EXPECT_EQ(formatSizeText(999999), "999KB");
    EXPECT_EQ(formatSizeText(1234567), "1,234KB");
    EXPECT_EQ(formatSizeText((uint64_t(1) << 32) + 1000), "4,294,968KB");
    EXPECT_EQ(formatSizeText((uint64_t(0xFFFFFFFF) << 32) + 0xFFFFFFFF),
              "18,446,744,073,709,551KB");

    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", "JST-9", 1);
    tzset();
    // 2001-03-05 00:07:03 UTC = 09:07:03 in Japan.
    const uint64_t t = (uint64_t(983750823) + 11644473600ull) * 10000000ull;
    EXPECT_EQ(formatDateText(FileTime{t}), "2001/3/5 9:7:3");
    EXPECT_EQ(formatDateText(FileTime{}), "");

    SearchHit file;
    file.name = "a";
    file.stock = "S";
    file.parent = FolderChain(FolderChain(), "d");
    file.size = 1234567;
    file.modified = FileTime{t};
    ResultCells c = makeCells(file);
    EXPECT_EQ(c.path, "\\S\\d\\a");
    EXPECT_EQ(c.size, "1,234KB");
    EXPECT_EQ(c.created, "");
    EXPECT_EQ(c.modified, "2001/3/5 9:7:3");
    SearchHit folder = file;
    folder.isFolder = true;
    folder.created = FileTime{t};
    c = makeCells(folder);
    EXPECT_EQ(c.size, "");
    EXPECT_EQ(c.created, "2001/3/5 9:7:3");
    EXPECT_EQ(c.modified, "");
    if (saved)
        setenv("TZ", saved->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// ---- The streaming search against a walk over the loaded tree ----

struct Trace {
    std::vector<std::string> events;
    int count = 0;
    bool stopped = false;
    int checks = 0;
};

// The search as a walk over the tree the stock loader builds.
void walk(const SearchRequest& r, const std::string& needle, int stopAt,
          const std::string& parentPath, const FolderNode* node, Trace& t) {
    if (++t.checks >= stopAt && stopAt > 0) t.stopped = true;
    t.events.push_back("status " + parentPath);
    if (t.stopped) return;
    if (t.count > kSearchResultLimit) {
        t.events.push_back("limit");
        t.stopped = true;
        return;
    }
    const std::string path = parentPath + "\\" + node->name;
    auto test = [&](std::string_view name) {
        return matchName(r.mode, r.caseSensitive ? std::string(name) : lowerAnsi(name), needle);
    };
    if (r.target != SearchTarget::Folders)
        for (const FileRecord* f = node->firstFile; f; f = f->next)
            if (test(f->name())) {
                ++t.count;
                t.events.push_back("hit " + path + "\\" + std::string(f->name()) + " " +
                                   std::to_string(f->size) + " " +
                                   std::to_string(f->created.ticks));
            }
    for (const FolderNode* child : node->children) {
        if (r.target != SearchTarget::Files && test(child->name)) {
            ++t.count;
            t.events.push_back("hit " + path + "\\" + child->name + " " +
                               std::to_string(child->size) + " " +
                               std::to_string(child->created.ticks));
        }
        walk(r, needle, stopAt, path, child, t);
    }
}

TEST(SearchEngine, StreamingEqualsTheWalkOfTheLoadedTree) {
    std::mt19937 rng(20240607);
    const std::vector<std::string> parts = {"a", "B",    "ab", "アA", "ｂ", "Ａ", "&#65;",
                                            "x", "\x01", " ",  "-1",  "蒼", "-"};
    auto randomName = [&] {
        std::string n;
        const int len = 1 + int(rng() % 4);
        for (int i = 0; i < len; ++i)
            n += parts[rng() % parts.size()];
        return n;
    };
    for (int round = 0; round < 1000; ++round) {
        Stock s;
        std::vector<FolderNode*> folders{s.root};
        const int items = 5 + int(rng() % 60);
        for (int i = 0; i < items; ++i) {
            FolderNode* at = folders[rng() % folders.size()];
            if (rng() % 3 == 0)
                folders.push_back(s.folder(at, randomName(), rng() % 5, rng() % 5));
            else
                s.file(at, randomName(), rng() % 3000, rng() % 5, rng() % 5);
        }
        std::string bytes = s.bytes();
        if (round % 3 == 0) { // damaged files: both sides must read them alike
            for (int k = 0; k < 3; ++k)
                bytes[rng() % bytes.size()] = char(rng() % 256);
            bytes.resize(rng() % (bytes.size() + 1));
        }
        SearchRequest r;
        r.text = randomName().substr(0, 1 + rng() % 3);
        r.mode = MatchMode(rng() % 4);
        r.target = SearchTarget(rng() % 3);
        r.caseSensitive = rng() % 2;
        const int stopAt = rng() % 4 == 0 ? 1 + int(rng() % 6) : -1;

        Trace expected;
        FolderTree tree;
        parseStock(bytes, "S", tree);
        walk(r, r.caseSensitive ? r.text : lowerAnsi(r.text), stopAt, "", tree.root(), expected);

        Trace got;
        SearchCallbacks cb;
        cb.statusInterval = std::chrono::milliseconds(0);
        cb.cancelled = [&] { return ++got.checks >= stopAt && stopAt > 0; };
        cb.status = [&](std::string_view st) {
            if (st != kStatusProcessing)
                got.events.push_back(
                    "status " + std::string(st.substr(0, st.size() - kStatusSearching.size())));
        };
        cb.hit = [&](const SearchHit& h) {
            got.events.push_back("hit " + h.path() + " " + std::to_string(h.size) + " " +
                                 std::to_string(h.created.ticks));
        };
        cb.limitExceeded = [&](std::string_view) { got.events.push_back("limit"); };
        // Small pieces put record, line and character boundaries across pieces.
        PieceReader in(round % 2 ? 1 + rng() % 200 : PieceReader::kDefaultPieceBytes);
        in.openBytes(bytes);
        SearchOutcome out;
        searchStock(in, "S", r, cb, out);
        ASSERT_EQ(got.events, expected.events) << "round " << round << " text " << r.text;
        EXPECT_EQ(out.resultCount, expected.count);
    }
}

} // namespace
} // namespace zt
