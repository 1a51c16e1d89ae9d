// Stock file speed and memory on a stock of 1,000,000 file records (--files N)
// in a tenth as many folders (Japanese and ASCII names), in one run:
//   write      writeStockFile (serialise, temporary file, flush, rename)
//   serialise  serializeStock into one string, timed on its own (not part of write)
//   cat        `cat file > /dev/null`, the I/O floor
//   read       readStockFile into a tree (the open path)
//   sort       FolderTree::sortAll
//   release    FolderTree::clear
//   peak       ru_maxrss of a fresh process that only reads, sorts and releases
//   settled    resident memory of that process once the tree is read and sorted
//   record     heap bytes per file record (malloc accounting) and sizeof(FileRecord)
// Read and cat are the medians of three runs, each in a fresh process.
//
//   stockfile_bench [--files N] [DIR]   DIR holds the generated stock (default: a temp folder)
// Use a Release build:
//   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZT_CORE_ONLY=ON
//   cmake --build build-release --target stockfile_bench
#include "catalogue/stockfile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <malloc.h>
#include <vector>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace zt;
using Clock = std::chrono::steady_clock;
int kFolders = 100000;
int kFiles = 1000000;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

std::string makeName(std::mt19937& rng, int serial, bool folder) {
    static const char* const kJapanese[] = {"写真",         "資料", "表計算", "ポスター", "音楽",
                                            "ドキュメント", "旅行", "会議録", "ソース",   "画像"};
    static const char* const kAscii[] = {"photo", "Report", "backup", "src",   "Music",
                                         "draft", "IMG",    "notes",  "Setup", "data"};
    static const char* const kExt[] = {".txt", ".jpg", ".doc", ".mp3", ".cpp", ".pdf", ".xls", ""};
    std::string s = rng() % 2 ? kJapanese[rng() % 10] : kAscii[rng() % 10];
    s += '_';
    s += std::to_string(serial);
    if (!folder) s += kExt[rng() % 8];
    return s;
}

// Folder i (1..kFolders) hangs under folder (i - 1) / 10, so the tree is ten
// wide and about five deep; files are spread at random, 10 per folder on average.
void generate(FolderTree& tree) {
    std::mt19937 rng(12345);
    std::vector<FolderNode*> nodes;
    nodes.reserve(kFolders + 1);
    nodes.push_back(tree.addRoot("Bench"));
    for (int i = 1; i <= kFolders; ++i) {
        FolderNode* n = tree.addChild(nodes[size_t(i - 1) / 10], makeName(rng, i, true));
        n->modified = FileTime::fromHalves(uint32_t(rng()), uint32_t(rng()));
        nodes.push_back(n);
    }
    // Files of one folder are added one after another, as a capture and a load do.
    std::vector<int> perFolder(nodes.size(), 0);
    for (int i = 0; i < kFiles; ++i)
        ++perFolder[rng() % nodes.size()];
    int serial = 0;
    for (size_t n = 0; n < nodes.size(); ++n) {
        for (int k = 0; k < perFolder[n]; ++k) {
            FileRecord* f = tree.addFile(nodes[n], makeName(rng, serial++, false));
            f->created =
                FileTime::fromHalves(uint32_t(rng()), 0x01d00000u + uint32_t(rng() % 0x100000));
            f->accessed = f->created;
            f->modified = f->created;
            f->size = (uint64_t(rng() % 64 == 0 ? 1 : 0) << 32) | uint32_t(rng());
        }
    }
}

// The child: read, sort and release, then print the times and its peak memory.
int readOnly(const std::filesystem::path& file) {
    FolderTree tree;
    auto t = Clock::now();
    const auto r = readStockFile(file, "Bench", tree);
    const double read = secondsSince(t);
    if (r.status != StockReadStatus::Completed || tree.folderCount() != kFolders) return 1;
    t = Clock::now();
    tree.sortAll();
    const double sort = secondsSince(t);
    const long settled = residentKiB();
    t = Clock::now();
    tree.clear();
    const double release = secondsSince(t);
    std::printf("%.3f %.3f %.3f %ld %ld\n", read, sort, release, peakKiB(), settled);
    return 0;
}

