#include "library/catalogsearch.h"

#include "index/indexsearch.h"
#include "library/indexstore.h"
#include "library/names.h"

namespace zt {

bool requestUsesIndex(const SearchRequest& request) {
    return !requestTrigrams(request).empty();
}

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use) {
    const std::vector<uint32_t> trigrams =
        use == IndexUse::Never ? std::vector<uint32_t>{} : requestTrigrams(request);
    if (trigrams.empty()) return searchStocks(request, callbacks);
    const StockShortcut throughIndex = [&](const std::string& stock, SearchOutcome& outcome) {
        auto loaded = openIndex(request.dataDir, stock);
        const auto file = stockFilePath(request.dataDir, stock);
        return loaded && file &&
               searchWithIndex(*loaded, *file, stock, request, trigrams, callbacks,
                               outcome) == IndexSearchStatus::Done;
    };
    return searchStocks(request, callbacks, throughIndex);
}

std::vector<std::string> refreshIndexes(const std::filesystem::path& dataDir,
                                        const std::vector<std::string>& stocks) {
    std::vector<std::string> failed;
    for (const std::string& stock : stocks) {
        if (!stockFilePath(dataDir, stock)) continue; // a name that may not name a file
        if (indexState(dataDir, stock) != IndexState::Fresh && !buildIndex(dataDir, stock))
            failed.push_back(stock);
    }
    return failed;
}

} // namespace zt
