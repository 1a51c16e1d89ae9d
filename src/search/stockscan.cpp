#include "search/stockscan.h"

#include "catalogue/foldertree.h"
#include "catalogue/stockrecords.h"
#include "platform/codec.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "search/searchsteps.h"

#include <vector>

namespace zt {

namespace {

// A wildcard pattern's name holds each of its literal runs: the longest one
// screens. A regular expression gives nothing to screen on.
scan::ByteKey keyOf(const SearchRequest& r, const std::string& text) {
    if (r.mode == MatchMode::Regex) {
        scan::ByteKey all;
        all.all = true;
        return all;
    }
    if (r.mode != MatchMode::Wildcard) return scan::makeByteKey(text, !r.caseSensitive);
    std::string longest;
    for (std::string& run : wildcardLiterals(text))
        if (run.size() > longest.size()) longest = std::move(run);
    return scan::makeByteKey(longest, !r.caseSensitive);
}

} // namespace

Needle::Needle(const SearchRequest& r)
    : mode(r.mode), caseSensitive(r.caseSensitive),
      text(r.caseSensitive || r.mode == MatchMode::Regex ? r.text : lowerAnsi(r.text)),
      key(keyOf(r, text)) {
    // A case-blind expression is compiled so, never lower-cased (\D is not \d).
    if (r.mode == MatchMode::Regex) regex = std::make_unique<RegexPattern>(r.text, r.caseSensitive);
}

bool Needle::matches(std::string_view name, std::string& lowered) const {
    if (regex) return regex->find(name);
    if (caseSensitive) return matchName(mode, name, text);
    lowered.assign(name);
    lowerAnsiInPlace(lowered);
    return matchName(mode, lowered, text);
}

namespace {

// What a row takes from a record's values.
using Values = StockValues;

// One stock searched as its pieces arrive. The folders open at the current
// record form a stack, like the stock loader's; a folder is "walked" when its
// entry passed the stop and limit checks, and only walked folders test their
// files and the names of their sub-folders. A record is only looked into when
// it is a folder's or holds a place the pre-pass found; folder names are
// decoded only when a row or the status line needs the path.
class StockScan {
  public:
    StockScan(PieceReader& in, const std::string& stock, SearchContext& c)
        : in_(in), stock_(stock), c_(c), cb_(c.callbacks),
          steps_(c.request, c.callbacks, c.outcome),
          wantFiles_(c.request.target != SearchTarget::Folders),
          wantFolders_(c.request.target != SearchTarget::Files), screened_(c.needle.key.filters()) {
    }

    void run() {
        pos_ = linesEnd(kStockHeaderLines);
        if (!enterFolder()) return; // the root is entered before its records
        path_ = "\\" + stock_;
        frames_.push_back({0, true, 0, path_.size(), {}});
        decoded_ = 1;
        linked_ = 1;
        for (;;) {
            // File records with no place of a possible match are passed over whole.
            const bool testFiles = wantFiles_ && frames_.back().walked;
            const size_t stop = !testFiles ? scan::kNoLine : screened_ ? nextPlace() : 0;
            pos_ = scan::passFileRecords(c_.index, data_, pos_, stop);
            const size_t end = linesEnd(kStockRecordLines);
            if (pos_ >= data_.size()) return;
            if (!record(end)) return;
            pos_ = end;
        }
    }

  private:
    struct Frame {
        int level;
        bool walked;
        size_t rawBegin;   // the folder's stored name in raw_ (walked folders)
        size_t pathLength; // path_ up to this folder, once decoded
        FolderChain chain; // the folder's link for rows, once a row needs it
    };

    // Drops the bytes before keepFrom, reads on and indexes what is held.
    void load(size_t keepFrom) {
        (void)in_.refill(keepFrom);
        data_ = in_.data();
        pos_ -= keepFrom;
        scan::indexBytes(data_, c_.needle.key, c_.index);
        nextCandidate_ = 0;
    }

    // Offset after `count` lines from pos_, reading on when they are not all
    // held yet; at the end of the input, the end of what there is.
    size_t linesEnd(int count) {
        for (;;) {
            const size_t end = scan::afterLineFeeds(c_.index, data_.size(), pos_, count);
            if (end != scan::kNoLine) return end;
            if (in_.atEnd()) return data_.size();
            load(pos_);
        }
    }

