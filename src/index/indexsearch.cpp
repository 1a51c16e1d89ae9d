#include "index/indexsearch.h"

#include "catalogue/foldertree.h"
#include "catalogue/stockrecords.h"
#include "platform/codec.h"
#include "platform/collate.h"
#include "platform/fileops.h"
#include "platform/placedlines.h"
#include "search/searchsteps.h"
#include "search/stockscan.h"

#include <algorithm>

namespace zt {

namespace {

// One record of the stock file read at its offset, as the scan reads it.
struct Record {
    bool folder = false;
    std::string name; // decoded, its end trimmed
    FileTime created, modified;
    uint64_t size = 0;
};

class StockReader {
  public:
    // Reads the stock file only while it is still the one the index was
    // built from (a stock updated meanwhile is scanned instead).
    StockReader(const std::filesystem::path& p, const FileStamp& builtFrom)
        : file_(p), ok_(file_.ok() && file_.stamp() == builtFrom) {}
    [[nodiscard]] bool ok() const { return ok_; }

    // The record at offset; false when the file cannot be read there.
    bool read(uint64_t offset, Record& r) {
        lines_.seek(offset);
        RecordCursor<PlacedLines> in(lines_, RecordCursor<PlacedLines>::kAnyDepth);
        StockRecord head;
        if (!in.next(head)) return false;
        r.folder = head.folder;
        r.name.clear();
        cp932::decodeAppend(head.name, r.name);
        r.name.resize(trimNameEnd(r.name).size());
        const StockValues v = in.values();
        if (lines_.failed()) return false;
        r.created = v.created;
        r.modified = v.modified;
        r.size = v.size;
        return true;
    }

  private:
    RandomAccessFile file_;
    bool ok_;
    PlacedLines lines_{file_, 1024}; // a record is a few hundred bytes
};

// Walks the candidates of one stock as the scan would meet them.
class IndexWalk {
  public:
    IndexWalk(const NameIndex& index, StockReader& reader, const std::string& stock,
              const SearchRequest& request, const SearchCallbacks& cb, SearchOutcome& out)
        : index_(index), reader_(reader), stock_(stock), request_(request), out_(out),
          steps_(request, cb, out), needle_(request), chains_(index.folderRecords().size()) {}

    bool run(const std::vector<uint32_t>& candidates);

  private:
    static constexpr size_t kRoot = SIZE_MAX;

    // The folder a folder is in, or kRoot.
    [[nodiscard]] size_t parentOf(size_t folder) const {
        const uint32_t p = index_.folderParents()[folder];
        return p == NameIndex::kNoParent ? kRoot : p;
    }

    // The folder index of the innermost folder record at or before record r
    // whose subtree holds r (r itself when r is a folder record), or kRoot.
    size_t folderOf(uint32_t record) const {
        const auto& f = index_.folderRecords();
        const auto it = std::upper_bound(f.begin(), f.end(), record);
        return it == f.begin() ? kRoot : size_t(it - f.begin()) - 1;
    }

    // Folder i's link (the top's for kRoot), made with those of its parents
    // the first time a row needs it, and kept for the other rows below it.
    const FolderChain& chainOf(size_t i) {
        static const FolderChain top;
        if (i == kRoot) return top;
        std::vector<size_t> missing;
        for (size_t f = i; f != kRoot && chains_[f].atTop(); f = parentOf(f))
            missing.push_back(f);
        for (auto f = missing.rbegin(); f != missing.rend(); ++f) {
            const size_t p = parentOf(*f);
            chains_[*f] =
                FolderChain(p == kRoot ? top : chains_[p], std::string(index_.folderName(*f)));
        }
        return chains_[i];
    }

    // The scan's rules for one record: the name test, then the search's row
    // (the size and date). False when it gives no row.
    bool addRow(const Record& r, size_t parent) {
        return needle_.matches(r.name, lowered_) &&
               steps_.row(stock_, [&]() -> const FolderChain& { return chainOf(parent); }, r.name,
                          r.folder, {r.created, r.modified, r.size});
    }

