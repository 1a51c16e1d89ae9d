// Arbitrary bytes as the catalogue summary: reading it never crashes, reads
// out of bounds or allocates past its bounds (a stock table within
// kMaxSummaryStocks names, rows of what those stocks need), and what it
// yields stays within the stocks it holds.
#include "index/catalogsummary.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto summary = zt::CatalogueSummary::open(bytes);
    if (!summary) return 0;
    for (size_t s = 0; s < summary->stockCount(); ++s)
        if (summary->name(s).empty() || summary->name(s).size() > zt::kMaxSummaryName) std::abort();
    const std::vector<uint32_t> trigrams{0x616263, 0x626364, 0xE3818A};
    if (const auto may = summary->mayHold(trigrams); may && may->size() != summary->stockCount())
        std::abort();
    if (const auto columns = summary->columns(); columns && columns->size() != summary->stockCount())
        std::abort();
    return 0;
}
