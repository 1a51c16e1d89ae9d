// A folder of 100,000 files with Japanese and ASCII names: listing its
// contents and sorting them by name and by kind, the work the contents list
// does on every selection of such a folder.
#include "browser/contents.h"
#include "browser/icontable.h"
#include "platform/datadir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace zt;

constexpr int kFiles = 100'000;

struct BigFolder {
    FolderTree tree;
    FolderNode* top = nullptr;

    BigFolder() {
        static const char* stems[] = {"写真", "しゃしん", "シャシン", "report", "Report", "データ",
                                      "ﾃﾞｰﾀ", "議事録",   "README",   "song",   "ＡＢＣ", "img_"};
        static const char* kinds[] = {".txt", ".JPG",    ".jpg", ".pdf",  ".mp3",    ".cpp",
                                      ".h",   ".tar.gz", "",     ".docx", ".ＴＸＴ", ".zip"};
        std::mt19937 rng(42);
        top = tree.addRoot("big");
        for (int i = 0; i < 200; ++i)
            tree.addChild(top, std::string(stems[rng() % 12]) + std::to_string(i));
        for (int i = 0; i < kFiles; ++i) {
            std::string name = stems[rng() % 12];
            name += std::to_string(rng() % 1'000'000);
            name += kinds[rng() % 12];
            tree.addFile(top, name);
        }
    }
};

const BigFolder& folder() {
    static const BigFolder f;
    return f;
}

// A table like the shipped one, for the type look-up of every file.
const IconTable& table() {
    static const IconTable t = [] {
        namespace fs = std::filesystem;
        char tmpl[] = "/tmp/zt-contents-bench-XXXXXX";
        const fs::path dir = ::mkdtemp(tmpl);
        fs::create_directories(dir / "Icon");
        std::ofstream(dir / "Icon" / "icon.dat") << templateIconList();
        std::ofstream(dir / "Icon" / "test.dat") << "sample";
        IconTable t;
        t.load(dir, [](size_t i, const fs::path&) { return 6 + int(i); });
        fs::remove_all(dir);
        return t;
    }();
    return t;
}

void BM_ListContents(benchmark::State& state) {
    const IconTable& icons = table();
    for (auto _ : state) {
        auto items =
            listContents(*folder().top, [&](std::string_view n) { return icons.imageIndexOf(n); });
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_SortContents(benchmark::State& state) {
    const auto base = listContents(*folder().top, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        auto items = base;
        state.ResumeTiming();
        sortContents(items, Arrangement(state.range(0)));
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_ListAndSort(benchmark::State& state) {
    for (auto _ : state) {
        auto items = listContents(*folder().top, nullptr);
        sortContents(items, Arrangement(state.range(0)));
        benchmark::DoNotOptimize(items.data());
    }
}

} // namespace

BENCHMARK(BM_ListContents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortContents)->Arg(0)->Arg(1)->ArgNames({"byKind"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAndSort)->Arg(0)->Arg(1)->ArgNames({"byKind"})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
