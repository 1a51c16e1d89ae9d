#pragma once
// The catalogue summary, Data/Index/Catalogue.sum: which stocks can hold a
// name with a given trigram, for every stock at once. A trigram falls in one
// of 65,536 buckets; each bucket is a row of one bit per stock, set when one
// of the stock's names holds a trigram of that bucket. A search reads only the
// rows of its text's trigrams, so a stock whose bit is clear in any of them
// holds no match and is passed over without opening its index or its file.
//
// Each stock's bits are trusted only while its stock file has the stamp they
// were made from (written beside its name): a stock captured, updated or
// replaced since is searched through its own index as before. Every row and
// the stock table carry checksums; a summary that fails one is not used, and
// built again. The layout is in docs/FORMATS.md.
#include "platform/fileops.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zt {

inline constexpr size_t kSummaryBuckets = size_t(1) << 16;
// The most stocks one summary holds (any more are searched through their
// own indexes), and the longest name it takes: bounds on what a summary
// file can make a reader allocate.
inline constexpr size_t kMaxSummaryStocks = size_t(1) << 16;
inline constexpr size_t kMaxSummaryName = 1024;

// The bucket a trigram falls in.
[[nodiscard]] size_t summaryBucket(uint32_t trigram);

// One stock's bits: the buckets its names' trigrams fall in.
class SummaryColumn {
  public:
    SummaryColumn() : words_(kSummaryBuckets / 64, 0) {}
    [[nodiscard]] static SummaryColumn ofTrigrams(std::span<const uint32_t> trigrams);
    void set(size_t bucket) { words_[bucket / 64] |= uint64_t(1) << (bucket % 64); }
    [[nodiscard]] bool has(size_t bucket) const { return words_[bucket / 64] >> (bucket % 64) & 1; }
    [[nodiscard]] const std::vector<uint64_t>& words() const { return words_; }

  private:
    std::vector<uint64_t> words_;
};

struct SummaryStock {
    std::string name;
    FileStamp stamp; // of the stock file the bits were made from
    SummaryColumn column;
};

// The summary file's bytes for these stocks (the first kMaxSummaryStocks),
// with 2^bucketBits rows (4 to 16; fewer rows each stand for several
// buckets: a smaller file that rules out fewer stocks).
inline constexpr unsigned kSummaryBucketBits = 16, kMinSummaryBucketBits = 4;
[[nodiscard]] std::string buildSummary(const std::vector<SummaryStock>& stocks,
                                       unsigned bucketBits = kSummaryBucketBits);

// A summary read from its file (or bytes the caller keeps alive). Opening
// reads and checks the header and the stock table; a row is read and
// checked when a search asks for it.
class CatalogueSummary {
  public:
    [[nodiscard]] static std::optional<CatalogueSummary>
    open(std::shared_ptr<const RandomAccessFile> file);
    [[nodiscard]] static std::optional<CatalogueSummary> open(std::string_view bytes);

    [[nodiscard]] size_t stockCount() const { return names_.size(); }
    [[nodiscard]] const std::string& name(size_t slot) const { return names_[slot]; }
    [[nodiscard]] const FileStamp& stamp(size_t slot) const { return stamps_[slot]; }
    // The slot of a stock's name; nullopt when the summary does not hold it.
    [[nodiscard]] std::optional<size_t> slotOf(std::string_view name) const;

    // Per slot, whether the stock may hold a name with every one of the
    // trigrams; nullopt when a row fails its check.
    [[nodiscard]] std::optional<std::vector<bool>>
    mayHold(std::span<const uint32_t> trigrams) const;
    // Every stock's bits (all rows read and checked), for carrying them over
    // into a new summary; nullopt when a row fails its check.
    [[nodiscard]] std::optional<std::vector<SummaryColumn>> columns() const;

  private:
    CatalogueSummary() = default;
    bool fetch(uint64_t pos, uint64_t length, std::string& out) const;
    bool parse();
    // Rows [first, first + count) into out, each checked; their bits only.
    bool rows(size_t first, size_t count, std::string& out) const;

    std::string_view bytes_;
    std::shared_ptr<const RandomAccessFile> file_;
    uint64_t fileSize_ = 0;
    uint64_t rowsPos_ = 0;
    size_t rowBytes_ = 0;
    unsigned shift_ = 0; // a bucket's row: bucket >> shift_
    size_t rowCount_ = 0;
    std::vector<std::string> names_;
    std::vector<FileStamp> stamps_;
    std::unordered_map<std::string_view, size_t> slots_; // views into names_
};

} // namespace zt
