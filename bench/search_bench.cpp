// Name search over 100 stocks holding 5,000,000 names in all: a case-blind
// "contains" search that finds few hits, against `LC_ALL=C grep -c -i -F` over
// the same stock files as the floor. Prints both times and their ratio.
//
//   search_bench [DIR]   (DIR keeps the generated stocks between runs;
//                         default: a folder under the system temp folder)
#include "library/names.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "search/engine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kStocks = 100;
constexpr int kNamesPerStock = 50000; // files and folders
constexpr const char* kText = "QzxW"; // planted a few times in upper/lower case mixes
constexpr const char* kVersion = "search-bench 2";

std::filesystem::path g_dir;

std::string stockName(int i) {
    return "Disc" + std::to_string(1000 + i);
}

void makeStock(const std::filesystem::path& dataDir, int index, std::mt19937_64& rng) {
    static const std::vector<std::string> stems = {"IMG_",
                                                   "写真 2003年 夏休み",
                                                   "readme",
                                                   "第01話 はじまりの朝",
                                                   "ﾃﾞｰﾀ_ﾊﾞｯｸｱｯﾌﾟ",
                                                   "setup",
                                                   "プロジェクト資料（最終版）",
                                                   "Track ",
                                                   "新しいフォルダー",
                                                   "config",
                                                   "髙橋さんの表計算",
                                                   "DSC",
                                                   "report-final",
                                                   "ＤＯＣＵＭＥＮＴ",
                                                   "backup_",
                                                   "夜明けのポルカ"};
    static const std::vector<std::string> exts = {".jpg",  ".JPG", ".txt",  ".mp4", ".zip", ".docx",
                                                  ".flac", ".ini", ".xlsx", ".exe", ""};
    zt::FolderTree tree;
    std::vector<zt::FolderNode*> folders{tree.addRoot(stockName(index))};
    auto time = [&] { return zt::FileTime{125000000000000000ull + rng() % 10000000000000000ull}; };
    for (int n = 0; n < kNamesPerStock; ++n) {
        std::string name = stems[rng() % stems.size()] + std::to_string(rng() % 100000);
        if (n % 25000 == 7) name += (n % 2 ? "-qzxw" : "_QZXW"); // two hits per stock
        zt::FolderNode* at = folders[rng() % folders.size()];
        if (rng() % 20 == 0) {
            zt::FolderNode* folder = tree.addChild(at, name);
            folder->created = time();
            folder->modified = time();
            folders.push_back(folder);
        } else {
            zt::FileRecord* f = tree.addFile(at, name + exts[rng() % exts.size()]);
            f->created = time();
            f->accessed = time();
            f->modified = time();
            f->size = rng() % 50000000;
        }
    }
    if (!zt::writeStockFile(*zt::stockFilePath(dataDir, stockName(index)), tree)) {
        std::cerr << "cannot write the stock files in " << dataDir << "\n";
        std::exit(2);
    }
}

void prepare() {
    const auto mark = g_dir / "bench.version";
    std::ifstream in(mark);
    std::string have;
    std::getline(in, have);
    if (have == kVersion) return;
    std::filesystem::create_directories(g_dir);
    std::mt19937_64 rng(42);
    std::vector<std::string> names;
    for (int i = 0; i < kStocks; ++i) {
        makeStock(g_dir, i, rng);
        names.push_back(stockName(i));
    }
    if (!zt::saveStockList(g_dir, names)) std::exit(2);
    std::ofstream(mark) << kVersion << "\n";
}

zt::SearchRequest request() {
    zt::SearchRequest r;
    r.dataDir = g_dir;
    for (int i = 0; i < kStocks; ++i)
        r.stocks.push_back(stockName(i));
    r.text = kText;
    return r;
}

void BM_SearchAllStocks(benchmark::State& state) {
    const zt::SearchRequest r = request();
    int hits = 0;
    for (auto _ : state) {
        zt::SearchCallbacks cb;
        cb.pump = [] { return false; };
        const zt::SearchOutcome out = zt::searchStocks(r, cb);
        hits = out.resultCount;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_SearchAllStocks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_GrepFloor(benchmark::State& state) {
    std::string cmd = "cd '";
    cmd += g_dir.string();
    cmd += "' && LC_ALL=C grep -c -i -F ";
    cmd += kText;
    for (int i = 0; i < kStocks; ++i) {
        cmd += ' ';
        cmd += stockName(i);
        cmd += ".dat";
    }
    // Not into /dev/null: GNU grep then stops at the first match.
    cmd += " >'" + (g_dir / "grep.out").string() + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) == -1) state.SkipWithError("grep did not run");
}
BENCHMARK(BM_GrepFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Keeps the mean real time of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    g_dir = argc > 1 ? std::filesystem::path(argv[1])
                     : std::filesystem::temp_directory_path() / "zt-search-bench";
    prepare();
    // Warm the page cache so both sides read from memory.
    std::string warm = "cat '" + g_dir.string() + "'/*.dat >/dev/null";
    if (std::system(warm.c_str()) != 0) return 2;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double search = reporter.times["BM_SearchAllStocks/iterations:5/real_time"];
    const double grep = reporter.times["BM_GrepFloor/iterations:5/real_time"];
    if (search > 0 && grep > 0)
        std::printf("search %.0f ms, grep %.0f ms, ratio %.2f (target <= 3)\n", search, grep,
                    search / grep);
    benchmark::Shutdown();
    return 0;
}
