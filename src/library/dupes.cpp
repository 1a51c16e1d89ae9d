#include "library/dupes.h"

#include "catalogue/stockrecords.h"
#include "library/checksumstore.h"
#include "platform/codec.h"
#include "platform/piecereader.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace zt {

namespace {

// The checksum a file's content had when it was read, when that is still
// the file the stock records (same size and time).
const FileSum* contentOf(const ChecksumSet* sums, uint32_t folder, const FileRecord& f) {
    const FileSum* s = sums && folder != ChecksumSet::kNone ? sums->file(folder, f.name()) : nullptr;
    return s && s->readable && s->size == f.size && s->modified == f.modified ? s : nullptr;
}

uint64_t keyHash(const DupeRequest& r, std::string_view name, uint64_t size, const FileSum* sum) {
    const uint64_t h = r.key == DupeKey::Size      ? 0
                       : r.key == DupeKey::Content ? sum->hash.low ^ (sum->hash.high << 1)
                                                   : std::hash<std::string_view>{}(name);
    return h ^ (size * 0x9E3779B97F4A7C15ull);
}

// Calls visit(folders, file, sum) for every file of the tree, without
// recursion; sum is its content checksum from sums (null when none).
template <class Visit>
void forEachFile(const FolderTree& tree, const ChecksumSet* sums, Visit&& visit) {
    if (!tree.root()) return;
    std::vector<FolderChain> folders{FolderChain()};
    std::vector<uint32_t> at{sums ? ChecksumSet::kTop : ChecksumSet::kNone};
    std::vector<std::pair<const FolderNode*, size_t>> stack{{tree.root(), 0}};
    for (const FileRecord* f = tree.root()->firstFile; f; f = f->next)
        visit(folders.back(), *f, contentOf(sums, at.back(), *f));
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next == node->children.size()) {
            stack.pop_back();
            folders.pop_back();
            at.pop_back();
            continue;
        }
        const FolderNode* child = node->children[next++];
        folders.emplace_back(folders.back(), std::string(child->name));
        at.push_back(sums ? sums->folder(at.back(), child->name) : ChecksumSet::kNone);
        for (const FileRecord* f = child->firstFile; f; f = f->next)
            visit(folders.back(), *f, contentOf(sums, at.back(), *f));
        stack.emplace_back(child, 0);
    }
}

// A stock's checksums, for grouping by content (null otherwise or when it has none).
const ChecksumSet* sumsFor(const StockLibrary& library, const DupeRequest& request,
                           const std::string& stock, ChecksumSet& holder) {
    if (request.key != DupeKey::Content) return nullptr;
    return loadChecksums(library.dataDir(), stock, holder) == SumsState::Usable ? &holder
                                                                               : nullptr;
}

// Calls take(hash) with the key hash of every file of a stock (of the
// request's least size), reading its file record by record as the loader
// would; take returns false to stop early. Not for a key by content, which
// needs the stock's checksums beside its tree.
template <class Take>
StockResult hashFiles(const StockLibrary& library, const std::string& stock,
                      const DupeRequest& request, Take&& take) {
    const auto path = library.stockFile(stock);
    if (!path) return StockResult::fail(StockFailure::NameRefused, messageNameNotAllowed(stock));
    PieceReader in;
    if (!in.open(*path)) return StockResult::fail(StockFailure::CannotOpen, messageCannotOpen(*path));
    PieceLines lines(in);
    RecordCursor<PieceLines> records(lines);
    (void)records.header();
    StockRecord r;
    std::string name;
    while (records.next(r)) {
        if (r.folder) continue;
        name.clear();
        cp932::decodeAppend(r.name, name); // before the values: the line lasts till then
        const uint64_t size = records.values().size;
        if (size >= request.minSize && !take(keyHash(request, name, size, nullptr))) return {};
    }
    if (in.failed()) return StockResult::fail(StockFailure::CannotOpen, messageCannotOpen(*path));
    return {};
}

} // namespace

