// Arbitrary bytes as a stock file to search: the streaming search never
// crashes and finds exactly what a walk over the loaded tree finds, in the
// same order, whatever the size of the pieces it reads. The first bytes
// choose the text, mode (all six), target, case and piece size.
#include "catalogue/stockfile.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "search/engine.h"
#include "search/patterns.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// The search as a walk over the loaded tree, with an explicit stack: a deep
// input must not exhaust the fuzzer's own stack.
std::vector<std::string> walk(const zt::SearchRequest& r, const std::string& text,
                              const zt::FolderNode* root) {
    std::vector<std::string> hits;
    // A regular expression is compiled as typed (case-blind by its own flag).
    zt::RegexPattern regex(r.text, r.caseSensitive);
    auto test = [&](std::string_view name) {
        if (r.mode == zt::MatchMode::Regex) return regex.find(name);
        return zt::matchName(r.mode, r.caseSensitive ? std::string(name) : zt::lowerAnsi(name),
                             text);
    };
    // A folder's own name is tested when it is taken from the stack, before
    // its files and its sub-folders, as the recursive walk has it.
    std::vector<std::pair<const zt::FolderNode*, std::string>> stack{{root, "\\" + root->name}};
    while (!stack.empty()) {
        auto [node, path] = std::move(stack.back());
        stack.pop_back();
        if (node != root && r.target != zt::SearchTarget::Files && test(node->name))
            hits.push_back(path);
        if (r.target != zt::SearchTarget::Folders)
            for (const zt::FileRecord* f = node->firstFile; f; f = f->next)
                if (test(f->name())) hits.push_back(path + "\\" + std::string(f->name()));
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.emplace_back(*it, path + "\\" + (*it)->name);
    }
    return hits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned options = data[0];
    const size_t textLength = 1 + (data[1] & 3);
    const size_t piece = 1 + size_t(data[1] >> 2) * 5; // 1 to 316 bytes
    if (size < 2 + textLength) return 0;
    zt::SearchRequest r;
    r.mode = zt::MatchMode((options & 7) % 6);
    r.target = zt::SearchTarget(((options >> 3) & 3) % 3);
    r.caseSensitive = (options >> 5) & 1;
    r.limit = 0;
    r.text.assign(reinterpret_cast<const char*>(data + 2), textLength);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2 + textLength),
                                 size - 2 - textLength);

    std::vector<std::string> got;
    zt::SearchCallbacks cb;
    cb.hit = [&](const zt::SearchHit& h) { got.push_back(h.path()); };
    zt::SearchOutcome out;
    zt::PieceReader in(piece);
    in.openBytes(bytes);
    zt::searchStock(in, "S", r, cb, out);

    zt::FolderTree tree;
    zt::parseStock(bytes, "S", tree);
    check(got == walk(r, r.caseSensitive ? r.text : zt::lowerAnsi(r.text), tree.root()));
    check(out.resultCount == int(got.size()));
    return 0;
}
