// Name search against grep over the same stock files, in one run.
//
// Sets (generated once into DIR and kept between runs):
//   many    100 stocks, 5,000,000 names in all
//   1m      one stock of 1,000,000 records
//   5m      one stock of 5,000,000 records
// For every set, every match mode and case option, with an ASCII and a
// Japanese text: the search (searchStocks, no result limit) and the grep
// floor on the same files (LC_ALL=C grep -c, -i for a case-blind text with
// letters, -F for contains, an anchored pattern for prefix, exact and suffix)
// are timed pair by pair; the
// table shows the median times and the median of the per-pair ratios.
// Then: peak memory of a search of the 5m stock (a fresh process), and a
// stock nested 1,000,000 deep (--deep) searched with and without a status
// display.
//
//   search_bench [--pairs N] [--sets many,1m,5m] [--quick] [--deep LEVELS] [DIR]
//   search_bench --prepare DIR     (only generate the sets, for other benchmarks)
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "catalogue/stockpath.h"
#include "platform/codec.h"
#include "search/engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr const char* kVersion = "search-bench 4";

struct DataSet {
    std::string key;
    int stocks;
    int recordsPerStock;
    int plantEvery; // a planted name every this many records
};
const DataSet kSets[] = {{"many", 100, 50000, 25000}, {"1m", 1, 1000000, 100000},
                         {"5m", 1, 5000000, 500000}};

// Planted names: each text as a whole name, a prefix, a suffix and inside.
const char* const kAscii = "QzxW";
const char* const kJapanese = "蒼穹";

std::string stockName(const DataSet& set, int i) {
    return set.key + "-" + std::to_string(1000 + i);
}

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

std::string plantedName(uint64_t serial) {
    const std::string text = serial % 2 ? kAscii : kJapanese;
    switch ((serial / 2) % 4) {
    case 0:
        return text;
    case 1:
        return text + "_" + std::to_string(serial);
    case 2:
        return "backup-" + std::to_string(serial) + text;
    default:
        return "x" + text + "y";
    }
}

void writeStock(const fs::path& dataDir, const DataSet& set, int index, std::mt19937_64& rng) {
    static const std::vector<std::string> stems = {
        "IMG_",    "写真 2003年 夏休み", "readme", "第01話 はじまりの朝", "ﾃﾞｰﾀ_ﾊﾞｯｸｱｯﾌﾟ",
        "setup",   "プロジェクト資料（最終版）", "Track ", "新しいフォルダー", "config",
        "髙橋さんの表計算", "DSC", "report-final", "ＤＯＣＵＭＥＮＴ", "backup_", "夜明けのポルカ"};
    static const std::vector<std::string> exts = {".jpg",  ".JPG", ".txt",  ".mp4", ".zip", ".docx",
                                                  ".flac", ".ini", ".xlsx", ".exe", ""};
    zt::FolderTree tree;
    std::vector<zt::FolderNode*> folders{tree.addRoot(stockName(set, index))};
    auto time = [&] { return zt::FileTime{125000000000000000ull + rng() % 10000000000000000ull}; };
    // Planted names alternate between the texts and cycle through the kinds.
    uint64_t planted = uint64_t(index) * uint64_t(set.recordsPerStock / set.plantEvery);
    for (int n = 0; n < set.recordsPerStock; ++n) {
        const bool plant = n % set.plantEvery == set.plantEvery / 2;
        std::string name = plant ? plantedName(planted++)
                                 : stems[rng() % stems.size()] + std::to_string(rng() % 100000);
        zt::FolderNode* at = folders[rng() % folders.size()];
        if (rng() % 20 == 0) {
            zt::FolderNode* folder = tree.addChild(at, name);
            folder->created = time();
            folder->modified = time();
            folders.push_back(folder);
        } else {
            zt::FileRecord* f = tree.addFile(at, plant ? name : name + exts[rng() % exts.size()]);
            f->created = time();
            f->accessed = time();
            f->modified = time();
            f->size = rng() % 50000000;
        }
    }
    if (!zt::writeStockFile(*zt::stockFilePath(dataDir, stockName(set, index)), tree)) {
        std::fprintf(stderr, "cannot write the stock files in %s\n", dataDir.c_str());
        std::exit(2);
    }
}

std::string deepName(int depth) {
    return "deep-" + std::to_string(depth);
}

