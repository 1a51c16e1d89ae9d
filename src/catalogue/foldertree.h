#pragma once
// The in-memory form of one stock: a tree of folders, each with its own times
// and its files in the order they were added. The tree owns every folder and
// every file record; nothing in it owns anything else, so clearing a tree of
// any depth needs no recursion.
#include "platform/filetime.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// One file. The name is stored right behind the record, so a record costs one
// allocation and no string object.
class FileRecord {
  public:
    [[nodiscard]] std::string_view name() const { return {nameData(), nameLength_}; }

    FileTime created;
    FileTime accessed;
    FileTime modified;
    uint64_t size = 0;
    FileRecord* next = nullptr; // the next file of the same folder (not owning)

  private:
    friend class FolderTree;
    explicit FileRecord(uint32_t nameLength) : nameLength_(nameLength) {}
    [[nodiscard]] const char* nameData() const { return reinterpret_cast<const char*>(this + 1); }
    uint32_t nameLength_;
};

// One folder: its name (the root's is the stock name), its own times and size
// as the file system reported them, its files and its subfolders.
class FolderNode {
  public:
    std::string name;
    FolderNode* parent = nullptr;      // null for the root
    std::vector<FolderNode*> children; // in tree order (not owning)
    int level = 0;                     // root 0, its children 1, ...
    int row = 0;                       // index in the parent's children

    FileTime created;
    FileTime accessed;
    FileTime modified;
    uint64_t size = 0;

    FileRecord* firstFile = nullptr; // null when the folder has no files
    FileRecord* lastFile = nullptr;
    int32_t fileCount = 0;

    [[nodiscard]] bool hasChildren() const { return !children.empty(); }
};

// Removes trailing blanks and control characters (every byte up to and
// including the space) from the end of a name.
[[nodiscard]] std::string_view trimNameEnd(std::string_view name);

class FolderTree {
  public:
    FolderTree();
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;
    FolderTree(FolderTree&&) noexcept;
    FolderTree& operator=(FolderTree&&) noexcept;

    // Adds the one top folder (a tree holds at most one; clear the old tree first).
    FolderNode* addRoot(std::string name);
    // Adds a folder at the end of parent's children.
    FolderNode* addChild(FolderNode* parent, std::string name);
    // Appends a file to folder's files, its name end trimmed; all values zero.
    FileRecord* addFile(FolderNode* folder, std::string_view name);

    void clear();
    [[nodiscard]] bool empty() const { return nodes_.empty(); }
    [[nodiscard]] FolderNode* root() const { return root_; }
    [[nodiscard]] size_t nodeCount() const { return nodes_.size(); }
    // Number of folders below the root (the stock file's folder count).
    [[nodiscard]] int folderCount() const { return nodes_.empty() ? 0 : int(nodes_.size()) - 1; }
    [[nodiscard]] size_t fileCount() const { return fileCount_; }

    // Sorts the children of every folder by compareLocale of their names
    // (case-sensitive locale order), keeping the row indexes right.
    void sortAll();

    // Visits every folder in pre-order without recursion. The visitor may
    // return false to stop.
    void forEachPreOrder(const std::function<bool(FolderNode&)>& visit) const;

  private:
    struct Arena;
    std::deque<FolderNode> nodes_;
    FolderNode* root_ = nullptr;
    std::unique_ptr<Arena> arena_; // holds every file record
    size_t fileCount_ = 0;
};

// Sum of the sizes of all files in node and below it, unsigned 64-bit.
[[nodiscard]] uint64_t folderSize(const FolderNode& node);

} // namespace zt
