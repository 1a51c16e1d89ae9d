#include "search/engine.h"
#include "search/patterns.h"

#include "catalogue/stockpath.h"
#include "platform/collate.h"
#include "platform/numbertext.h"
#include "platform/piecereader.h"
#include "platform/utf8.h"
#include "search/stockscan.h"

#include <cstring>

namespace zt {

size_t findOnBoundary(std::string_view name, std::string_view text) {
    if (name.empty() || text.empty()) return std::string_view::npos;
    for (size_t pos = name.find(text); pos != std::string_view::npos;
         pos = name.find(text, pos + 1))
        if (!isUtf8Continuation(name[pos])) return pos;
    return std::string_view::npos;
}

bool matchContains(std::string_view name, std::string_view text) {
    return findOnBoundary(name, text) != std::string_view::npos;
}

bool matchExact(std::string_view name, std::string_view text) {
    // compareLocale calls only byte-identical texts equal, so a length
    // difference settles it without asking the collator.
    return name.size() == text.size() && compareLocale(name, text) == 0;
}

bool matchPrefix(std::string_view name, std::string_view text) {
    return findOnBoundary(name, text) == 0;
}

bool matchSuffix(std::string_view name, std::string_view text) {
    if (text.empty() || text.size() > name.size()) return false;
    const size_t pos = name.size() - text.size();
    return name.substr(pos) == text && !isUtf8Continuation(name[pos]);
}

bool matchName(MatchMode mode, std::string_view name, std::string_view text) {
    switch (mode) {
    case MatchMode::Contains:
        return matchContains(name, text);
    case MatchMode::Exact:
        return matchExact(name, text);
    case MatchMode::Prefix:
        return matchPrefix(name, text);
    case MatchMode::Suffix:
        return matchSuffix(name, text);
    case MatchMode::Wildcard:
        return matchWildcard(name, text);
    case MatchMode::Regex: // compiled once per search: Needle::matches
        break;
    }
    return false;
}

std::string formatSizeText(uint64_t size) {
    if (size < 1000) return "0KB";
    return groupThousands(size / 1000) + "KB";
}

std::string formatDateText(FileTime t) {
    if (t.isZero()) return {};
    const LocalDateTime st = toLocalDateTime(t);
    return std::to_string(st.year) + '/' + std::to_string(st.month) + '/' + std::to_string(st.day) +
           ' ' + std::to_string(st.hour) + ':' + std::to_string(st.minute) + ':' +
           std::to_string(st.second);
}

std::string SearchHit::path() const {
    std::string out;
    out.append(1, '\\').append(stock);
    parent.appendPath(out);
    out.append(1, '\\').append(name);
    return out;
}

std::vector<std::string> SearchHit::folders() const {
    std::vector<std::string> out = parent.names();
    if (isFolder) out.push_back(name);
    return out;
}

ResultCells makeCells(const SearchHit& hit) {
    ResultCells c;
    c.name = hit.name;
    c.path = hit.path();
    c.created = formatDateText(hit.created);
    if (!hit.isFolder) {
        c.size = formatSizeText(hit.size);
        c.modified = formatDateText(hit.modified);
    }
    return c;
}

void searchStock(PieceReader& in, const std::string& stock, const SearchRequest& request,
                 const SearchCallbacks& callbacks, SearchOutcome& outcome) {
    const Needle needle(request);
    SearchContext context{needle, request, callbacks, outcome, StatusGate(callbacks.statusInterval),
                          {}};
    scanStock(in, stock, context);
    if (needle.regex) outcome.namesTimedOut += needle.regex->takeTimedOut();
}

void searchStockBytes(std::string_view bytes, const std::string& stock,
                      const SearchRequest& request, const SearchCallbacks& callbacks,
                      SearchOutcome& outcome) {
    PieceReader in;
    in.openBytes(bytes);
    searchStock(in, stock, request, callbacks, outcome);
}

bool meetsFilters(const SearchFilters& f, uint64_t size, FileTime modified, bool folder) {
    if ((f.minSize || f.maxSize) && folder) return false;
    if ((f.minSize && size < *f.minSize) || (f.maxSize && size > *f.maxSize)) return false;
    if (!f.modifiedFrom && !f.modifiedBefore) return true;
    return !modified.isZero() && !(f.modifiedFrom && modified < *f.modifiedFrom) &&
           !(f.modifiedBefore && !(modified < *f.modifiedBefore));
}

SearchOutcome searchStocks(const SearchRequest& request, const SearchCallbacks& callbacks,
                           const StockShortcut& shortcut) {
    SearchOutcome outcome;
    if (callbacks.status) callbacks.status(kStatusProcessing);
    const Needle needle(request);
    SearchContext context{needle, request, callbacks, outcome, StatusGate(callbacks.statusInterval),
                          {}};
    PieceReader in; // one buffer for every stock
    for (const std::string& stock : request.stocks) {
        if (outcome.stopped) break;
        if (shortcut && shortcut(stock, outcome)) continue;
        const auto path = stockFilePath(request.dataDir, stock);
        if (!path || !in.open(*path)) {
            outcome.skippedStocks.push_back(stock);
            continue;
        }
        scanStock(in, stock, context);
        // A read error part way: the rows found so far stay, the stock is named.
        if (in.failed()) outcome.skippedStocks.push_back(stock);
    }
    if (needle.regex) outcome.namesTimedOut += needle.regex->takeTimedOut();
    return outcome;
}

} // namespace zt