    // True when a place the pre-pass found lies in [from, end).
    bool placeIn(size_t from, size_t end) {
        const std::vector<uint32_t>& places = c_.index.candidates;
        while (nextCandidate_ < places.size() && places[nextCandidate_] < from)
            ++nextCandidate_;
        return nextCandidate_ < places.size() && places[nextCandidate_] < end;
    }
    // The first place at or after pos_ (kNoLine when there is none).
    size_t nextPlace() {
        return placeIn(pos_, scan::kNoLine) ? c_.index.candidates[nextCandidate_] : scan::kNoLine;
    }

    // The record at pos_ (whole in [pos_, end) unless the input ends in it);
    // false when the stock ends here.
    bool record(size_t end) {
        SpanLines lines{data_.data(), pos_, end};
        RecordCursor<SpanLines> in(lines, frames_.back().level);
        StockRecord r;
        if (!in.next(r)) return false;
        const std::string_view raw = r.name;
        if (!r.folder) {
            if (wantFiles_ && frames_.back().walked && test(raw)) addRow(in.values(), false);
            return true;
        }
        for (int i = 0; i < r.closes; ++i)
            pop();
        bool walked = frames_.back().walked;
        if (walked) {
            if (wantFolders_ && test(raw)) addRow(in.values(), true);
            walked = enterFolder();
        }
        frames_.push_back({r.depth, walked, raw_.size(), 0, {}});
        if (walked) raw_.append(raw);
        return true;
    }

    // Entering a folder below the innermost open one: the search's folder
    // entry, with the parent's path on the status line.
    bool enterFolder() {
        steps_.cancelCheck();
        if (cb_.status && c_.gate.due()) {
            decodePath();
            const size_t length = path_.size();
            path_ += kStatusSearching;
            cb_.status(path_);
            path_.resize(length);
        }
        return steps_.admit();
    }

    void pop() {
        raw_.resize(frames_.back().rawBegin);
        frames_.pop_back();
        if (decoded_ > frames_.size()) {
            decoded_ = frames_.size();
            path_.resize(frames_.empty() ? 0 : frames_.back().pathLength);
        }
        if (linked_ > frames_.size()) linked_ = frames_.size();
    }

    // The innermost open folder's link, made (with its parents') the first
    // time a row in it needs it.
    const FolderChain& innermostChain() {
        decodePath();
        for (; linked_ < frames_.size(); ++linked_) {
            const Frame& parent = frames_[linked_ - 1];
            Frame& f = frames_[linked_];
            const size_t from = parent.pathLength + 1;
            f.chain = FolderChain(parent.chain, path_.substr(from, f.pathLength - from));
        }
        return frames_.back().chain;
    }

    // Makes path_ the path of the innermost open folder (all open folders are
    // walked wherever a path is needed).
    void decodePath() {
        for (; decoded_ < frames_.size() && frames_[decoded_].walked; ++decoded_) {
            Frame& f = frames_[decoded_];
            const size_t rawEnd =
                decoded_ + 1 < frames_.size() ? frames_[decoded_ + 1].rawBegin : raw_.size();
            path_ += '\\';
            const size_t at = path_.size();
            cp932::decodeAppend(std::string_view(raw_).substr(f.rawBegin, rawEnd - f.rawBegin),
                                path_);
            path_.resize(at + trimNameEnd(std::string_view(path_).substr(at)).size());
            f.pathLength = path_.size();
        }
    }

    // Decodes the stored name raw into name_ when it may match, and tests it.
    bool test(std::string_view raw) {
        if (screened_) {
            const size_t begin = size_t(raw.data() - data_.data());
            if (!placeIn(begin, begin + raw.size())) return false;
        }
        name_.clear();
        cp932::decodeAppend(raw, name_);
        name_.resize(trimNameEnd(name_).size());
        return c_.needle.matches(name_, lowered_);
    }

    // A row for name_ in the innermost open folder, when it meets the conditions.
    void addRow(const Values& v, bool folder) {
        steps_.row(stock_, [this]() -> const FolderChain& { return innermostChain(); }, name_,
                   folder, {v.created, v.modified, v.size});
    }

    PieceReader& in_;
    const std::string& stock_;
    SearchContext& c_;
    const SearchCallbacks& cb_;
    SearchSteps steps_;
    const bool wantFiles_, wantFolders_, screened_;
    std::string_view data_; // what the reader holds
    size_t pos_ = 0;        // the next record
    size_t nextCandidate_ = 0;
    std::vector<Frame> frames_;
    size_t decoded_ = 0; // frames whose names are in path_
    size_t linked_ = 0;  // frames whose chain is made
    std::string raw_;    // stored names of the open walked folders, one after another
    std::string path_, name_, lowered_;
};

} // namespace

void scanStock(PieceReader& in, const std::string& stock, SearchContext& context) {
    StockScan(in, stock, context).run();
}

} // namespace zt
