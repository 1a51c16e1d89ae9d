#include "search/engine.h"
#include "search/patterns.h"

#include "catalogue/foldertree.h"
#include "catalogue/stockfile.h"
#include "library/names.h"
#include "platform/codec.h"
#include "platform/collate.h"
#include "platform/textfile.h"
#include "platform/utf8.h"
#include "search/scan.h"

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
    case MatchMode::Regex:
        return RegexPattern(text, true).find(name); // a search compiles its pattern once
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

namespace {

// The search text made ready once per search.
struct Needle {
    std::string text;       // lower-cased unless case-sensitive
    bool rawFilter = false; // names can be screened on their undecoded bytes
    bool foldCase = false;

    explicit Needle(const SearchRequest& r)
        : text(r.caseSensitive ? r.text : lowerAnsi(r.text)), foldCase(!r.caseSensitive) {
        // An ASCII text is found in a decoded name only if its bytes (up to
        // ASCII case) are in the stored CP932 line as well: every ASCII
        // character of a decoded name is the same byte in the line, except
        // what a "&#N;" reference stands for, and lines holding '&' are always
        // decoded. Every test needs the text inside the name, so a line that
        // holds neither can be passed over undecoded.
        rawFilter = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        });
    }
};

struct Values {
    FileTime created, modified;
    uint64_t size = 0;
};

// A missing line (end of file) counts as 0, as the stock loader reads it.
uint32_t nextValue(scan::LineScanner& in) {
    std::string_view line;
    return in.next(line) ? parseStockNumber(line) : 0;
}

Values readValues(scan::LineScanner& in) {
    Values v;
    const uint32_t createdLow = nextValue(in);
    v.created = FileTime::fromHalves(createdLow, nextValue(in));
    in.skip(2); // last access: not carried
    const uint32_t modifiedLow = nextValue(in);
    v.modified = FileTime::fromHalves(modifiedLow, nextValue(in));
    const uint32_t sizeHigh = nextValue(in);
    v.size = (uint64_t(sizeHigh) << 32) | nextValue(in);
    return v;
}

bool isMinusOne(std::string_view line) {
    return line == "-1" || int32_t(parseStockNumber(line)) == -1;
}

// One stock file searched as it streams. The folders open at the current
// record form a stack, like the stock loader's; a folder is "walked" when its
// entry passed the stop and limit checks, and only walked folders test their
// files and the names of their sub-folders.
class StockScan {
  public:
    StockScan(const Needle& needle, const std::string& stock, const SearchRequest& request,
              const SearchCallbacks& callbacks, SearchOutcome& outcome, scan::ByteIndex& index)
        : needle_(needle), stock_(stock), request_(request), cb_(callbacks), out_(outcome),
          index_(index) {}

    void run(std::string_view bytes) {
        scan::indexBytes(bytes,
                         needle_.rawFilter ? std::string_view(needle_.text) : std::string_view(),
                         needle_.foldCase, index_);
        scan::LineScanner in(bytes, index_);
        std::string_view line;
        (void)in.next(line);                  // format mark
        (void)in.next(line);                  // folder count
        if (!SearchFolder(0, stock_)) return; // the root is entered before its records
        frames_.push_back({0, path_.size(), true});

        const bool wantFiles = request_.target != SearchTarget::Folders;
        const bool wantFolders = request_.target != SearchTarget::Files;
        while (in.next(line)) {
            if (isMinusOne(line)) {
                std::string_view raw;
                if (!in.next(raw)) break;
                if (wantFiles && frames_.back().walked && test(in, raw)) {
                    addRow(readValues(in), false);
                } else {
                    in.skip(8);
                }
                continue;
            }
            const int depth = int(int32_t(parseStockNumber(line)));
            while (!frames_.empty() && depth != frames_.back().level + 1)
                pop();
            if (frames_.empty()) break; // a depth that fits no open folder ends the stock
            std::string_view raw;
            if (!in.next(raw)) break;
            const Frame parent = frames_.back();
            if (!parent.walked) {
                in.skip(8);
                frames_.push_back({depth, 0, false});
                continue;
            }
            const Values v = readValues(in);
            if (wantFolders && test(in, raw)) {
                path_.resize(parent.pathLength);
                addRow(v, true);
            } else {
                decodeName(raw);
            }
            // The name is in name_ (trimmed); enter the folder.
            const bool walked = SearchFolder(parent.pathLength, name_);
            if (walked) folders_.push_back(name_);
            frames_.push_back({depth, path_.size(), walked});
        }
    }

