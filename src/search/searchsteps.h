#pragma once
// The two steps of every way of searching a stock, taken in the order of the
// stock's depth-first walk: entering a folder (the cancel check, the stop,
// the result limit) and giving a row. The streamed scan and the name-index
// walk both take them from here, so their rows, their order and where they
// stop are one rule.
#include "search/engine.h"

#include <string>
#include <string_view>

namespace zt {

// A row's own values, as its record holds them.
struct RowValues {
    FileTime created, modified;
    uint64_t size = 0;
};

class SearchSteps {
  public:
    SearchSteps(const SearchRequest& request, const SearchCallbacks& callbacks,
                SearchOutcome& outcome)
        : request_(request), cb_(callbacks), out_(outcome) {}

    // A folder entry is cancelCheck(), whatever the walk shows (the status
    // line), then admit(); enter() is both.
    void cancelCheck() { (void)cancelAsked(); }
    // The cancel check on its own: true (and the search stopped) when a stop was asked for.
    bool cancelAsked() {
        if (!cb_.cancelled || !cb_.cancelled()) return false;
        out_.stopped = true;
        return true;
    }
    void status(std::string_view text) const {
        if (cb_.status) cb_.status(text);
    }
    // False when the search stops at this entry: a stop was asked for, or
    // more rows than the limit were found before it (reported once, here).
    bool admit();
    bool enter() {
        cancelCheck();
        return admit();
    }
    // A row past the cap was found: nothing more is to be given.
    [[nodiscard]] bool capReached() const { return out_.capReached; }
    // More rows than the limit: the next folder entry stops the search.
    [[nodiscard]] bool overLimit() const {
        return request_.limit > 0 && out_.resultCount > request_.limit;
    }

    // A row whose name matched, in the folder parentChain() gives: counted
    // and handed on when it meets the size and date conditions (false when
    // not). The chain is asked for only when the row is handed on.
    template <class ChainOf>
    bool row(const std::string& stock, ChainOf&& parentChain, std::string_view name, bool folder,
             const RowValues& values) {
        if (!meetsFilters(request_.filters, values.size, values.modified, folder)) return false;
        if (request_.cap > 0 && out_.resultCount >= request_.cap) {
            out_.stopped = out_.capReached = true;
            return false;
        }
        ++out_.resultCount;
        if (cb_.hit) handOn(stock, parentChain(), name, folder, values);
        return true;
    }

  private:
    void handOn(const std::string& stock, const FolderChain& parent, std::string_view name,
                bool folder, const RowValues& values);

    const SearchRequest& request_;
    const SearchCallbacks& cb_;
    SearchOutcome& out_;
};

} // namespace zt
