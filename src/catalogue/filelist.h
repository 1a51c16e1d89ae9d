#pragma once
// The in-memory form of one stock.
//
// A TFileList is one folder: its own times and size and its files, as a singly
// linked list of TFileChain records. All TFileLists of a tree form one chain in
// creation order, held by the tree's owner (FileListChain). The folder
// hierarchy itself lives in a FolderTree (folder_tree.h) whose nodes point at
// the lists.
#include "platform/direnum.h"
#include "platform/filetime.h"

#include <cstdint>
#include <string_view>

namespace zt {

// One file. The name is stored right behind the record in the same
// allocation, so a record costs one allocation and no string object.
class TFileChain {
  public:
    // A record named `name` (trailing blanks and control characters kept as
    // given); numbers zero, next null.
    [[nodiscard]] static TFileChain* Create(std::string_view name);
    static void Destroy(TFileChain* record);

    [[nodiscard]] std::string_view name() const { return {nameData(), nameLength_}; }
    [[nodiscard]] uint64_t size() const { return (uint64_t(sizeHigh) << 32) | sizeLow; }

    FILETIME creationTime;
    FILETIME lastAccessTime;
    FILETIME lastWriteTime;
    uint32_t sizeHigh = 0;
    uint32_t sizeLow = 0;
    TFileChain* next = nullptr; // not owning: the TFileList owns every record of its list

  private:
    explicit TFileChain(uint32_t nameLength) : nameLength_(nameLength) {}
    [[nodiscard]] const char* nameData() const { return reinterpret_cast<const char*>(this + 1); }
    uint32_t nameLength_;
};

// Removes trailing blanks and control characters (every byte up to and including
// the space) from the end of a name.
[[nodiscard]] std::string_view trimNameEnd(std::string_view name);

// One folder: its files, its own times and size, and the link to the next list
// of the same tree.
class TFileList {
  public:
    TFileList() = default;
    ~TFileList(); // deletes every file record of its own list, head to tail
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;

    // Appends a file made from a directory entry (name end trimmed).
    void AddFile(const WIN32_FIND_DATA& fd);
    // Appends a file from already known values (name end trimmed).
    TFileChain* AddFile(std::string_view name);
    // Copies the entry's three times and size into the folder's own fields.
    void SetFolderData(const WIN32_FIND_DATA& fd);

    [[nodiscard]] TFileChain* First() const { return head; }
    [[nodiscard]] int Count() const { return count; }

    TFileChain* head = nullptr; // owning
    TFileChain* tail = nullptr; // not owning: last record of the list
    int32_t count = 0;
    TFileList* nextList = nullptr; // not owning: the chain owner releases the lists

    FILETIME creationTime;
    FILETIME lastAccessTime;
    FILETIME lastWriteTime;
    uint32_t sizeHigh = 0;
    uint32_t sizeLow = 0;
};

// The owner's two pointers into the chain of a tree's folder lists.
// Owns every list of the chain.
class FileListChain {
  public:
    FileListChain() = default;
    ~FileListChain() { Release(); }
    FileListChain(const FileListChain&) = delete;
    FileListChain& operator=(const FileListChain&) = delete;

    // Links list after the last one and makes it the last one; takes ownership.
    void Append(TFileList* list);
    // Walks the chain from the first list, destroying each after reading its
    // next link (no recursion); then both pointers are null.
    void Release();

    [[nodiscard]] TFileList* first() const { return first_; }
    [[nodiscard]] TFileList* last() const { return last_; }

  private:
    TFileList* first_ = nullptr;
    TFileList* last_ = nullptr;
};

} // namespace zt
