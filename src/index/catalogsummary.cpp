#include "index/catalogsummary.h"

#include "index/nameindex.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zt {

namespace {

constexpr std::string_view kMagic = "ZTCSUM01";
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 64;
constexpr size_t kHeadChecksumAt = 56;
constexpr size_t kStampBytes = 40;
// A stock's entry in the table: its stamp, its name's length, its name.
constexpr size_t kMinEntry = kStampBytes + 2;
constexpr size_t kRowChecksum = 4;

template <class T> void put(std::string& out, T v) {
    const auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (size_t i = 0; i < sizeof v; ++i)
        out += char(uint8_t(u >> (8 * i)));
}
template <class T> T get(std::string_view in, size_t at) {
    std::make_unsigned_t<T> u = 0;
    for (size_t i = 0; i < sizeof u; ++i)
        u |= std::make_unsigned_t<T>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return static_cast<T>(u);
}

size_t rowBytesFor(size_t stocks) {
    return (stocks + 7) / 8;
}

// A row's checksum is seeded with its bucket, so rows swapped in place fail.
uint32_t rowChecksum(size_t bucket, std::string_view bits) {
    return indexChecksum(bits, uint64_t(bucket) + 1);
}

} // namespace

size_t summaryBucket(uint32_t trigram) {
    // Trigrams of one script share their high bytes: a multiplicative hash
    // spreads them over every bucket.
    return size_t((trigram * 0x9E3779B1u) >> 16);
}

SummaryColumn SummaryColumn::ofTrigrams(std::span<const uint32_t> trigrams) {
    SummaryColumn c;
    for (const uint32_t t : trigrams)
        c.set(summaryBucket(t));
    return c;
}

std::string buildSummary(const std::vector<SummaryStock>& all, unsigned bucketBits) {
    bucketBits = std::clamp(bucketBits, kMinSummaryBucketBits, kSummaryBucketBits);
    const unsigned shift = kSummaryBucketBits - bucketBits;
    const size_t rowCount = size_t(1) << bucketBits;
    const size_t stocks = std::min(all.size(), kMaxSummaryStocks);
    std::string table;
    for (size_t s = 0; s < stocks; ++s) {
        const SummaryStock& st = all[s];
        const std::string_view name =
            std::string_view(st.name).substr(0, std::min(st.name.size(), kMaxSummaryName));
        put(table, st.stamp.size);
        put(table, st.stamp.modifiedNs);
        put(table, st.stamp.device);
        put(table, st.stamp.inode);
        put(table, st.stamp.changedNs);
        put(table, uint16_t(name.size()));
        table += name;
    }
    const size_t rowBytes = rowBytesFor(stocks);
    std::string out(kMagic);
    put(out, kVersion);
    put(out, uint32_t(stocks));
    put(out, uint32_t(bucketBits));
    put(out, uint32_t(rowBytes));
    put(out, uint64_t(table.size()));
    put(out, uint64_t(kHeaderSize + table.size()));
    put(out, indexChecksum(table));
    put(out, uint32_t(0));
    put(out, uint64_t(0));
    put(out, uint64_t(indexChecksum(out)));
    out += table;
    // The rows, made stock by stock from each column's set bits.
    std::string rows(rowCount * rowBytes, '\0');
    for (size_t s = 0; s < stocks; ++s) {
        const auto& words = all[s].column.words();
        for (size_t w = 0; w < words.size(); ++w)
            for (uint64_t word = words[w]; word; word &= word - 1) {
                const size_t b = (w * 64 + size_t(std::countr_zero(word))) >> shift;
                rows[b * rowBytes + s / 8] |= char(1 << (s % 8));
            }
    }
    out.reserve(out.size() + rowCount * (rowBytes + kRowChecksum));
    for (size_t b = 0; b < rowCount; ++b) {
        const std::string_view bits = std::string_view(rows).substr(b * rowBytes, rowBytes);
        out += bits;
        put(out, rowChecksum(b, bits));
    }
    return out;
}

std::optional<CatalogueSummary> CatalogueSummary::open(std::shared_ptr<const RandomAccessFile> file) {
    const auto stamp = file && file->ok() ? file->stamp() : std::nullopt;
    if (!stamp) return std::nullopt;
    CatalogueSummary s;
    s.file_ = std::move(file);
    s.fileSize_ = stamp->size;
    if (!s.parse()) return std::nullopt;
    return s;
}

std::optional<CatalogueSummary> CatalogueSummary::open(std::string_view bytes) {
    CatalogueSummary s;
    s.bytes_ = bytes;
    s.fileSize_ = bytes.size();
    if (!s.parse()) return std::nullopt;
    return s;
}

bool CatalogueSummary::fetch(uint64_t pos, uint64_t length, std::string& out) const {
    if (pos > fileSize_ || length > fileSize_ - pos) return false;
    if (!file_) {
        out.assign(bytes_.substr(size_t(pos), size_t(length)));
        return true;
    }
    return file_->readAt(pos, size_t(length), out) && out.size() == length;
}

