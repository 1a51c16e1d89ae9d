#include "library/catalogsearch.h"

#include "catalogue/stockpath.h"
#include "index/indexsearch.h"
#include "library/indexstore.h"

namespace zt {

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use) {
    const std::vector<uint32_t> trigrams =
        use == IndexUse::Never ? std::vector<uint32_t>{} : requestTrigrams(request);
    if (trigrams.empty()) return searchStocks(request, callbacks);
    const StockShortcut throughIndex = [&](const std::string& stock, SearchOutcome& outcome) {
        const auto file = stockFilePath(request.dataDir, stock);
        if (!file) return false;
        auto loaded = openIndex(request.dataDir, stock);
        // Missing, stale or damaged: built now when asked for (one that cannot
        // be written leaves the stock to the scan).
        if (!loaded && use == IndexUse::BuildMissing && buildIndex(request.dataDir, stock))
            loaded = openIndex(request.dataDir, stock);
        return loaded && searchWithIndex(*loaded, *file, stock, request, trigrams, callbacks,
                                         outcome) == IndexSearchStatus::Done;
    };
    return searchStocks(request, callbacks, throughIndex);
}

} // namespace zt
