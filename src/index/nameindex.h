#pragma once
// The name index of one stock, kept beside it in Data/Index/<name>.idx: for
// every trigram of every name (after the search's case folding, over the
// UTF-8 text) the records that hold it, so a search reads only the records
// that can match instead of the whole stock file.
//
// Binary, little-endian, versioned (the layout is in docs/FORMATS.md):
//   header       magic "ZTNIDX01", the stock file's size and modification
//                time it was built from, counts, section places, checksums
//   offsets      byte offset of every record in the stock file, in blocks of 64
//   folders      the record number and depth of every folder record
//   trigrams     sorted (trigram, count, place, checksum) entries
//   postings     per trigram, the record numbers as delta varints
// Every section and every posting list carries a checksum: a damaged or
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

// The index's bytes for a stock file's bytes (read by the search's rules: the
// records it reaches, in file order).
[[nodiscard]] std::string buildNameIndex(std::string_view stockBytes, const FileStamp& stamp);
// The same over a stock file's lines as they are read.
[[nodiscard]] std::string buildNameIndex(PlacedLines& stockLines, const FileStamp& stamp);

// Builds the index of a stock file and saves it atomically. False when the
// stock cannot be read or the index cannot be written.
bool writeNameIndex(const std::filesystem::path& stockFile, const std::filesystem::path& indexFile);

// The distinct trigrams of a text as the index keys them (3 bytes each).
[[nodiscard]] std::vector<uint32_t> trigramsOf(std::string_view foldedUtf8);

// A loaded index. Every accessor is bounds-checked; open() refuses anything
// that does not check out.
class NameIndex {
  public:
    // The index bytes (kept alive by the caller),
    // checked against the stamp of the stock file as it is now; nullopt when
    // foreign, damaged, stale or of another version.
    [[nodiscard]] static std::optional<NameIndex> open(std::string_view bytes,
                                                       const FileStamp& stock);
    // The same from an index file: only the parts before the posting lists
    // are read now (one read, no mapping to set up and tear down per stock);
    // a posting list is read when a search asks for it.
    [[nodiscard]] static std::optional<NameIndex> read(const std::filesystem::path& indexFile,
                                                       const FileStamp& stock);

    // The stamp of the stock file the index was built from.
    [[nodiscard]] const FileStamp& builtFrom() const { return stamp_; }
    [[nodiscard]] uint32_t recordCount() const { return recordCount_; }
    // Byte offset of a record in the stock file.
    [[nodiscard]] uint64_t recordOffset(uint32_t record) const;
    // Record numbers of the folder records, ascending, and their depths.
    [[nodiscard]] const std::vector<uint32_t>& folderRecords() const { return folders_; }
    [[nodiscard]] const std::vector<uint32_t>& folderDepths() const { return depths_; }

    // Records whose folded name may hold every trigram (all that do, and few
    // more: lists far longer than what is left are not read), ascending;
    // nullopt when a posting list fails its checksum (not to be trusted then).
    [[nodiscard]] std::optional<std::vector<uint32_t>>
    candidates(std::span<const uint32_t> trigrams) const;

    struct Entry {
        uint32_t trigram, count;
        uint64_t place;
        uint32_t length, checksum;
    };

  private:
    NameIndex() = default;
    // Checks and takes the parts before the postings; `head` holds at least
    // them, `fileSize` is the size of the whole index.
    [[nodiscard]] static std::optional<NameIndex> parse(std::string_view head, uint64_t fileSize,
                                                        const FileStamp& stock);
    [[nodiscard]] std::optional<std::vector<uint32_t>> postings(const Entry& e) const;
    [[nodiscard]] std::optional<Entry> find(uint32_t trigram) const;

    FileStamp stamp_;
    uint32_t recordCount_ = 0;
    std::string_view blocks_, deltas_, trigramTable_;
    std::string_view postings_;                   // when the whole index is in memory
    std::shared_ptr<const char[]> head_;           // when read from a file: its parts
    std::shared_ptr<const RandomAccessFile> file_; // and where its postings are
    uint64_t postingsPos_ = 0, postingsSize_ = 0;
    std::vector<uint32_t> folders_, depths_;
};

} // namespace zt
