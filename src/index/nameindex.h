#pragma once
// The name index of one stock, kept beside it in Data/Index/<name>.idx: for
// every trigram of every name (after the search's case folding, over the
// UTF-8 text) the records that hold it, so a search reads only the records
// that can match instead of the whole stock file.
//
// Binary, little-endian, versioned (the layout is in docs/FORMATS.md):
//   header       magic "ZTNIDX01", counts, the stamp of the stock file it was
//                built from, section places, checksums (NameIndexHeader)
//   directory    per page of 128 trigram entries, its first trigram and checksum
//   body         byte offset of every record in the stock file (in blocks of
//                64), the record number, depth, offset, parent and name of
//                every folder record
//   trigrams     sorted (trigram, count, place, length, checksum) entries
//   postings     per trigram, the record numbers as delta varints
// Every part carries a checksum, checked when it is read: a damaged or
// foreign index is never trusted, only ignored and built again.
#include "platform/fileops.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class PlacedLines;

// The header at the start of an index file: the magic, then these fields in
// this order, each little-endian (docs/FORMATS.md gives their offsets). The
// writer, the reader and the state check all go through this one layout.
struct NameIndexHeader {
    static constexpr uint32_t kVersion = 8;
    static constexpr size_t kSize = 136;

    uint32_t version = kVersion;
    uint32_t records = 0, folders = 0, trigrams = 0;
    FileStamp stock; // of the stock file the index was built from
    uint64_t blocksPos = 0, deltasPos = 0, deltasLength = 0, foldersPos = 0, foldersLength = 0,
             trigramsPos = 0, postingsPos = 0;
    uint64_t foldersChecksum = 0;
    // Last: of the header before it, then the page directory after it.
    uint64_t headChecksum = 0;

    // The kSize bytes of the header.
    [[nodiscard]] std::string bytes() const;
    // The header at the start of bytes, of whatever version; nullopt when
    // they are fewer than kSize or do not start with the magic.
    [[nodiscard]] static std::optional<NameIndexHeader> parse(std::string_view bytes);
    // What headChecksum must hold for an index whose header and page
    // directory are `head` (the field itself is left out).
    [[nodiscard]] static uint64_t checksumOf(std::string_view head);
};

// The header of an index file; nullopt when the file cannot be read or holds none.
[[nodiscard]] std::optional<NameIndexHeader> readNameIndexHeader(const std::filesystem::path& indexFile);

// The index's bytes for a stock file's bytes (read by the search's rules: the
// records it reaches, in file order). The distinct trigrams of its names go
// to `trigrams` when given, ascending (the catalogue summary takes them).
[[nodiscard]] std::string buildNameIndex(std::string_view stockBytes, const FileStamp& stamp,
                                         std::vector<uint32_t>* trigrams = nullptr);
// The same over a stock file's lines as they are read.
[[nodiscard]] std::string buildNameIndex(PlacedLines& stockLines, const FileStamp& stamp,
                                         std::vector<uint32_t>* trigrams = nullptr);

// What an index was built from: the stock file's stamp and its names' trigrams.
struct BuiltIndex {
    FileStamp stock;
    std::vector<uint32_t> trigrams; // distinct, ascending
};

// Builds the index of a stock file and saves it atomically as the side file
// indexFile (<Data>/Index/<name>.idx, its folder made when missing, neither
// followed when a link). Not flushed to the disk one by one: a lost index
// costs only its rebuild. Nullopt when the stock cannot be read or the index
// cannot be written.
std::optional<BuiltIndex> writeNameIndex(const std::filesystem::path& stockFile,
                                         const std::filesystem::path& indexFile);

// The checksum every part of an index and of the catalogue summary carries.
[[nodiscard]] uint32_t indexChecksum(std::string_view bytes, uint64_t seed = 0);

// The distinct trigrams of a text as the index keys them (3 bytes each).
[[nodiscard]] std::vector<uint32_t> trigramsOf(std::string_view foldedUtf8);

