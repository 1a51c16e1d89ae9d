#pragma once
// The search of the window and the command line: each chosen stock through
// its name index when the index is fresh and the text gives trigrams, else by
// scanning its file; the rows are the same either way.
#include "search/engine.h"

#include <string>
#include <vector>

namespace zt {

enum class IndexUse {
    WhenFresh, // use an index that checks out; scan the rest
    Never,     // scan every stock (for comparison, or when an index misleads)
};

// Whether a request can be narrowed by an index at all (texts of fewer than
// three bytes, and regular expressions, cannot).
[[nodiscard]] bool requestUsesIndex(const SearchRequest& request);

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use = IndexUse::WhenFresh);

// Builds the indexes of these stocks that are missing, stale or damaged;
// the names of those that could not be built (they are scanned).
std::vector<std::string> refreshIndexes(const std::filesystem::path& dataDir,
                                        const std::vector<std::string>& stocks);

} // namespace zt