// A stock of one chain of folders `depth` deep, one file at the bottom.
void writeDeepStock(const fs::path& dataDir, int depth) {
    const fs::path file = dataDir / (deepName(depth) + ".dat");
    if (fs::exists(file)) return;
    std::string bytes = "1200\r\n" + std::to_string(depth) + "\r\n";
    for (int level = 1; level <= depth; ++level)
        bytes += std::to_string(level) + "\r\nd\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    bytes += "-1\r\nbottom.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n";
    std::ofstream(file, std::ios::binary) << bytes;
}

void prepare(const fs::path& dir) {
    const fs::path mark = dir / "bench.version";
    std::string have;
    std::getline(std::ifstream(mark) >> std::ws, have);
    if (have == kVersion) return;
    std::printf("generating the stocks in %s ...\n", dir.c_str());
    std::fflush(stdout);
    fs::create_directories(dir);
    std::mt19937_64 rng(42);
    std::vector<std::string> names;
    for (const DataSet& set : kSets)
        for (int i = 0; i < set.stocks; ++i) {
            writeStock(dir, set, i, rng);
            names.push_back(stockName(set, i));
        }
    if (!zt::saveStockList(dir, names)) std::exit(2);
    std::ofstream(mark) << kVersion << "\n";
}

struct Case {
    std::string text;
    zt::MatchMode mode;
    bool caseSensitive;
};

const char* modeName(zt::MatchMode m) {
    static const char* const names[] = {"contains", "exact", "prefix", "suffix"};
    return names[int(m)];
}

// The grep pattern of a case: the text's CP932 bytes, anchored for the line
// modes (stock lines end with CR LF).
std::string grepPattern(const Case& c) {
    const std::string bytes = zt::cp932::encode(c.text);
    if (c.mode == zt::MatchMode::Contains) return bytes;
    std::string escaped;
    for (char ch : bytes) {
        if (std::strchr(".[]\\()*+?{}|^$", ch) && ch != '\0') escaped += '\\';
        escaped += ch;
    }
    if (c.mode == zt::MatchMode::Prefix) return "^" + escaped;
    if (c.mode == zt::MatchMode::Exact) return "^" + escaped + "\r$";
    return escaped + "\r$";
}

// Runs argv, waits, and returns the child's peak memory in KiB (-1 on failure).
long runProcess(std::vector<std::string> args, const std::string& outFile) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    // grep compares bytes, as the stock files are CP932.
    std::vector<char*> env;
    static char cLocale[] = "LC_ALL=C";
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.push_back(*e);
    env.push_back(cLocale);
    env.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return -1;
    return usage.ru_maxrss;
}

double timeGrep(const fs::path& dir, const DataSet& set, const Case& c) {
    const std::string pattern = (dir / "pattern.txt").string();
    std::ofstream(pattern, std::ios::binary) << grepPattern(c) << "\n";
    std::vector<std::string> args = {"grep", "-c", c.mode == zt::MatchMode::Contains ? "-F" : "-E",
                                     "-f", pattern};
    // grep -i is slower on bytes above 0x7F; a text without letters needs no -i.
    const bool letters = std::any_of(c.text.begin(), c.text.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    });
    if (!c.caseSensitive && letters) args.emplace_back("-i");
    for (int i = 0; i < set.stocks; ++i)
        args.push_back((dir / (stockName(set, i) + ".dat")).string());
    // Not into /dev/null: GNU grep then stops at the first match.
    const auto t = Clock::now();
    if (runProcess(args, (dir / "grep.out").string()) < 0) {
        std::fprintf(stderr, "grep did not run\n");
        std::exit(2);
    }
    return secondsSince(t);
}

zt::SearchRequest makeRequest(const fs::path& dir, const DataSet& set, const Case& c) {
    zt::SearchRequest r;
    r.dataDir = dir;
    for (int i = 0; i < set.stocks; ++i)
        r.stocks.push_back(stockName(set, i));
    r.text = c.text;
    r.mode = c.mode;
    r.caseSensitive = c.caseSensitive;
    r.limit = 0;
    return r;
}

