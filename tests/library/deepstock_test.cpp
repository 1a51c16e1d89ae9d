// A stock nested thousands of folders deep: what a search and the duplicate
// finder hold stays in proportion to the stock, not to its depth squared.
#include "catalogue/stocklist.h"
#include "library/catalogsearch.h"
#include "library/dupes.h"
#include "library/stocklibrary.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

constexpr int kDepth = 10000;

// A chain of folders d1 to dN, each holding a one-byte file "f.txt".
void writeDeepStock(const fs::path& data) {
    std::string bytes = "1200\r\n" + std::to_string(kDepth) + "\r\n";
    for (int level = 1; level <= kDepth; ++level)
        bytes += std::to_string(level) + "\r\nd" + std::to_string(level) +
                 "\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                 "-1\r\nf.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n";
    test::writeFile(data / "deep.dat", bytes);
    ASSERT_TRUE(saveStockList(data, {"deep"}));
}

long peakKilobytes() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// What the child checks: every way of searching, and the duplicates, keep
// each row's folder as a link shared with the rows below it.
bool searchAndFindDuplicates(const fs::path& data) {
    SearchRequest r;
    r.dataDir = data;
    r.stocks = {"deep"};
    r.text = "f.txt"; // a row in every folder; long enough for the name index
    r.limit = 0;
    for (const IndexUse use : {IndexUse::Never, IndexUse::BuildMissing}) {
        std::vector<SearchHit> hits;
        SearchCallbacks cb;
        cb.hit = [&hits](const SearchHit& h) { hits.push_back(h); };
        searchCatalogue(r, cb, use);
        if (hits.size() != size_t(kDepth) || hits.back().parent.depth() != size_t(kDepth))
            return false;
        for (size_t i = 1; i < hits.size(); ++i)
            if (!FolderChain::common(hits[i - 1].parent, hits[i].parent).sameAs(hits[i - 1].parent))
                return false; // a copy instead of the link of the row above
    }
    const auto groups = findDuplicates(StockLibrary(data), {{"deep"}, 1, DupeKey::NameAndSize});
    return groups.ok() && groups.value.size() == 1 && groups.value[0].files.size() == kDepth;
}

TEST(DeepStock, SearchAndDuplicatesHoldWhatTheStockHolds) {
    test::TempDir dir;
    writeDeepStock(dir.path());
    const std::streamoff stockBytes = fs::file_size(dir / "deep.dat");
    // In a child of its own, so that the peak is this work's alone.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long before = peakKilobytes();
        const bool ok = searchAndFindDuplicates(dir.path());
        // Copies of every parent's names would take gigabytes here.
        const long grown = (peakKilobytes() - before) * 1024;
        ::_exit(!ok ? 1 : grown > 64 * stockBytes + (64 << 20) ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong rows, 2: too much memory";
}

} // namespace
} // namespace zt
