// Arbitrary bytes as the catalogue summary, and a genuine small summary of
// stocks named by the input with one byte of it changed: reading either
// never crashes, reads out of bounds or allocates past the summary's bounds,
// and what it yields stays within the stocks it holds.
#include "index/catalogsummary.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void read(std::string_view bytes) {
    const auto summary = zt::CatalogueSummary::open(bytes);
    if (!summary) return;
    for (size_t s = 0; s < summary->stockCount(); ++s)
        if (summary->name(s).empty() || summary->name(s).size() > zt::kMaxSummaryName) std::abort();
    const std::vector<uint32_t> trigrams{0x616263, 0x626364, 0xE3818A};
    if (const auto may = summary->mayHold(trigrams); may && may->size() != summary->stockCount())
        std::abort();
    if (const auto columns = summary->columns(); columns && columns->size() != summary->stockCount())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    read(bytes);
    if (size < 3) return 0;
    // Stocks named by the input's pieces, each holding the trigrams of its name.
    std::vector<zt::SummaryStock> stocks;
    for (size_t at = 3; at < size && stocks.size() < 40; at += 5) {
        zt::SummaryStock s;
        s.name = std::string(bytes.substr(at, 5));
        std::vector<uint32_t> trigrams;
        for (size_t i = 0; i + 3 <= s.name.size(); ++i)
            trigrams.push_back(uint32_t(uint8_t(s.name[i])) << 16 |
                               uint32_t(uint8_t(s.name[i + 1])) << 8 | uint8_t(s.name[i + 2]));
        s.column = zt::SummaryColumn::ofTrigrams(trigrams);
        stocks.push_back(std::move(s));
    }
    std::string genuine = zt::buildSummary(stocks, zt::kMinSummaryBucketBits + data[0] % 3);
    if (!zt::CatalogueSummary::open(genuine)) std::abort();
    genuine[(size_t(data[1]) << 8 | data[2]) % genuine.size()] ^= char(data[0] | 1);
    read(genuine);
    return 0;
}
