#pragma once
// One stock searched as its bytes arrive (the search engine's inner part).
#include "search/engine.h"
#include "search/patterns.h"
#include "search/scan.h"

#include <chrono>
#include <memory>
#include <string>

namespace zt {

class PieceReader;

// The search text made ready once per search.
struct Needle {
    MatchMode mode;
    bool caseSensitive;
    std::string text;  // lower-cased unless case-sensitive (a pattern's too, but a regex's)
    scan::ByteKey key; // what a stored name line must hold before it can match
    std::unique_ptr<RegexPattern> regex; // compiled once, for the regular-expression mode

    explicit Needle(const SearchRequest& r);

    // The name test of the search, the one rule for every way of searching;
    // `lowered` is scratch space for the case-blind copy.
    [[nodiscard]] bool matches(std::string_view name, std::string& lowered) const;
};

// Whether the status line is shown at this folder entry: always with a zero
// interval, else when the interval has passed since it was last shown (the
// clock is read every few entries only).
class StatusGate {
  public:
    explicit StatusGate(std::chrono::milliseconds interval)
        : interval_(interval), last_(std::chrono::steady_clock::now()) {}
    bool due() {
        if (interval_.count() <= 0) return true;
        if (++entries_ % 32 != 0) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) return false;
        last_ = now;
        return true;
    }

  private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
    unsigned entries_ = 0;
};

// What one search keeps from stock to stock.
struct SearchContext {
    const Needle& needle;
    const SearchRequest& request;
    const SearchCallbacks& callbacks;
    SearchOutcome& outcome;
    StatusGate gate;
    scan::ByteIndex index; // reused piece after piece
};

// Searches the stock whose bytes `in` reads, adding to context.outcome.
void scanStock(PieceReader& in, const std::string& stock, SearchContext& context);

} // namespace zt
