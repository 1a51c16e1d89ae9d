#include "library/catalogsearch.h"

#include "catalogue/stockpath.h"
#include "index/indexsearch.h"
#include "library/indexstore.h"

namespace zt {

namespace {

// The stocks the catalogue summary rules out for a request's trigrams: a
// stock whose bit is clear and whose stock file still has the stamp the bit
// was made from holds no match.
class SummaryFilter {
  public:
    SummaryFilter(const SearchRequest& request, const std::vector<uint32_t>& trigrams)
        : summary_(openSummary(request.dataDir)) {
        if (summary_) mayHold_ = summary_->mayHold(trigrams);
        // A row that fails its check: the whole summary is not trusted.
        if (!mayHold_) summary_.reset();
    }

    // True when the stock surely holds no match. `covered` is cleared when
    // the summary does not hold the stock as its file is now.
    bool rulesOut(const std::string& stock, const std::filesystem::path& file) {
        const auto slot = summary_ ? summary_->slotOf(stock) : std::nullopt;
        if (!slot) {
            covered_ = false;
            return false;
        }
        // Only a stock that cannot match costs the look at its file here;
        // one that may is checked by its index as before.
        if ((*mayHold_)[*slot]) return false;
        const auto stamp = fileStamp(file);
        if (stamp && *stamp == summary_->stamp(*slot)) return true;
        covered_ = false;
        return false;
    }

    // False when the summary is missing, damaged, or lacks a stock searched.
    [[nodiscard]] bool covered() const { return summary_ && covered_; }

  private:
    std::optional<CatalogueSummary> summary_;
    std::optional<std::vector<bool>> mayHold_;
    bool covered_ = true;
};

} // namespace

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use, std::vector<std::string>* unusableIndexes) {
    const std::vector<uint32_t> trigrams =
        use == IndexUse::Never ? std::vector<uint32_t>{} : requestTrigrams(request);
    if (trigrams.empty()) return searchStocks(request, callbacks);
    const bool build = use == IndexUse::BuildMissing;
    const auto unusable = [&](const std::string& stock) {
        if (unusableIndexes) unusableIndexes->push_back(stock);
    };
    SummaryFilter summary(request, trigrams);
    std::vector<SummaryStock> built; // the bits of the indexes built here
    const auto rebuild = [&](const std::string& stock) {
        return buildIndex(request.dataDir, stock, &built);
    };
    const StockShortcut throughIndex = [&](const std::string& stock, SearchOutcome& outcome) {
        const auto file = stockFilePath(request.dataDir, stock);
        if (!file) return false;
        if (summary.rulesOut(stock, *file)) {
            searchNoCandidates(stock, request, callbacks, outcome);
            return true;
        }
        auto loaded = openIndex(request.dataDir, stock);
        // Missing, stale or damaged: built now when asked for (one that cannot
        // be written leaves the stock to the scan); else one that is there is
        // named for the caller to build.
        if (!loaded && build && rebuild(stock)) loaded = openIndex(request.dataDir, stock);
        if (!loaded && !build && indexState(request.dataDir, stock) != IndexState::Missing)
            unusable(stock);
        for (bool rebuilt = false; loaded; rebuilt = true) {
            const auto status =
                searchWithIndex(*loaded, *file, stock, request, trigrams, callbacks, outcome);
            if (status != IndexSearchStatus::Damaged) return status == IndexSearchStatus::Done;
            // Damaged where an open does not look: never kept. Built again at
            // once when asked for (and tried once more), else named.
            if (!build) unusable(stock);
            if (!build || rebuilt || !rebuild(stock)) return false;
            loaded = openIndex(request.dataDir, stock);
        }
        return false;
    };
    SearchOutcome outcome = searchStocks(request, callbacks, throughIndex);
    // A search that builds what it lacks brings the summary up to date too
    // (the window's background indexer does it for the window).
    if (build && (!summary.covered() || !built.empty()) && !outcome.stopped)
        refreshSummary(request.dataDir, request.stocks, std::move(built));
    return outcome;
}

} // namespace zt