    const NameIndex& index_;
    StockReader& reader_;
    const std::string& stock_;
    const SearchRequest& request_;
    SearchOutcome& out_;
    SearchSteps steps_;
    const Needle needle_;
    std::string lowered_;
    std::vector<FolderChain> chains_; // by folder index, made when first needed
};

bool IndexWalk::run(const std::vector<uint32_t>& candidates) {
    steps_.status("\\" + stock_ + std::string(kStatusSearching));
    if (!steps_.enter()) return true; // the root: stopped before this stock began
    if (candidates.empty()) return true;
    const bool wantFiles = request_.target != SearchTarget::Folders;
    const bool wantFolders = request_.target != SearchTarget::Files;
    const auto& folders = index_.folderRecords();
    // Where the search stops: the first folder entry after the result count
    // went over the limit (or a stop was asked for). Until then every folder
    // is entered; after it, only the folders open there still test the names
    // of their remaining subfolders.
    std::optional<size_t> stopAt;
    std::vector<bool> openAtStop;
    Record r;
    for (const uint32_t record : candidates) {
        if (steps_.capReached()) return true; // no later row can be given
        // A stop asked for meanwhile takes effect at the next folder entry.
        if (!stopAt && openAtStop.empty() && !out_.stopped && steps_.cancelAsked()) {
            // With no folder left to enter, this stock's remaining files are
            // still tested; the next stock is not searched.
            const auto next = std::lower_bound(folders.begin(), folders.end(), record);
            if (next != folders.end()) stopAt = size_t(next - folders.begin());
        }
        if (stopAt && folders[*stopAt] <= record && openAtStop.empty()) {
            // Reaching the stop: its folder's entry is where the scan stops.
            if (!steps_.enter()) {
                openAtStop.assign(folders.size() + 1, false);
                for (size_t p = parentOf(*stopAt); p != kRoot; p = parentOf(p))
                    openAtStop[p] = true;
                openAtStop.back() = true; // the root
            } else {
                stopAt.reset();
            }
        }
        const size_t folder = folderOf(record);
        const bool isFolderRecord = folder != kRoot && folders[folder] == record;
        const size_t parent = isFolderRecord ? parentOf(folder) : folder;
        if (!openAtStop.empty()) {
            if (!isFolderRecord) continue;
            if (!openAtStop[parent == kRoot ? folders.size() : parent]) continue;
        }
        if (isFolderRecord ? !wantFolders : !wantFiles) continue;
        const uint64_t at =
            isFolderRecord ? index_.folderOffsets()[folder] : index_.recordOffset(record);
        if (!reader_.read(at, r) || r.folder != isFolderRecord) return false;
        if (!addRow(r, parent)) continue;
        if (openAtStop.empty() && !stopAt && steps_.overLimit()) {
            // The next folder entry: this folder's own, or the next folder record.
            const auto next = std::lower_bound(folders.begin(), folders.end(),
                                               isFolderRecord ? record : record + 1);
            // No folder entered again in this stock: the next stock's top stops it.
            if (next != folders.end()) stopAt = size_t(next - folders.begin());
        }
    }
    // Past the last candidate: a pending stop still happens at its folder.
    if (stopAt && openAtStop.empty()) (void)steps_.enter();
    return true;
}

} // namespace

std::vector<uint32_t> requestTrigrams(const SearchRequest& request) {
    // The index folds names as a case-blind search does; a case-sensitive
    // text narrows by the same folded trigrams and is settled exactly later.
    const std::string folded = lowerAnsi(request.text);
    switch (request.mode) {
    case MatchMode::Regex:
        return {};
    case MatchMode::Wildcard: {
        // A matching name holds every literal run of the pattern.
        std::vector<uint32_t> all;
        for (const std::string& run : wildcardLiterals(folded))
            for (const uint32_t t : trigramsOf(run))
                all.push_back(t);
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }
    default:
        return trigramsOf(folded);
    }
}

void searchNoCandidates(const std::string& stock, const SearchRequest& request,
                        const SearchCallbacks& callbacks, SearchOutcome& outcome) {
    SearchSteps steps(request, callbacks, outcome);
    steps.status("\\" + stock + std::string(kStatusSearching));
    (void)steps.enter();
}

IndexSearchStatus searchWithIndex(NameIndex& index, const std::filesystem::path& stockFile,
                                  const std::string& stock, const SearchRequest& request,
                                  const std::vector<uint32_t>& trigrams,
                                  const SearchCallbacks& callbacks, SearchOutcome& outcome) {
    if (trigrams.empty()) return IndexSearchStatus::Unusable;
    const auto candidates = index.candidates(trigrams);
    // The record places are read only for a stock with something to place.
    if (!candidates || (!candidates->empty() && !index.loadFolders()))
        return IndexSearchStatus::Damaged;
    // Nothing to read: the stock file need not even be opened.
    if (candidates->empty()) {
        searchNoCandidates(stock, request, callbacks, outcome);
        return IndexSearchStatus::Done;
    }
    StockReader reader(stockFile, index.builtFrom());
    if (!reader.ok()) return IndexSearchStatus::Unusable;
    const bool limitBefore = outcome.limitExceeded;
    SearchOutcome attempt = outcome;
    std::vector<SearchHit> hits;
    SearchCallbacks collect = callbacks;
    collect.hit = [&hits](const SearchHit& h) { hits.push_back(h); };
    collect.limitExceeded = nullptr;
    IndexWalk walk(index, reader, stock, request, collect, attempt);
    // Rows are handed on only once the stock was read through: a read that
    // fails half way leaves the caller free to scan it instead. The file is
    // the one the index was built from, so a place that holds no record of
    // the kind the index says is the index's fault.
    if (!walk.run(*candidates)) return IndexSearchStatus::Damaged;
    outcome = attempt;
    if (callbacks.hit)
        for (const SearchHit& h : hits)
            callbacks.hit(h);
    if (outcome.limitExceeded && !limitBefore && callbacks.limitExceeded)
        callbacks.limitExceeded(kMessageLimitExceeded);
    return IndexSearchStatus::Done;
}

} // namespace zt