StockOutcome<std::vector<DupeGroup>> findDuplicates(const StockLibrary& library,
                                                    const DupeRequest& request) {
    StockOutcome<std::vector<DupeGroup>> out;
    // The list read once: every stock asked for must be on it.
    const auto listed = library.names();
    if (!listed.ok()) {
        static_cast<StockResult&>(out) = listed;
        return out;
    }
    const std::unordered_set<std::string_view> isListed(listed.value.begin(), listed.value.end());
    const bool byContent = request.key == DupeKey::Content;
    ChecksumSet sums;
    // First pass: the hash of every file's key, streamed (no tree is built)
    // unless the key is the content. Sorted, the hashes that occur twice or
    // more are kept: eight bytes a file at the peak, where a table of counts
    // took several times that.
    std::vector<uint64_t> hashes;
    for (const std::string& stock : request.stocks) {
        if (!isListed.contains(stock)) {
            out.failure = StockFailure::NoSuchStock;
            out.message = messageNoSuchStock(stock);
            return out;
        }
        if (!byContent) {
            const auto keep = [&hashes](uint64_t h) {
                hashes.push_back(h);
                return true;
            };
            if (StockResult r = hashFiles(library, stock, request, keep); !r.ok()) {
                static_cast<StockResult&>(out) = r;
                return out;
            }
            continue;
        }
        const auto opened = library.openListed(stock);
        if (!opened.ok()) {
            static_cast<StockResult&>(out) = opened;
            return out;
        }
        forEachFile(opened.value.tree, sumsFor(library, request, stock, sums),
                    [&](const FolderChain&, const FileRecord& f, const FileSum* sum) {
                        if (f.size < request.minSize) return;
                        if (!sum) {
                            if (request.unchecked) ++*request.unchecked;
                            return;
                        }
                        hashes.push_back(keyHash(request, f.name(), f.size, sum));
                    });
    }
    std::sort(hashes.begin(), hashes.end());
    size_t kept = 0;
    for (size_t i = 0; i + 1 < hashes.size(); ++i)
        if (hashes[i] == hashes[i + 1] && (kept == 0 || hashes[kept - 1] != hashes[i]))
            hashes[kept++] = hashes[i];
    hashes.resize(kept);
    hashes.shrink_to_fit();
    const auto repeated = [&hashes](uint64_t h) {
        return std::binary_search(hashes.begin(), hashes.end(), h);
    };
    // Second pass: the files whose hash occurs twice or more, grouped by their real key.
    std::map<std::pair<uint64_t, std::string>, DupeGroup> groups;
    for (const std::string& stock : request.stocks) {
        // Only a stock holding a repeated key is loaded (and sorted) whole.
        if (!byContent) {
            bool any = false;
            const auto look = [&](uint64_t h) { return !(any = repeated(h)); };
            if (StockResult r = hashFiles(library, stock, request, look); !r.ok() || !any) {
                if (r.ok()) continue;
                static_cast<StockResult&>(out) = r;
                return out;
            }
        }
        const auto opened = library.openListed(stock);
        if (!opened.ok()) {
            static_cast<StockResult&>(out) = opened;
            return out;
        }
        const ChecksumSet* s = sumsFor(library, request, stock, sums);
        forEachFile(opened.value.tree, s, [&](const FolderChain& folders, const FileRecord& f,
                                              const FileSum* sum) {
            if (f.size < request.minSize || (byContent && !sum)) return;
            if (!repeated(keyHash(request, f.name(), f.size, sum))) return;
            const std::string name = request.key == DupeKey::Size      ? std::string()
                                     : request.key == DupeKey::Content ? hashText(sum->hash)
                                                                       : std::string(f.name());
            DupeGroup& g = groups[{f.size, name}];
            g.size = f.size;
            g.files.push_back(
                {stock, folders, std::string(f.name()), f.size, f.created, f.modified});
        });
    }
    for (auto& [key, group] : groups)
        if (group.files.size() >= 2) out.value.push_back(std::move(group));
    std::stable_sort(out.value.begin(), out.value.end(),
                     [](const DupeGroup& a, const DupeGroup& b) {
                         if (a.files.size() != b.files.size())
                             return a.files.size() > b.files.size();
                         return a.size > b.size;
                     });
    return out;
}

SearchHit dupeHit(const DupeFile& f) {
    SearchHit hit;
    hit.name = f.name;
    hit.stock = f.stock;
    hit.parent = f.folders;
    hit.size = f.size;
    hit.created = f.created;
    hit.modified = f.modified;
    return hit;
}

bool writeDupesCsv(const std::vector<DupeGroup>& groups, const CsvWriter::Sink& sink) {
    static constexpr std::string_view kHeader[] = {
        "グループ", "ファイル・フォルダ名", "パス", "サイズ", "作成日時", "更新日時"};
    CsvWriter file(sink, kHeader);
    for (size_t g = 0; g < groups.size(); ++g)
        for (const DupeFile& f : groups[g].files) {
            const ResultCells c = makeCells(dupeHit(f));
            file.row({std::to_string(g + 1), c.name, c.path, c.size, c.created, c.modified});
        }
    return file.finish();
}

bool saveDupesCsv(const std::filesystem::path& path, const std::vector<DupeGroup>& groups,
                  std::string* why) {
    InPlaceFileWriter file;
    bool ok = file.open(path);
    if (ok) {
        ok = writeDupesCsv(groups, [&file](std::string_view piece) { return file.write(piece); });
        ok = file.close() && ok;
    }
    if (!ok && why) *why = file.why();
    return ok;
}

} // namespace zt
