#pragma once
// Searching one stock through its name index: the candidates of the text's
// trigrams are read from the stock file and settled by the search's own
// rules, so the rows, their order, the result limit (tested at folder
// entries) and the stop are exactly those of scanning the whole file.
#include "index/nameindex.h"
#include "search/engine.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zt {

// The trigrams an index can narrow a request with; empty when the text has
// none (shorter than three bytes), and the stock must be scanned.
[[nodiscard]] std::vector<uint32_t> requestTrigrams(const SearchRequest& request);

enum class IndexSearchStatus {
    Done,     // the stock was searched (outcome updated)
    Unusable, // the stock file is not the one the index was built from: scan instead
    Damaged,  // the index failed a check as it was read: scan, and build it again
};

// What searching a stock that holds no candidate does (the catalogue summary
// or its index says no name can match): its status line and the entry of its
// top folder, where a limit reached before it or a stop asked for ends the
// search, exactly as the scan would meet them.
void searchNoCandidates(const std::string& stock, const SearchRequest& request,
                        const SearchCallbacks& callbacks, SearchOutcome& outcome);

// Searches the stock file `stockFile` (named `stock`) with its opened index.
// The status line shows the stock being searched, not every folder.
[[nodiscard]] IndexSearchStatus
searchWithIndex(NameIndex& index, const std::filesystem::path& stockFile,
                const std::string& stock, const SearchRequest& request,
                const std::vector<uint32_t>& trigrams, const SearchCallbacks& callbacks,
                SearchOutcome& outcome);

} // namespace zt