  private:
    struct Frame {
        int level;
        size_t pathLength; // path_ up to this folder (walked folders only)
        bool walked;
    };

    // Entering a folder: pending work runs, the status line shows the parent's
    // path, then the stop and the result limit are checked. On success path_
    // becomes the folder's path.
    bool SearchFolder(size_t parentPathLength, std::string_view name) {
        if (cb_.pump && cb_.pump()) out_.stopped = true;
        if (cb_.status) {
            status_.assign(path_, 0, parentPathLength);
            status_ += kStatusSearching;
            cb_.status(status_);
        }
        if (out_.stopped) return false;
        if (request_.limit > 0 && out_.resultCount > request_.limit) {
            out_.stopped = true;
            out_.limitExceeded = true;
            if (cb_.limitExceeded) cb_.limitExceeded(kMessageLimitExceeded);
            return false;
        }
        path_.resize(parentPathLength);
        path_ += '\\';
        path_ += name;
        return true;
    }

    void pop() {
        if (frames_.back().walked && frames_.size() > 1) folders_.pop_back();
        frames_.pop_back();
    }

    void decodeName(std::string_view raw) {
        decoded_.clear();
        cp932::decodeAppend(raw, decoded_);
        decoded_.resize(trimNameEnd(decoded_).size());
        name_.assign(decoded_);
    }

    // Decodes the name line raw into name_ when it may match, and tests it.
    bool test(const scan::LineScanner& in, std::string_view raw) {
        if (needle_.rawFilter) {
            const size_t begin = in.offsetOf(raw), end = begin + raw.size();
            const std::vector<size_t>& candidates = index_.candidates;
            while (nextCandidate_ < candidates.size() && candidates[nextCandidate_] < begin)
                ++nextCandidate_;
            if (nextCandidate_ == candidates.size() || candidates[nextCandidate_] >= end)
                return false;
        }
        decodeName(raw);
        if (request_.caseSensitive) return matchName(request_.mode, name_, needle_.text);
        lowered_.assign(name_);
        lowerAnsiInPlace(lowered_);
        return matchName(request_.mode, lowered_, needle_.text);
    }

    // A row for name_ in the folder whose path is path_.
    void addRow(const Values& v, bool folder) {
        ++out_.resultCount;
        if (!cb_.hit) return;
        SearchHit hit;
        hit.name = name_;
        hit.path = path_ + '\\' + name_;
        hit.stock = stock_;
        hit.folders = folders_;
        if (folder) hit.folders.push_back(name_);
        hit.created = v.created;
        hit.modified = v.modified;
        hit.size = v.size;
        hit.isFolder = folder;
        cb_.hit(hit);
    }

    const Needle& needle_;
    const std::string& stock_;
    const SearchRequest& request_;
    const SearchCallbacks& cb_;
    SearchOutcome& out_;
    std::vector<Frame> frames_;
    scan::ByteIndex& index_;           // line ends and the places names may hold the text
    size_t nextCandidate_ = 0;         // first candidate not yet passed
    std::vector<std::string> folders_; // names of the walked folders below the root
    std::string path_, status_, decoded_, name_, lowered_;
};

void searchBytes(const Needle& needle, std::string_view bytes, const std::string& stock,
                 const SearchRequest& request, const SearchCallbacks& callbacks,
                 SearchOutcome& outcome, scan::ByteIndex& index) {
    StockScan(needle, stock, request, callbacks, outcome, index).run(bytes);
}

} // namespace

void searchStockBytes(std::string_view bytes, const std::string& stock,
                      const SearchRequest& request, const SearchCallbacks& callbacks,
                      SearchOutcome& outcome) {
    scan::ByteIndex index;
    searchBytes(Needle(request), bytes, stock, request, callbacks, outcome, index);
}

SearchOutcome searchStocks(const SearchRequest& request, const SearchCallbacks& callbacks) {
    SearchOutcome outcome;
    if (callbacks.status) callbacks.status(kStatusProcessing);
    const Needle needle(request);
    scan::ByteIndex index; // reused from stock to stock
    for (const std::string& stock : request.stocks) {
        if (outcome.stopped) break;
        const auto path = stockFilePath(request.dataDir, stock);
        std::optional<std::string> bytes;
        if (path) bytes = readFileBytes(*path);
        if (!bytes) {
            outcome.skippedStocks.push_back(stock);
            continue;
        }
        searchBytes(needle, *bytes, stock, request, callbacks, outcome, index);
    }
    return outcome;
}

} // namespace zt
