#include "library/dupes.h"

#include "library/checksumstore.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>

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

} // namespace

StockOutcome<std::vector<DupeGroup>> findDuplicates(const StockLibrary& library,
                                                    const DupeRequest& request) {
    StockOutcome<std::vector<DupeGroup>> out;
    // First pass: how often each key (by its hash) occurs.
    std::unordered_map<uint64_t, uint32_t> counts;
    const bool byContent = request.key == DupeKey::Content;
    ChecksumSet sums;
    for (const std::string& stock : request.stocks) {
        const auto opened = library.open(stock);
        if (!opened.ok()) {
            static_cast<StockResult&>(out) = opened;
            return out;
        }
        const ChecksumSet* s = sumsFor(library, request, stock, sums);
        forEachFile(opened.value.tree, s,
                    [&](const FolderChain&, const FileRecord& f, const FileSum* sum) {
                        if (f.size < request.minSize) return;
                        if (byContent && !sum) {
                            if (request.unchecked) ++*request.unchecked;
                            return;
                        }
                        ++counts[keyHash(request, f.name(), f.size, sum)];
                    });
    }
    // Second pass: the files whose hash occurs twice or more, grouped by their real key.
    std::map<std::pair<uint64_t, std::string>, DupeGroup> groups;
    for (const std::string& stock : request.stocks) {
        const auto opened = library.open(stock);
        if (!opened.ok()) {
            static_cast<StockResult&>(out) = opened;
            return out;
        }
        const ChecksumSet* s = sumsFor(library, request, stock, sums);
        forEachFile(opened.value.tree, s, [&](const FolderChain& folders, const FileRecord& f,
                                              const FileSum* sum) {
            if (f.size < request.minSize || (byContent && !sum)) return;
            const auto it = counts.find(keyHash(request, f.name(), f.size, sum));
            if (it == counts.end() || it->second < 2) return;
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

} // namespace zt