// Heap bytes of as many records of typical names as the bench's stock has,
// as malloc counts them once settled (the last block's unused tail included).
double bytesPerRecord() {
    std::mt19937 rng(7);
    const int n = kFiles;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i)
        names.push_back(makeName(rng, i, false));
    const size_t before = mallinfo2().uordblks;
    FolderTree tree;
    FolderNode* root = tree.addRoot("r");
    for (const auto& s : names)
        tree.addFile(root, s);
    return double(mallinfo2().uordblks - before) / n;
}

struct ReadRun {
    double read = 0, sort = 0, release = 0;
    long peak = 0, settled = 0;
};

// Reads in a fresh process so that its peak memory is the load's alone.
bool readInChild(const std::filesystem::path& file, ReadRun& r) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string cmd = "'" + self + "' --read-only '" + file.string() + "' " +
                            std::to_string(kFolders);
    FILE* child = popen(cmd.c_str(), "r");
    return child &&
           std::fscanf(child, "%lf %lf %lf %ld %ld", &r.read, &r.sort, &r.release, &r.peak,
                       &r.settled) == 5 &&
           pclose(child) == 0;
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    using namespace zt;
    if (argc == 4 && std::string(argv[1]) == "--read-only") {
        kFolders = std::atoi(argv[3]);
        return readOnly(argv[2]);
    }
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zt-stockfile-bench";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--files" && i + 1 < argc) {
            kFiles = std::max(10, std::atoi(argv[++i]));
            kFolders = kFiles / 10;
        } else {
            dir = argv[i];
        }
    }
    std::filesystem::create_directories(dir);
    const auto file = dir / ("Bench-" + std::to_string(kFiles) + ".dat");

    double write = 0, serialise = 0;
    {
        FolderTree tree;
        generate(tree);
        auto t = Clock::now();
        if (!writeStockFile(file, tree)) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 2;
        }
        write = secondsSince(t);
        t = Clock::now();
        const std::string bytes = serializeStock(tree);
        serialise = secondsSince(t);
    }
    malloc_trim(0);

    std::vector<double> cats, reads, ratios;
    ReadRun run;
    const std::string cat = "cat '" + file.string() + "' > /dev/null";
    for (int i = 0; i < 3; ++i) {
        auto t = Clock::now();
        if (std::system(cat.c_str()) != 0) return 2;
        cats.push_back(secondsSince(t));
        if (!readInChild(file, run)) {
            std::fprintf(stderr, "the reading process failed\n");
            return 2;
        }
        reads.push_back(run.read);
        ratios.push_back(run.read / cats.back());
    }

    std::printf("stock file: %d files in %d folders, %.1f MB\n", kFiles, kFolders,
                double(std::filesystem::file_size(file)) / 1e6);
    std::printf("write        %7.3f s\n", write);
    std::printf("serialise    %7.3f s   serializeStock into one string (a separate run)\n",
                serialise);
    std::printf("cat floor    %7.3f s\n", medianOf(cats));
    std::printf("read         %7.3f s   %.1f x cat\n", medianOf(reads), medianOf(ratios));
    std::printf("sort         %7.3f s\n", run.sort);
    std::printf("read + sort  %7.3f s\n", medianOf(reads) + run.sort);
    std::printf("release      %7.3f s\n", run.release);
    std::printf("peak memory  %7.1f MiB\n", double(run.peak) / 1024);
    std::printf("settled tree %7.1f MiB  (peak %.2f x settled)\n", double(run.settled) / 1024,
                double(run.peak) / double(run.settled));
    std::printf("file record  %zu bytes + name; %.1f heap bytes per record\n", sizeof(FileRecord),
                bytesPerRecord());
    return 0;
}
