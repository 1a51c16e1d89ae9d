// Peak memory of a stock nested 100,000 folders deep (one file in every
// folder): a search that keeps its rows (as the window and the CSV do), by
// scanning and through the name index, the CSV of the first 10,000 rows (the
// search's default limit) written to /dev/null, and the duplicate finder.
// Each runs in a child process of its own; its peak (ru_maxrss) is printed
// beside the stock file's size.
//
//   deep_bench [LEVELS]
#include "catalogue/stocklist.h"
#include "library/catalogsearch.h"
#include "library/dupes.h"
#include "library/stocklibrary.h"
#include "search/csv.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A chain of folders d1 to dN, each holding a one-byte file "f.txt".
void writeDeepStock(const fs::path& data, int depth) {
    fs::create_directories(data);
    std::ofstream out(data / "deep.dat", std::ios::binary);
    out << "1200\r\n" << depth << "\r\n";
    for (int level = 1; level <= depth; ++level)
        out << level << "\r\nd" << level << "\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
            << "-1\r\nf.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n";
    out.close();
    if (!zt::saveStockList(data, {"deep"})) std::exit(2);
}

std::vector<zt::SearchHit> search(const fs::path& data, zt::IndexUse use, int limit) {
    zt::SearchRequest r;
    r.dataDir = data;
    r.stocks = {"deep"};
    r.text = "f.txt";
    r.limit = limit;
    std::vector<zt::SearchHit> hits;
    zt::SearchCallbacks cb;
    cb.hit = [&hits](const zt::SearchHit& h) { hits.push_back(h); };
    (void)zt::searchCatalogue(r, cb, use);
    return hits;
}

// Runs work in a child; prints its peak memory and time.
void measure(const char* what, const std::function<size_t()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) std::exit(2);
    if (child == 0) ::_exit(work() > 0 ? 0 : 1);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-34s peak %8.1f MB  %6.2f s%s\n", what, double(usage.ru_maxrss) / 1024, s,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (failed)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int depth = argc > 1 ? std::atoi(argv[1]) : 100000;
    const fs::path data =
        fs::temp_directory_path() / ("zt-deep-bench-" + std::to_string(::getpid()));
    writeDeepStock(data, depth);
    std::printf("stock of %d nested folders: %.1f MB\n", depth,
                double(fs::file_size(data / "deep.dat")) / (1 << 20));
    measure("nothing (the process itself)", [] { return size_t(1); });
    measure("search, scan, every row kept",
            [&] { return search(data, zt::IndexUse::Never, 0).size(); });
    measure("search, index, every row kept",
            [&] { return search(data, zt::IndexUse::BuildMissing, 0).size(); });
    measure("CSV of the first 10,000 rows", [&] {
        const auto hits = search(data, zt::IndexUse::Never, zt::kSearchResultLimit);
        const bool ok = zt::saveResultsCsv("/dev/null", hits.size(),
                                           [&](size_t i) { return zt::makeCells(hits[i]); });
        return ok ? hits.size() : 0;
    });
    measure("duplicates", [&] {
        const auto groups =
            zt::findDuplicates(zt::StockLibrary(data), {{"deep"}, 1, zt::DupeKey::NameAndSize});
        return groups.ok() && !groups.value.empty() ? groups.value[0].files.size() : 0;
    });
    fs::remove_all(data);
    return 0;
}
