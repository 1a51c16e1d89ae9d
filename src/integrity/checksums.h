#pragma once
// What a file held when it was read: a 128-bit XXH3 hash of its content per
// file, kept beside a stock (a side file a Windows copy ignores), in the
// shape of the stock's own tree so that a tree of any depth costs memory in
// proportion to its files.
//
// The side file, CP932 with CR LF like every file of the program:
//   ZTSUMS 1
//   stock <size> <mtime-ns>             the stock file it was made for
//   F <hash> <size> <filetime> <name>   a file read whole: 32 hex digits
//   U <errno> <size> <filetime> <name>  a file that could not be read
//   D <depth> <name>                    a folder (depth 1: below the top);
//                                       the lines after it are inside it
//   end <files> <folders> <check>       check: XXH3-64 of every byte before
//                                       this line, 16 hex digits
// A file's lines come before its folder's subfolders, as in a stock file.
// A file that does not parse whole, lacks its end line, or was made for
// another state of the stock file is not used at all.
#include "platform/filetime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zt {

struct ContentHash {
    uint64_t high = 0, low = 0;
    friend bool operator==(const ContentHash&, const ContentHash&) = default;
};

// 32 lower-case hex digits, high half first (as xxhsum -H2 prints it).
[[nodiscard]] std::string hashText(const ContentHash& h);
[[nodiscard]] std::optional<ContentHash> parseHashText(std::string_view text);

// XXH3-128 over bytes handed in pieces.
class ContentHasher {
  public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;
    void reset();
    void update(const char* data, size_t size);
    [[nodiscard]] ContentHash digest() const;

  private:
    void* state_;
};

struct FileSum {
    bool readable = true;  // false: the read failed (error says why)
    ContentHash hash;      // readable files only
    int error = 0;         // the system's error number of the failed read
    uint64_t size = 0;     // the size and time the file had when it was read
    FileTime modified;
};

// The stock file a checksum file belongs to: its size and modification time
// (kept by a copy of the Data folder and by a rename, unlike its inode).
struct SumStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const SumStamp&, const SumStamp&) = default;
};

class ChecksumSet {
  public:
    static constexpr uint32_t kTop = 0;
    static constexpr uint32_t kNone = UINT32_MAX;

    ChecksumSet();

    SumStamp stamp;

    // The folder of that name in parent, made when missing.
    uint32_t addFolder(uint32_t parent, std::string name);
    // A file's sum in folder (a second one of the same name replaces it).
    void addFile(uint32_t folder, std::string name, const FileSum& sum);

    [[nodiscard]] uint32_t folder(uint32_t parent, std::string_view name) const;
    [[nodiscard]] const FileSum* file(uint32_t folder, std::string_view name) const;

    [[nodiscard]] size_t fileCount() const { return files_.size(); }
    [[nodiscard]] size_t folderCount() const { return folders_.size() - 1; }
    [[nodiscard]] size_t hashedCount() const;

    // Calls visit(folderNames, name, sum) for every file, a folder's files
    // before its subfolders.
    template <class Visit> void forEachFile(Visit&& visit) const;

  private:
    struct Folder {
        std::string name;
        uint32_t parent;
        std::vector<uint32_t> children, files;
    };
    struct File {
        std::string name;
        uint32_t folder;
        FileSum sum;
    };
    static uint64_t key(uint32_t folder, std::string_view name);
    std::vector<Folder> folders_;
    std::vector<File> files_;
    std::unordered_multimap<uint64_t, uint32_t> folderIndex_, fileIndex_;

    friend std::string serializeChecksums(const ChecksumSet& set);
};

// The side file's bytes.
[[nodiscard]] std::string serializeChecksums(const ChecksumSet& set);

enum class ChecksumParse { Ok, Damaged };
// Reads a side file. maxEntries bounds the files and folders it may hold (the
// stock file it claims to belong to can hold no more records than that), so
// no file, whatever it states, costs more than that much memory.
[[nodiscard]] ChecksumParse parseChecksums(std::string_view bytes, size_t maxEntries,
                                           ChecksumSet& out);

// The most records a stock file of that size can hold (each takes ten lines).
[[nodiscard]] size_t maxRecordsOfStock(uint64_t stockBytes);
// The most bytes a checksum file for a stock of that size can need: its
// records' lines are never much longer than the stock's own.
[[nodiscard]] size_t maxChecksumFileBytes(uint64_t stockBytes);

template <class Visit> void ChecksumSet::forEachFile(Visit&& visit) const {
    std::vector<std::string_view> names;
    std::vector<std::pair<uint32_t, size_t>> stack{{kTop, 0}};
    for (uint32_t f : folders_[kTop].files)
        visit(names, files_[f].name, files_[f].sum);
    while (!stack.empty()) {
        auto& [at, next] = stack.back();
        if (next == folders_[at].children.size()) {
            stack.pop_back();
            if (!names.empty()) names.pop_back();
            continue;
        }
        const uint32_t child = folders_[at].children[next++];
        names.push_back(folders_[child].name);
        for (uint32_t f : folders_[child].files)
            visit(names, files_[f].name, files_[f].sum);
        stack.emplace_back(child, 0);
    }
}

} // namespace zt
