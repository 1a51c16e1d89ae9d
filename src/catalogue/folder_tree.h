#pragma once
// The folder hierarchy of a stock: the stand-in for a tree-view control. Every
// node is one folder; its text is the folder name (the root's is the stock
// name) and its data points at the folder's TFileList.
#include "catalogue/filelist.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zt {

class FolderNode {
  public:
    std::string text;
    TFileList* data = nullptr;         // not owning: the FileListChain owns the lists
    FolderNode* parent = nullptr;      // not owning; null for the root
    std::vector<FolderNode*> children; // not owning: the FolderTree owns every node
    int level = 0;                     // root 0, its children 1, ...
    int row = 0;                       // index in the parent's children

    [[nodiscard]] bool hasChildren() const { return !children.empty(); }
};

// Owns every node; nodes never own each other, so clearing a tree of any depth
// needs no recursion.
class FolderTree {
  public:
    FolderTree() = default;
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    // Adds the one top node (a tree holds at most one; the old tree must be cleared first).
    FolderNode* AddRoot(std::string text, TFileList* data);
    // Adds a child at the end of parent's children.
    FolderNode* AddChild(FolderNode* parent, std::string text, TFileList* data);

    void Clear();
    [[nodiscard]] bool empty() const { return nodes_.empty(); }
    [[nodiscard]] FolderNode* root() const { return root_; }
    [[nodiscard]] size_t nodeCount() const { return nodes_.size(); }

    // Sorts the children of every node by compareLocale of their texts
    // (case-sensitive locale order), keeping the row indexes right.
    void SortAll();

    // Visits every node in pre-order without recursion. The visitor may return
    // false to stop.
    void ForEachPreOrder(const std::function<bool(FolderNode&)>& visit) const;

    // Number of folder nodes below the root (the stock file's folder count).
    [[nodiscard]] int folderCount() const { return nodes_.empty() ? 0 : int(nodes_.size()) - 1; }

  private:
    std::deque<FolderNode> nodes_;
    FolderNode* root_ = nullptr;
};

// Sum of the sizes of all files in node's list and in those of all its
// descendants, as an unsigned 64-bit sum.
[[nodiscard]] uint64_t FolderSize(const FolderNode& node);

} // namespace zt
