// The name index against the scan and against plocate, in one run.
//
// Uses the sets of search_bench (generated into DIR by `search_bench
// --prepare`, which this program runs from beside itself):
//   many    100 stocks, 5,000,000 names: selective texts searched through the
//           indexes against the scan (both in this process), and then as
//           processes: zutomelark-cli (beside this program) against
//           `plocate -c -i` over a database of the same paths (plocate-build
//           --plaintext, no visibility check; it counts whole paths, so a
//           matching folder's contents too), both started the same way (no
//           shell, output to /dev/null), timed in turns pair by pair, warm
//           cache (every file read once before)
//   1m      one stock of 1,000,000 records: index size against the stock
//           file, and the time to build it
// Then the peak memory of an indexed search of `many` in a fresh process.
//
//   index_bench [--pairs N] [DIR]
#include "catalogue/stockpath.h"
#include "library/catalogsearch.h"
#include "library/indexstore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string shellQuoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

std::vector<std::string> stocksOf(const std::string& key, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(key + "-" + std::to_string(1000 + i));
    return out;
}

struct Case {
    const char* label;
    std::string text;
    zt::MatchMode mode;
    std::string plocateText; // what plocate is asked (it matches whole paths)
};

zt::SearchRequest makeRequest(const fs::path& dir, const Case& c) {
    zt::SearchRequest r;
    r.dataDir = dir;
    r.stocks = stocksOf("many", 100);
    r.text = c.text;
    r.mode = c.mode;
    r.limit = 0;
    return r;
}

int search(const zt::SearchRequest& r, zt::IndexUse use) {
    zt::SearchCallbacks cb;
    cb.cancelled = [] { return false; };
    cb.hit = [](const zt::SearchHit&) {};
    return zt::searchCatalogue(r, cb, use).resultCount;
}

// Every path of the set, one a line, for plocate-build --plaintext.
void writePathList(const fs::path& dir, const fs::path& list) {
    zt::SearchRequest all = makeRequest(dir, {"", "*", zt::MatchMode::Wildcard, ""});
    std::ofstream out(list, std::ios::binary);
    zt::SearchCallbacks cb;
    cb.hit = [&out](const zt::SearchHit& h) {
        std::string p = h.path();
        std::replace(p.begin(), p.end(), '\\', '/');
        out << p << '\n';
    };
    (void)zt::searchCatalogue(all, cb, zt::IndexUse::Never);
}

// The wall time of a whole process, started directly (no shell) with its
// output to /dev/null; exits when it could not run (status 1: nothing found).
double timeProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t io;
    posix_spawn_file_actions_init(&io);
    posix_spawn_file_actions_addopen(&io, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&io, 2, "/dev/null", O_WRONLY, 0);
    const auto t = Clock::now();
    pid_t pid = 0;
    int rc = -1;
    if (posix_spawnp(&pid, argv[0], &io, nullptr, argv.data(), environ) == 0)
        ::waitpid(pid, &rc, 0);
    const double s = secondsSince(t);
    posix_spawn_file_actions_destroy(&io);
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) > 1) {
        std::fprintf(stderr, "%s did not run\n", argv[0]);
        std::exit(2);
    }
    return s;
}

void reportIndexSize(const fs::path& dir) {
    const std::string stock = "1m-1000";
    fs::remove(zt::indexFilePath(dir, stock));
    const auto t = Clock::now();
    if (!zt::buildIndex(dir, stock)) std::exit(2);
    const double build = secondsSince(t);
    const double stockBytes = double(fs::file_size(*zt::stockFilePath(dir, stock)));
    const double indexBytes = double(fs::file_size(zt::indexFilePath(dir, stock)));
    std::printf("1m: stock file %.1f MiB, index %.1f MiB (%.1f %%), built in %.3f s\n",
                stockBytes / 1048576, indexBytes / 1048576, 100 * indexBytes / stockBytes, build);
}

void reportPeak(const fs::path& dir) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const fs::path out = dir / "peak.out";
    if (std::system((shellQuoted(self) + " --search-once " + shellQuoted(dir) + " > " + shellQuoted(out)).c_str()))
        return;
    long kib = -1;
    std::ifstream(out) >> kib;
    std::printf("peak memory of an indexed search of many: %.1f MiB\n", double(kib) / 1024);
}

