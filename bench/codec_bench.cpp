// Decoding and encoding speed on text shaped like a stock file: per file a
// "-1" line, a name (Japanese mixed with ASCII) and eight numbers.
#include "platform/codec.h"
#include "platform/textfile.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

const std::vector<std::string>& sampleNames() {
    static const std::vector<std::string> names = {
        "IMG_0012.JPG",
        "写真 2003年 夏休み.jpg",
        "readme.txt",
        "第01話 はじまりの朝.mp4",
        "ﾃﾞｰﾀ_ﾊﾞｯｸｱｯﾌﾟ.zip",
        "プロジェクト資料（最終版）.docx",
        "setup.exe",
        "髙橋さんの表計算.xlsx",
        "Track 07 - 夜明けのポルカ.flac",
        "新しいフォルダー",
        "config.ini",
        "😀 emoji & more.txt",
    };
    return names;
}

// About `size` bytes of CP932 stock-file text.
const std::string& stockText() {
    static const std::string text = [] {
        std::vector<std::string> encoded;
        for (const auto& n : sampleNames())
            encoded.push_back(zt::cp932::encode(n));
        std::string t;
        const size_t size = 100u << 20;
        t.reserve(size + 1024);
        for (unsigned long i = 0; t.size() < size; ++i) {
            t += "-1\r\n";
            t += encoded[i % encoded.size()];
            t += "\r\n";
            for (unsigned long k = 0; k < 8; ++k) {
                t += std::to_string((i * 2654435761u + k * 40503u) % 4294967296u);
                t += "\r\n";
            }
        }
        return t;
    }();
    return text;
}

void BM_DecodeStockLines(benchmark::State& state) {
    const std::string& text = stockText();
    std::string out;
    for (auto _ : state) {
        zt::LineCursor cursor(text);
        std::string_view line;
        while (cursor.next(line)) {
            out.clear();
            zt::cp932::decodeAppend(line, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeStockLines)->Unit(benchmark::kMillisecond);

void BM_DecodeStockLinesToNewStrings(benchmark::State& state) {
    const std::string& text = stockText();
    for (auto _ : state) {
        zt::LineCursor cursor(text);
        std::string_view line;
        while (cursor.next(line)) {
            std::string s = zt::cp932::decode(line);
            benchmark::DoNotOptimize(s.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeStockLinesToNewStrings)->Unit(benchmark::kMillisecond);

void BM_EncodeNames(benchmark::State& state) {
    const auto& names = sampleNames();
    std::string out;
    size_t bytes = 0;
    for (auto _ : state) {
        out.clear();
        for (const auto& n : names) {
            zt::cp932::encodeAppend(n, out);
            bytes += n.size();
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_EncodeNames);

} // namespace

BENCHMARK_MAIN();
