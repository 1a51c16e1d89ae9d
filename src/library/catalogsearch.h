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

SearchOutcome searchCatalogue(const SearchRequest& request, const SearchCallbacks& callbacks,
                              IndexUse use = IndexUse::WhenFresh);

} // namespace zt
