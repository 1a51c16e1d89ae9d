#include "search/engine.h"

#include "library/names.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "search/stockscan.h"

#include <cstring>

namespace zt {

namespace {

inline bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

size_t findOnBoundary(std::string_view name, std::string_view text) {
    if (name.empty() || text.empty()) return std::string_view::npos;
    for (size_t pos = name.find(text); pos != std::string_view::npos;
         pos = name.find(text, pos + 1))
        if (!isContinuationByte(name[pos])) return pos;
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
    return name.substr(pos) == text && !isContinuationByte(name[pos]);
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
    }
    return false;
}

std::string formatSizeText(uint64_t size) {
    const std::string digits = std::to_string(size);
    if (digits.size() <= 3) return "0KB";
    const std::string_view thousands(digits.data(), digits.size() - 3);
    std::string out;
    out.reserve(thousands.size() + thousands.size() / 3 + 2);
    for (size_t i = 0; i < thousands.size(); ++i) {
        if (i > 0 && (thousands.size() - i) % 3 == 0) out += ',';
        out += thousands[i];
    }
    out += "KB";
    return out;
}

std::string formatDateText(FileTime t) {
    if (t.isZero()) return {};
    const LocalDateTime st = toLocalDateTime(t);
    return std::to_string(st.year) + '/' + std::to_string(st.month) + '/' + std::to_string(st.day) +
           ' ' + std::to_string(st.hour) + ':' + std::to_string(st.minute) + ':' +
           std::to_string(st.second);
}

ResultCells makeCells(const SearchHit& hit) {
    ResultCells c;
    c.name = hit.name;
    c.path = hit.path;
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
}

void searchStockBytes(std::string_view bytes, const std::string& stock,
                      const SearchRequest& request, const SearchCallbacks& callbacks,
                      SearchOutcome& outcome) {
    PieceReader in;
    in.openBytes(bytes);
    searchStock(in, stock, request, callbacks, outcome);
}

SearchOutcome searchStocks(const SearchRequest& request, const SearchCallbacks& callbacks) {
    SearchOutcome outcome;
    if (callbacks.status) callbacks.status(kStatusProcessing);
    const Needle needle(request);
    SearchContext context{needle, request, callbacks, outcome, StatusGate(callbacks.statusInterval),
                          {}};
    PieceReader in; // one buffer for every stock
    for (const std::string& stock : request.stocks) {
        if (outcome.stopped) break;
        const auto path = stockFilePath(request.dataDir, stock);
        if (!path || !in.open(*path)) {
            outcome.skippedStocks.push_back(stock);
            continue;
        }
        scanStock(in, stock, context);
        // A read error part way: the rows found so far stay, the stock is named.
        if (in.failed()) outcome.skippedStocks.push_back(stock);
    }
    return outcome;
}

} // namespace zt
