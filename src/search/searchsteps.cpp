#include "search/searchsteps.h"

namespace zt {

bool SearchSteps::admit() {
    if (out_.stopped) return false;
    if (!overLimit()) return true;
    out_.stopped = true;
    out_.limitExceeded = true;
    if (cb_.limitExceeded) cb_.limitExceeded(kMessageLimitExceeded);
    return false;
}

void SearchSteps::handOn(const std::string& stock, const FolderChain& parent, std::string_view name,
                         bool folder, const RowValues& values) {
    SearchHit hit;
    hit.name = name;
    hit.stock = stock;
    hit.parent = parent;
    hit.created = values.created;
    hit.modified = values.modified;
    hit.size = values.size;
    hit.isFolder = folder;
    cb_.hit(hit);
}

} // namespace zt