double timeSearch(const zt::SearchRequest& r, int& hits) {
    zt::SearchCallbacks cb;
    cb.cancelled = [] { return false; };
    const auto t = Clock::now();
    const zt::SearchOutcome out = zt::searchStocks(r, cb);
    const double s = secondsSince(t);
    hits = out.resultCount;
    if (!out.skippedStocks.empty()) {
        std::fprintf(stderr, "stocks missing\n");
        std::exit(2);
    }
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void runCase(const fs::path& dir, const DataSet& set, const Case& c, int pairs) {
    const zt::SearchRequest r = makeRequest(dir, set, c);
    std::vector<double> search, grep, ratio;
    int hits = 0;
    for (int i = 0; i < pairs; ++i) {
        search.push_back(timeSearch(r, hits));
        grep.push_back(timeGrep(dir, set, c));
        ratio.push_back(search.back() / grep.back());
    }
    std::printf("%-5s %-9s %-9s %-5s %7d %9.1f %9.1f %7.2f\n", set.key.c_str(),
                c.text == kAscii ? "ascii" : "japanese", modeName(c.mode),
                c.caseSensitive ? "case" : "blind", hits, median(search) * 1e3, median(grep) * 1e3,
                median(ratio));
    std::fflush(stdout);
}

// Peak memory of one search in a fresh process (this program, --search-once),
// as that process reports it: the peak the kernel counts for a spawned child
// starts from its parent's, which generating the stocks made large.
void reportPeak(const fs::path& dir, const DataSet& set) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string out = (dir / "peak.out").string();
    long kib = -1;
    if (runProcess({self, "--search-once", set.key, dir.string()}, out) >= 0)
        std::ifstream(out) >> kib;
    std::printf("peak memory of a search of %s: %.1f MiB\n", set.key.c_str(), double(kib) / 1024);
}

int searchOnce(const std::string& key, const fs::path& dir) {
    for (const DataSet& set : kSets)
        if (set.key == key) {
            int hits = 0;
            (void)timeSearch(makeRequest(dir, set, {kAscii, zt::MatchMode::Contains, false}), hits);
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::atol(line.c_str() + 6));
            return 0;
        }
    return 2;
}

// The deep stock with and without a status display that keeps the text
// (as a status line does), median of the pairs.
void reportDeep(const fs::path& dir, int depth, int pairs) {
    writeDeepStock(dir, depth);
    zt::SearchRequest r;
    r.dataDir = dir;
    r.stocks = {deepName(depth)};
    r.text = "bottom";
    r.limit = 0;
    std::vector<double> plain, shown, ratio;
    std::string line;
    for (int i = 0; i < pairs; ++i) {
        zt::SearchCallbacks cb;
        cb.cancelled = [] { return false; };
        auto t = Clock::now();
        (void)zt::searchStocks(r, cb);
        plain.push_back(secondsSince(t));
        cb.status = [&line](std::string_view s) { line.assign(s); };
        t = Clock::now();
        (void)zt::searchStocks(r, cb);
        shown.push_back(secondsSince(t));
        ratio.push_back(shown.back() / plain.back());
    }
    std::printf("deep (%d levels): without status %.1f ms, with status %.1f ms, ratio %.2f\n",
                depth, median(plain) * 1e3, median(shown) * 1e3, median(ratio));
}

} // namespace

int main(int argc, char** argv) {
    int pairs = 5;
    int depth = 1000000;
    bool quick = false;
    std::string sets = "many,1m,5m";
    fs::path dir = fs::temp_directory_path() / "zt-search-bench";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--search-once" && i + 2 < argc) return searchOnce(argv[i + 1], argv[i + 2]);
        if (a == "--prepare" && i + 1 < argc) {
            prepare(argv[i + 1]);
            return 0;
        }
        if (a == "--pairs" && i + 1 < argc) {
            pairs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sets" && i + 1 < argc) {
            sets = argv[++i];
        } else if (a == "--deep" && i + 1 < argc) {
            depth = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--quick") {
            quick = true;
        } else {
            dir = a;
        }
    }
    prepare(dir);
    const std::string warm = "cat '" + dir.string() + "'/*.dat >/dev/null";
    if (std::system(warm.c_str()) != 0) return 2;

    std::printf("%-5s %-9s %-9s %-5s %7s %9s %9s %7s\n", "set", "text", "mode", "case", "hits",
                "search ms", "grep ms", "ratio");
    for (const DataSet& set : kSets) {
        if (("," + sets + ",").find("," + set.key + ",") == std::string::npos) continue;
        for (const char* text : {kAscii, kJapanese})
            for (int m = 0; m < 4; ++m)
                for (bool caseSensitive : {false, true}) {
                    if (quick && (m != 0 || (text == kJapanese && caseSensitive))) continue;
                    runCase(dir, set, {text, zt::MatchMode(m), caseSensitive}, pairs);
                }
    }
    reportPeak(dir, kSets[2]);
    reportDeep(dir, depth, std::min(pairs, 3));
    return 0;
}
