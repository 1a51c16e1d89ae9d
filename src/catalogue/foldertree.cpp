#include "catalogue/foldertree.h"
#include "platform/collate.h"
#include "platform/memory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zt {

// File records are carved out of large blocks, so a million files cost a few
// dozen allocations, few page faults, and are released at once. Blocks start
// small and double up to the large size: a stock of a few files (most of the
// stocks opened one after another by a search or a check) does not fault in
// megabytes it never uses.
struct FolderTree::Arena {
    static constexpr size_t kFirstBlock = size_t(32) << 10;
    static constexpr size_t kBlock = size_t(2) << 20;
    std::vector<BlockPtr> blocks;
    std::byte* next = nullptr;
    size_t left = 0;

    void* take(size_t bytes) {
        bytes = (bytes + alignof(FileRecord) - 1) & ~(alignof(FileRecord) - 1);
        if (bytes > left) {
            const size_t doubled = kFirstBlock << std::min<size_t>(blocks.size(), 6);
            const size_t size = std::max(std::min(doubled, kBlock), bytes);
            blocks.emplace_back(static_cast<std::byte*>(allocateBlock(size)));
            next = blocks.back().get();
            left = size;
        }
        void* p = next;
        next += bytes;
        left -= bytes;
        return p;
    }
};

std::string_view trimNameEnd(std::string_view name) {
    size_t n = name.size();
    while (n > 0 && static_cast<unsigned char>(name[n - 1]) <= 0x20)
        --n;
    return name.substr(0, n);
}

FolderTree::FolderTree() : arena_(std::make_unique<Arena>()) {}
FolderTree::~FolderTree() = default;
FolderTree::FolderTree(FolderTree&&) noexcept = default;
FolderTree& FolderTree::operator=(FolderTree&&) noexcept = default;

FolderNode* FolderTree::addRoot(std::string name) {
    FolderNode& n = nodes_.emplace_back();
    n.name = std::move(name);
    root_ = &n;
    return &n;
}

FolderNode* FolderTree::addChild(FolderNode* parent, std::string name) {
    FolderNode& n = nodes_.emplace_back();
    n.name = std::move(name);
    n.parent = parent;
    n.level = parent->level + 1;
    n.row = int(parent->children.size());
    parent->children.push_back(&n);
    return &n;
}

FileRecord* FolderTree::addFile(FolderNode* folder, std::string_view name) {
    name = trimNameEnd(name);
    // FileRecord is trivially destructible: the arena frees it with its block.
    void* mem = arena_->take(sizeof(FileRecord) + name.size());
    auto* record = new (mem) FileRecord(uint32_t(name.size()));
    if (!name.empty()) std::memcpy(reinterpret_cast<char*>(record + 1), name.data(), name.size());
    if (folder->lastFile)
        folder->lastFile->next = record;
    else
        folder->firstFile = record;
    folder->lastFile = record;
    ++folder->fileCount;
    ++fileCount_;
    return record;
}

void FolderTree::clear() {
    nodes_.clear();
    root_ = nullptr;
    arena_ = std::make_unique<Arena>();
    fileCount_ = 0;
}

void FolderTree::sortAll() {
    // Sort keys are made once per folder, so each comparison is a memcmp.
    std::vector<std::pair<std::string, FolderNode*>> keyed;
    for (FolderNode& n : nodes_) {
        if (n.children.size() < 2) continue;
        keyed.clear();
        for (FolderNode* c : n.children)
            keyed.emplace_back(localeSortKey(c->name), c);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < keyed.size(); ++i) {
            n.children[i] = keyed[i].second;
            n.children[i]->row = int(i);
        }
    }
}

void FolderTree::forEachPreOrder(const std::function<bool(FolderNode&)>& visit) const {
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

uint64_t folderSize(const FolderNode& node) {
    uint64_t sum = 0;
    std::vector<const FolderNode*> stack{&node};
    while (!stack.empty()) {
        const FolderNode* n = stack.back();
        stack.pop_back();
        for (const FileRecord* f = n->firstFile; f; f = f->next)
            sum += f->size;
        for (const FolderNode* c : n->children)
            stack.push_back(c);
    }
    return sum;
}

} // namespace zt
