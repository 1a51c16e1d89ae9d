#include "catalogue/folder_tree.h"
#include "platform/collate.h"

#include <algorithm>

namespace zt {

FolderNode* FolderTree::AddRoot(std::string text, TFileList* data) {
    FolderNode& n = nodes_.emplace_back();
    n.text = std::move(text);
    n.data = data;
    root_ = &n;
    return &n;
}

FolderNode* FolderTree::AddChild(FolderNode* parent, std::string text, TFileList* data) {
    FolderNode& n = nodes_.emplace_back();
    n.text = std::move(text);
    n.data = data;
    n.parent = parent;
    n.level = parent->level + 1;
    n.row = int(parent->children.size());
    parent->children.push_back(&n);
    return &n;
}

void FolderTree::Clear() {
    nodes_.clear();
    root_ = nullptr;
}

void FolderTree::SortAll() {
    // Sort keys are made once per node, so each comparison is a memcmp.
    std::vector<std::pair<std::string, FolderNode*>> keyed;
    for (FolderNode& n : nodes_) {
        if (n.children.size() < 2) continue;
        keyed.clear();
        for (FolderNode* c : n.children)
            keyed.emplace_back(localeSortKey(c->text), c);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < keyed.size(); ++i) {
            n.children[i] = keyed[i].second;
            n.children[i]->row = int(i);
        }
    }
}

void FolderTree::ForEachPreOrder(const std::function<bool(FolderNode&)>& visit) const {
    if (!root_) return;
    std::vector<FolderNode*> stack{root_};
    while (!stack.empty()) {
        FolderNode* n = stack.back();
        stack.pop_back();
        if (!visit(*n)) return;
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
            stack.push_back(*it);
    }
}

uint64_t FolderSize(const FolderNode& node) {
    uint64_t sum = 0;
    std::vector<const FolderNode*> stack{&node};
    while (!stack.empty()) {
        const FolderNode* n = stack.back();
        stack.pop_back();
        if (n->data)
            for (const TFileChain* f = n->data->First(); f; f = f->next)
                sum += f->size();
        for (const FolderNode* c : n->children)
            stack.push_back(c);
    }
    return sum;
}

} // namespace zt
