#pragma once
// The search of the window and the command line: each chosen stock through
// its name index when the index is fresh and the text gives trigrams, else by
// scanning its file; the rows are the same either way.
#include "search/engine.h"

#include <string>
#include <vector>

namespace zt {

enum class IndexUse {
    WhenFresh,    // use an index that checks out; scan the rest
    BuildMissing, // the same, building a missing, stale or damaged index first
    Never,        // scan every stock (for comparison, or when an index misleads)
};

// With WhenFresh, the stocks whose index is there but could not be used
// (stale, or damaged: found so by the open or part way through the search)
// are added to unusableIndexes when it is given, for the caller to have built
// again; BuildMissing builds them at once instead.
SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use = IndexUse::WhenFresh,
                              std::vector<std::string>* unusableIndexes = nullptr);

} // namespace zt