int searchOnce(const fs::path& dir) {
    (void)search(makeRequest(dir, {"", "QzxW", zt::MatchMode::Contains, ""}),
                 zt::IndexUse::WhenFresh);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::atol(line.c_str() + 6));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int pairs = 5;
    fs::path dir = fs::temp_directory_path() / "zt-search-bench";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--search-once" && i + 1 < argc) return searchOnce(argv[i + 1]);
        if (a == "--pairs" && i + 1 < argc)
            pairs = std::max(1, std::atoi(argv[++i]));
        else
            dir = a;
    }
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    if (std::system((shellQuoted(here / "search_bench") + " --prepare " + shellQuoted(dir)).c_str()) != 0)
        return 2;
    reportIndexSize(dir);

    auto t = Clock::now();
    for (const std::string& stock : stocksOf("many", 100))
        if (zt::indexState(dir, stock) != zt::IndexState::Fresh && !zt::buildIndex(dir, stock))
            return 2;
    std::printf("many: indexes of 100 stocks made in %.2f s (where missing or stale)\n",
                secondsSince(t));
    const fs::path list = dir / "paths.txt", db = dir / "many.plocate.db";
    if (!fs::exists(db)) {
        writePathList(dir, list);
        if (std::system(("plocate-build -l no -p " + shellQuoted(list) + " " + shellQuoted(db)).c_str()) != 0)
            return 2;
    }
    if (std::system(("cat " + shellQuoted(dir) + "/*.dat " + shellQuoted(dir) + "/Index/* " + shellQuoted(db) +
                     " > /dev/null").c_str()) != 0)
        return 2;

    const Case cases[] = {{"ascii contains", "QzxW", zt::MatchMode::Contains, "QzxW"},
                          {"japanese contains", "蒼穹", zt::MatchMode::Contains, "蒼穹"},
                          {"ascii 'track 123'", "track 123", zt::MatchMode::Contains, "track 123"},
                          {"wildcard *qzxw_1*", "*qzxw_1*", zt::MatchMode::Wildcard, "qzxw_1"},
                          {"no such name", "zqxjzq", zt::MatchMode::Contains, "zqxjzq"}};
    std::printf("%-20s %7s %9s %9s %8s %9s %10s %8s\n", "case (many)", "hits", "index ms",
                "scan ms", "idx/scan", "cli ms", "plocate ms", "cli/ploc");
    const std::string cli = (here / "zutomelark-cli").string();
    for (const Case& c : cases) {
        const zt::SearchRequest r = makeRequest(dir, c);
        std::vector<std::string> ours{cli, "--data", dir.string(), "search", "--limit", "0"};
        if (c.mode == zt::MatchMode::Wildcard) ours.insert(ours.end(), {"--mode", "wildcard"});
        for (const std::string& s : r.stocks)
            ours.insert(ours.end(), {"--stock", s});
        ours.insert(ours.end(), {"--", c.text});
        const std::vector<std::string> theirs{"plocate", "-c", "-i", "-d", db.string(), c.plocateText};
        std::vector<double> index, scan, toScan, process, plocate, toPlocate;
        int hits = 0;
        for (int i = 0; i < pairs; ++i) {
            t = Clock::now();
            hits = search(r, zt::IndexUse::WhenFresh);
            index.push_back(secondsSince(t));
            t = Clock::now();
            if (search(r, zt::IndexUse::Never) != hits) std::fprintf(stderr, "hits differ!\n");
            scan.push_back(secondsSince(t));
            toScan.push_back(index.back() / scan.back());
            process.push_back(timeProcess(ours));
            plocate.push_back(timeProcess(theirs));
            toPlocate.push_back(process.back() / plocate.back());
        }
        std::printf("%-20s %7d %9.2f %9.1f %8.3f %9.2f %10.2f %8.2f\n", c.label, hits,
                    median(index) * 1e3, median(scan) * 1e3, median(toScan),
                    median(process) * 1e3, median(plocate) * 1e3, median(toPlocate));
    }
    reportPeak(dir);
    return 0;
}
