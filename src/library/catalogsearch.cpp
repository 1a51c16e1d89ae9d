#include "library/catalogsearch.h"

#include "catalogue/stockpath.h"
#include "index/indexsearch.h"
#include "library/indexstore.h"

namespace zt {

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use, std::vector<std::string>* unusableIndexes) {
    const std::vector<uint32_t> trigrams =
        use == IndexUse::Never ? std::vector<uint32_t>{} : requestTrigrams(request);
    if (trigrams.empty()) return searchStocks(request, callbacks);
    const bool build = use == IndexUse::BuildMissing;
    const auto unusable = [&](const std::string& stock) {
        if (unusableIndexes) unusableIndexes->push_back(stock);
    };
    const StockShortcut throughIndex = [&](const std::string& stock, SearchOutcome& outcome) {
        const auto file = stockFilePath(request.dataDir, stock);
        if (!file) return false;
        auto loaded = openIndex(request.dataDir, stock);
        // Missing, stale or damaged: built now when asked for (one that cannot
        // be written leaves the stock to the scan); else one that is there is
        // named for the caller to build.
        if (!loaded && build && buildIndex(request.dataDir, stock))
            loaded = openIndex(request.dataDir, stock);
        if (!loaded && !build && indexState(request.dataDir, stock) != IndexState::Missing)
            unusable(stock);
        for (bool rebuilt = false; loaded; rebuilt = true) {
            const auto status =
                searchWithIndex(*loaded, *file, stock, request, trigrams, callbacks, outcome);
            if (status != IndexSearchStatus::Damaged) return status == IndexSearchStatus::Done;
            // Damaged where an open does not look: never kept. Built again at
            // once when asked for (and tried once more), else named.
            if (!build) unusable(stock);
            if (!build || rebuilt || !buildIndex(request.dataDir, stock)) return false;
            loaded = openIndex(request.dataDir, stock);
        }
        return false;
    };
    return searchStocks(request, callbacks, throughIndex);
}

} // namespace zt