bool CatalogueSummary::parse() {
    std::string head;
    if (!fetch(0, kHeaderSize, head) || !head.starts_with(kMagic) ||
        get<uint32_t>(head, 8) != kVersion ||
        get<uint64_t>(head, kHeadChecksumAt) !=
            indexChecksum(std::string_view(head).substr(0, kHeadChecksumAt)))
        return false;
    const uint32_t stocks = get<uint32_t>(head, 12);
    const uint32_t bucketBits = get<uint32_t>(head, 16);
    const uint64_t tableLength = get<uint64_t>(head, 24);
    if (bucketBits < kMinSummaryBucketBits || bucketBits > kSummaryBucketBits) return false;
    shift_ = kSummaryBucketBits - bucketBits;
    rowCount_ = size_t(1) << bucketBits;
    rowBytes_ = rowBytesFor(stocks);
    rowsPos_ = kHeaderSize + tableLength;
    // Every length is bounded before anything is read on its word, and the
    // file must be exactly as long as they say.
    if (stocks > kMaxSummaryStocks || get<uint32_t>(head, 20) != rowBytes_ || tableLength < uint64_t(stocks) * kMinEntry ||
        tableLength > uint64_t(stocks) * (kMinEntry + kMaxSummaryName) ||
        get<uint64_t>(head, 32) != rowsPos_ ||
        fileSize_ != rowsPos_ + uint64_t(rowCount_) * (rowBytes_ + kRowChecksum))
        return false;
    std::string table;
    if (!fetch(kHeaderSize, tableLength, table) ||
        indexChecksum(table) != get<uint32_t>(head, 40))
        return false;
    names_.reserve(stocks);
    stamps_.reserve(stocks);
    size_t at = 0;
    for (uint32_t s = 0; s < stocks; ++s) {
        if (table.size() - at < kMinEntry) return false;
        FileStamp st;
        st.size = get<uint64_t>(table, at);
        st.modifiedNs = get<int64_t>(table, at + 8);
        st.device = get<uint64_t>(table, at + 16);
        st.inode = get<uint64_t>(table, at + 24);
        st.changedNs = get<int64_t>(table, at + 32);
        const size_t length = get<uint16_t>(table, at + kStampBytes);
        at += kMinEntry;
        if (length == 0 || length > kMaxSummaryName || length > table.size() - at) return false;
        names_.emplace_back(table, at, length);
        stamps_.push_back(st);
        at += length;
    }
    if (at != table.size()) return false;
    for (size_t s = 0; s < names_.size(); ++s)
        slots_.emplace(names_[s], s); // the first of a name repeated wins
    return true;
}

std::optional<size_t> CatalogueSummary::slotOf(std::string_view name) const {
    const auto it = slots_.find(name);
    if (it == slots_.end()) return std::nullopt;
    return it->second;
}

bool CatalogueSummary::rows(size_t first, size_t count, std::string& out) const {
    const size_t stride = rowBytes_ + kRowChecksum;
    if (first + count > rowCount_ ||
        !fetch(rowsPos_ + uint64_t(first) * stride, uint64_t(count) * stride, out))
        return false;
    for (size_t r = 0; r < count; ++r) {
        const std::string_view bits = std::string_view(out).substr(r * stride, rowBytes_);
        if (rowChecksum(first + r, bits) != get<uint32_t>(out, r * stride + rowBytes_))
            return false;
        // Packed in place: the bits of row r go to r * rowBytes_ (never past them).
        std::memmove(out.data() + r * rowBytes_, bits.data(), rowBytes_);
    }
    out.resize(count * rowBytes_);
    return true;
}

std::optional<std::vector<bool>>
CatalogueSummary::mayHold(std::span<const uint32_t> trigrams) const {
    std::vector<size_t> buckets;
    for (const uint32_t t : trigrams)
        buckets.push_back(summaryBucket(t) >> shift_);
    std::sort(buckets.begin(), buckets.end());
    buckets.erase(std::unique(buckets.begin(), buckets.end()), buckets.end());
    std::string all(rowBytes_, char(0xFF)), bits;
    for (const size_t b : buckets) {
        if (!rows(b, 1, bits)) return std::nullopt;
        for (size_t i = 0; i < rowBytes_; ++i)
            all[i] &= bits[i];
    }
    std::vector<bool> out(names_.size());
    for (size_t s = 0; s < out.size(); ++s)
        out[s] = all[s / 8] >> (s % 8) & 1;
    return out;
}

std::optional<std::vector<SummaryColumn>> CatalogueSummary::columns() const {
    std::vector<SummaryColumn> out(names_.size());
    // Read a run of rows at a time: a few megabytes, not a call per row.
    const size_t run = std::max<size_t>(1, (size_t(4) << 20) / (rowBytes_ + kRowChecksum));
    std::string bits;
    for (size_t first = 0; first < rowCount_; first += run) {
        const size_t count = std::min(run, rowCount_ - first);
        if (!rows(first, count, bits)) return std::nullopt;
        for (size_t r = 0; r < count; ++r)
            for (size_t i = 0; i < rowBytes_; ++i)
                for (auto byte = static_cast<unsigned char>(bits[r * rowBytes_ + i]); byte;
                     byte &= byte - 1) {
                    const size_t s = i * 8 + size_t(std::countr_zero(byte));
                    // A row of several buckets sets them all: never fewer than the stock's.
                    for (size_t b = (first + r) << shift_; b < (first + r + 1) << shift_; ++b)
                        if (s < out.size()) out[s].set(b);
                }
    }
    return out;
}

} // namespace zt