// A loaded index. Every accessor is bounds-checked; nothing that does not
// check out is used. Opening reads and checks only the header and the page
// directory of the trigram table; a trigram's page, its posting list, the
// folder table and a block of record places are read and checked when a
// search needs them.
class NameIndex {
  public:
    // The index bytes (kept alive by the caller), checked against the stamp
    // of the stock file as it is now, folder table included; nullopt when
    // foreign, damaged, stale or of another version.
    [[nodiscard]] static std::optional<NameIndex> open(std::string_view bytes,
                                                       const FileStamp& stock);
    // The same from an index file, read part by part as it is needed.
    [[nodiscard]] static std::optional<NameIndex> read(const std::filesystem::path& indexFile,
                                                       const FileStamp& stock);

    // The stamp of the stock file the index was built from.
    [[nodiscard]] const FileStamp& builtFrom() const { return header_.stock; }
    [[nodiscard]] uint32_t recordCount() const { return header_.records; }

    // Reads and checks the folder table. False when it does not check out
    // (the index must not be used then).
    [[nodiscard]] bool loadFolders();
    // Reads and checks every part, as `index --check` asks.
    [[nodiscard]] bool checkWhole();
    // Every trigram some name holds, ascending; nullopt when a page of the
    // trigram table fails its check.
    [[nodiscard]] std::optional<std::vector<uint32_t>> allTrigrams() const;
    // Byte offset of a record in the stock file, its block of places read and
    // checked on first use; UINT64_MAX when it cannot be read or is damaged.
    [[nodiscard]] uint64_t recordOffset(uint32_t record) const;
    // Record numbers of the folder records, ascending.
    [[nodiscard]] const std::vector<uint32_t>& folderRecords() const { return folders_; }
    // And their byte offsets in the stock file, and the folder each is in
    // (an index into these lists; kNoParent for one at the top).
    [[nodiscard]] const std::vector<uint64_t>& folderOffsets() const { return folderOffsets_; }
    static constexpr uint32_t kNoParent = UINT32_MAX;
    [[nodiscard]] const std::vector<uint32_t>& folderParents() const { return parents_; }
    // A folder's name as a row's path shows it (decoded, its end trimmed).
    [[nodiscard]] std::string_view folderName(size_t folder) const {
        const auto [at, length] = names_[folder];
        return std::string_view(folderTable_).substr(at, length);
    }

    // Records whose folded name may hold every trigram (all that do, and few
    // more: lists far longer than what is left are not read), ascending;
    // nullopt when a page or a posting list fails its check.
    [[nodiscard]] std::optional<std::vector<uint32_t>>
    candidates(std::span<const uint32_t> trigrams) const;

    struct Entry {
        uint32_t trigram, count;
        uint64_t place;
        uint32_t length, checksum;
    };

  private:
    NameIndex() = default;
    [[nodiscard]] static std::optional<NameIndex>
    openFrom(std::string_view bytes, std::shared_ptr<const RandomAccessFile> file,
             uint64_t fileSize, const FileStamp& stock);
    // Bytes [pos, pos + length) of the index into out; false when they are not all there.
    bool fetch(uint64_t pos, uint64_t length, std::string& out) const;
    [[nodiscard]] std::optional<std::vector<uint32_t>> postings(const Entry& e) const;
    // A page of the trigram table into table; false when it does not check out.
    bool fetchPage(size_t page, std::string& table) const;
    // The entry of a trigram; nullopt when no name holds it, and `damaged`
    // set when its page does not check out.
    [[nodiscard]] std::optional<Entry> find(uint32_t trigram, bool& damaged) const;

    NameIndexHeader header_;
    uint64_t fileSize_ = 0;
    std::string head_; // the header and the page directory
    bool foldersLoaded_ = false;
    // The block of record places read last: its number, first offset, deltas.
    mutable uint64_t cachedBlock_ = UINT64_MAX, cachedBase_ = 0;
    mutable std::string cachedDeltas_;
    std::string_view bytes_; // the whole index, when the caller holds it
    std::shared_ptr<const RandomAccessFile> file_; // else where it is read from
    std::vector<uint32_t> folders_;
    std::vector<uint64_t> folderOffsets_;
    std::vector<uint32_t> parents_;
    std::string folderTable_; // once loaded: holds the folders' names
    std::vector<std::pair<uint32_t, uint32_t>> names_; // place and length in folderTable_
};

} // namespace zt
