// Arbitrary bytes as a stock file to search: the streaming search never
// crashes and finds exactly what a walk over the loaded tree finds, in the
// same order. The first bytes choose the text, mode, target and case.
#include "catalogue/stockfile.h"
#include "platform/collate.h"
#include "search/engine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void walk(const zt::SearchRequest& r, const std::string& text, const std::string& parentPath,
          const zt::FolderNode* node, std::vector<std::string>& hits) {
    const std::string path = parentPath + "\\" + node->name;
    auto test = [&](std::string_view name) {
        return zt::matchName(r.mode, r.caseSensitive ? std::string(name) : zt::lowerAnsi(name),
                             text);
    };
    if (r.target != zt::SearchTarget::Folders)
        for (const zt::FileRecord* f = node->firstFile; f; f = f->next)
            if (test(f->name())) hits.push_back(path + "\\" + std::string(f->name()));
    for (const zt::FolderNode* child : node->children) {
        if (r.target != zt::SearchTarget::Files && test(child->name))
            hits.push_back(path + "\\" + child->name);
        walk(r, text, path, child, hits);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned options = data[0];
    const size_t textLength = 1 + (data[1] & 3);
    if (size < 2 + textLength) return 0;
    zt::SearchRequest r;
    r.mode = zt::MatchMode(options & 3);
    r.target = zt::SearchTarget(((options >> 2) & 3) % 3);
    r.caseSensitive = (options >> 4) & 1;
    r.text.assign(reinterpret_cast<const char*>(data + 2), textLength);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2 + textLength),
                                 size - 2 - textLength);

    std::vector<std::string> got;
    zt::SearchCallbacks cb;
    cb.hit = [&](const zt::SearchHit& h) { got.push_back(h.path); };
    zt::SearchOutcome out;
    zt::searchStockBytes(bytes, "S", r, cb, out);

    zt::FolderTree tree;
    zt::parseStock(bytes, "S", tree);
    std::vector<std::string> expected;
    walk(r, r.caseSensitive ? r.text : zt::lowerAnsi(r.text), "", tree.root(), expected);
    // Below the limit both agree exactly (the limit is tested on its own).
    if (expected.size() <= size_t(zt::kSearchResultLimit)) check(got == expected);
    check(out.resultCount == int(got.size()));
    return 0;
}
