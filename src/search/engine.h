#pragma once
// Finding files and folders by name in stocks.
//
// Each chosen stock file is read once, piece by piece through one buffer, and
// searched as it streams: the records of a stock file come in the order of a
// depth-first walk (a folder's files, then each sub-folder's record followed
// by that sub-folder's own records), so hits, folder entries, the stop and the
// result limit happen in the order of that walk without building a tree first.
// A pre-pass over each piece finds the places where a stored name may hold the
// text; only the records around them are decoded and tested.
#include "platform/filetime.h"
#include "search/folderchain.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class PieceReader;

// Wildcard: "*" any run of characters, "?" one character, on the whole name.
// Regex: ICU regular expressions, found anywhere in the name.
enum class MatchMode { Contains = 0, Exact = 1, Prefix = 2, Suffix = 3, Wildcard = 4, Regex = 5 };
enum class SearchTarget { FilesAndFolders = 0, Files = 1, Folders = 2 };

// Byte offset of the first occurrence of text in name that starts on a
// character boundary (UTF-8 text never matches inside a character);
// npos when there is none or either text is empty.
[[nodiscard]] size_t findOnBoundary(std::string_view name, std::string_view text);

// The name tests. For a case-blind search both sides are already lower-cased.
[[nodiscard]] bool matchContains(std::string_view name, std::string_view text);
[[nodiscard]] bool matchExact(std::string_view name, std::string_view text); // compareLocale == 0
[[nodiscard]] bool matchPrefix(std::string_view name, std::string_view text);
// Every name that ends with text (abcabc ends with abc).
[[nodiscard]] bool matchSuffix(std::string_view name, std::string_view text);
// The four text tests and wildcards (a regular expression is compiled once
// per search and tested by the search itself: false here).
[[nodiscard]] bool matchName(MatchMode mode, std::string_view name, std::string_view text);

// Size cell: "0KB" below 1000 bytes, else the size in thousands of bytes
// (truncated) grouped by threes: 1,234KB.
[[nodiscard]] std::string formatSizeText(uint64_t size);
// Date cell in local time, "2001/3/5 9:7:3"; "" for a zero time.
[[nodiscard]] std::string formatDateText(FileTime t);

struct SearchHit {
    std::string name;   // as stored (not lower-cased)
    std::string stock;  // the stock searched
    FolderChain parent; // the folder holding the row, shared with the other rows in it
    // The file's or folder's own values (a folder's times as it was read).
    FileTime created;
    FileTime modified;
    uint64_t size = 0;
    bool isFolder = false;

    // "\stock\folder\name", made when asked for (a deep stock's rows would
    // otherwise hold its paths' lengths squared).
    [[nodiscard]] std::string path() const;
    // Folder names from below the stock's root down to the row's folder (a
    // folder row ends with itself).
    [[nodiscard]] std::vector<std::string> folders() const;
};

// The five cell texts of a row: name, path, size, created, modified. Folder
// rows have an empty size and an empty modified cell.
struct ResultCells {
    std::string name, path, size, created, modified;
};
[[nodiscard]] ResultCells makeCells(const SearchHit& hit);

inline constexpr int kSearchResultLimit = 10000;
inline constexpr std::string_view kMessageLimitExceeded =
    "検索できる最大数を超えました。条件を設定し直してください";
inline constexpr std::string_view kStatusProcessing = "処理中";
inline constexpr std::string_view kStatusSearching = " を検索しています";

// Conditions a row must meet besides its name. A size filter selects files
// only (folders have no size); a date filter compares the modified time and
// never selects an item whose time is not known.
struct SearchFilters {
    std::optional<uint64_t> minSize, maxSize; // bytes, inclusive
    std::optional<FileTime> modifiedFrom;     // at or after
    std::optional<FileTime> modifiedBefore;   // strictly before

    [[nodiscard]] bool any() const { return minSize || maxSize || modifiedFrom || modifiedBefore; }
};

// Whether a file or folder with these values meets the conditions.
[[nodiscard]] bool meetsFilters(const SearchFilters& f, uint64_t size, FileTime modified,
                                bool folder);

struct SearchRequest {
    std::filesystem::path dataDir;
    std::vector<std::string> stocks; // the chosen stocks, searched in this order
    std::string text; // as typed; lower-cased here unless caseSensitive (a case-blind
                      // regular expression is compiled case-blind instead)
    MatchMode mode = MatchMode::Contains;
    SearchTarget target = SearchTarget::FilesAndFolders;
    bool caseSensitive = false;
    int limit = kSearchResultLimit; // more rows than this at a folder entry stop it; 0: no limit
    // At most this many rows (0: no cap), for a caller that promises an exact
    // count: the row after them is not given, and stops the search at once.
    int cap = 0;
    SearchFilters filters;
};

struct SearchCallbacks {
    // The cancel check, at every folder entry before anything else: true when
    // a stop was asked for.
    std::function<bool()> cancelled;
    // The status line: "処理中" at the start, then at folder entries the path
    // of the folder's parent + " を検索しています". Unset: no status display.
    std::function<void(std::string_view)> status;
    // The status line changes at most this often (zero: at every folder entry),
    // so a deep or large stock does not spend its time on status texts.
    std::chrono::milliseconds statusInterval{50};
    // A row was found (the result count already includes it).
    std::function<void(const SearchHit&)> hit;
    // More than the limit's rows at a folder entry: the search stops.
    std::function<void(std::string_view message)> limitExceeded;
};

struct SearchOutcome {
    int resultCount = 0;
    bool stopped = false; // by the stop request or the limit
    bool limitExceeded = false;
    bool capReached = false; // a row past the cap was found (and not given)
    std::vector<std::string> skippedStocks; // missing, unreadable or unsafe names
    int namesTimedOut = 0; // names a regular expression took too long on (taken as not matching)
};

// Another way to search one stock with the same results (its name index):
// true when it searched the stock, false to leave the stock to the scan.
using StockShortcut = std::function<bool(const std::string& stock, SearchOutcome& outcome)>;

// Searches the chosen stocks in order until all are done or the search stops.
// A stock whose file cannot be read is skipped and listed in the outcome (one
// that fails part way keeps the rows found before and is listed too).
SearchOutcome searchStocks(const SearchRequest& request, const SearchCallbacks& callbacks,
                           const StockShortcut& shortcut = {});

// The same over stock file bytes already in memory (one stock named `stock`);
// result count and stop carry over between calls through `outcome`.
void searchStockBytes(std::string_view bytes, const std::string& stock,
                      const SearchRequest& request, const SearchCallbacks& callbacks,
                      SearchOutcome& outcome);

// The same over a reader already opened (on a file or on bytes).
void searchStock(PieceReader& in, const std::string& stock, const SearchRequest& request,
                 const SearchCallbacks& callbacks, SearchOutcome& outcome);

} // namespace zt
