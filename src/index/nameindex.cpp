#include "index/nameindex.h"

#include "catalogue/foldertree.h"
#include "catalogue/stockrecords.h"
#include "platform/codec.h"
#include "platform/datafiles.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "platform/placedlines.h"
#include "platform/textfile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
#include <unordered_map>

namespace zt {

namespace {

constexpr std::string_view kMagic = "ZTNIDX01";
constexpr size_t kHeaderSize = NameIndexHeader::kSize;
constexpr size_t kPageEntries = 128; // trigram entries a directory page covers
constexpr size_t kFirstRead = 4096;  // what an open reads first: the header and a directory
constexpr size_t kBlockRecords = 64;
constexpr size_t kBlockSize = 16; // u64 base offset, u32 place of its deltas, u32 checksum
constexpr size_t kEntrySize = 24; // u32 trigram, u32 count, u64 place, u32 length, u32 checksum

// The most varint bytes a number of the index takes: a record number or count
// (32 bits), and a byte offset or distance in the stock file (64 bits).
constexpr uint64_t kMaxSmallVarint = 5, kMaxWideVarint = 10;
// What a folder-table entry takes besides its name: distance, depth, parent
// and name length as small varints, the offset distance as a wide one.
constexpr uint64_t kMaxFolderFields = 4 * kMaxSmallVarint + kMaxWideVarint;

// A checksum fast enough to run over every section an index reads at each
// open: four lanes of eight bytes a step, so the multiplications overlap.
uint64_t hashOn(uint64_t seed, std::string_view bytes) {
    constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
    static_assert(std::endian::native == std::endian::little, "words are read as stored");
    uint64_t lane[4] = {seed, seed ^ k, seed + k, ~seed};
    auto mix = [](uint64_t h, const char* at) {
        uint64_t w;
        std::memcpy(&w, at, 8);
        h = (h ^ w) * k;
        return h ^ (h >> 29);
    };
    size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32)
        for (int j = 0; j < 4; ++j)
            lane[j] = mix(lane[j], bytes.data() + i + 8 * j);
    for (; i + 8 <= bytes.size(); i += 8)
        lane[0] = mix(lane[0], bytes.data() + i);
    for (; i < bytes.size(); ++i)
        lane[1] = (lane[1] ^ static_cast<unsigned char>(bytes[i])) * 0x100000001B3ull;
    uint64_t h = bytes.size();
    for (const uint64_t l : lane)
        h = (h ^ l) * k;
    return h ^ (h >> 32);
}

uint32_t checksum(std::string_view bytes) {
    return uint32_t(hashOn(0xCBF29CE484222325ull, bytes));
}

// The header's checksum is its last field.
constexpr size_t kHeadChecksumAt = kHeaderSize - 8;

// Numbers are written little-endian byte by byte, whatever the machine.
template <class T> void putAt(std::string& out, size_t at, T v) {
    const auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (size_t i = 0; i < sizeof v; ++i)
        out[at + i] = char(uint8_t(u >> (8 * i)));
}
template <class T> void put(std::string& out, T v) {
    out.resize(out.size() + sizeof v);
    putAt(out, out.size() - sizeof v, v);
}
template <class T> T get(std::string_view in, size_t at) {
    std::make_unsigned_t<T> u = 0;
    for (size_t i = 0; i < sizeof u; ++i)
        u |= std::make_unsigned_t<T>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return static_cast<T>(u);
}

// The header's fields in their order on disk, after the magic.
template <class Header, class Visit> constexpr void eachField(Header& h, Visit&& visit) {
    visit(h.version);
    visit(h.records);
    visit(h.folders);
    visit(h.trigrams);
    visit(h.stock.size);
    visit(h.stock.modifiedNs);
    visit(h.stock.device);
    visit(h.stock.inode);
    visit(h.stock.changedNs);
    visit(h.blocksPos);
    visit(h.deltasPos);
    visit(h.deltasLength);
    visit(h.foldersPos);
    visit(h.foldersLength);
    visit(h.trigramsPos);
    visit(h.postingsPos);
    visit(h.foldersChecksum);
    visit(h.headChecksum);
}

constexpr size_t headerBytes() {
    NameIndexHeader h;
    size_t n = kMagic.size();
    eachField(h, [&n](auto v) { n += sizeof v; });
    return n;
}
static_assert(headerBytes() == kHeaderSize);

// What the counts of a header and the size of its stock file allow, checked
// before anything is read on their word: a record takes at least four bytes
// of the stock file (its number line, its name line and the value lines that
// follow, a line one byte at the least), a folder's name is at most three
// UTF-8 bytes for each of its stock file's bytes, a distinct trigram needs a
// name byte of its own. A crafted index (a sparse file can claim any size)
// can then make an open allocate no more than a small multiple of the stock.
bool withinCounts(const NameIndexHeader& h) {
    const uint64_t stock = h.stock.size;
    const uint64_t fields = uint64_t(h.folders) * kMaxFolderFields;
    return h.records <= stock / 4 + 1 && h.folders <= h.records &&
           h.trigrams <= uint64_t(1) << 24 && h.trigrams / 3 <= stock &&
           h.deltasLength <= uint64_t(h.records) * kMaxWideVarint &&
           (h.foldersLength - std::min(h.foldersLength, fields)) / 3 <= stock;
}

void putVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out += char(v | 0x80);
        v >>= 7;
    }
    out += char(v);
}

// Reads a varint at pos; false when it runs past the end or over 64 bits.
bool getVarint(std::string_view in, size_t& pos, uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (pos >= in.size()) return false;
        const auto c = static_cast<unsigned char>(in[pos++]);
        v |= uint64_t(c & 0x7F) << shift;
        if (!(c & 0x80)) return true;
    }
    return false;
}

struct Posting {
    std::string bytes;
    uint32_t last = 0, count = 0;
};

// The records of a stock file as the search reaches them, in file order:
// where each starts, and its trimmed name as read and folded.
class RecordWalk {
  public:
    explicit RecordWalk(PlacedLines& in) : records_(in) { (void)records_.header(); }

    // Next record; false at the end or where the search stops reading.
    bool next(StockRecord& r, std::string& name, std::string& folded) {
        if (!records_.next(r)) return false;
        name.clear();
        cp932::decodeAppend(r.name, name);
        name.resize(trimNameEnd(name).size());
        folded = name;
        lowerAnsiInPlace(folded);
        return true;
    }

  private:
    RecordCursor<PlacedLines> records_;
};

} // namespace

uint32_t indexChecksum(std::string_view bytes, uint64_t seed) {
    return uint32_t(hashOn(0xCBF29CE484222325ull ^ seed, bytes));
}

std::vector<uint32_t> trigramsOf(std::string_view text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 3 <= text.size(); ++i)
        out.push_back(uint32_t(static_cast<unsigned char>(text[i])) << 16 |
                      uint32_t(static_cast<unsigned char>(text[i + 1])) << 8 |
                      uint32_t(static_cast<unsigned char>(text[i + 2])));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::string buildNameIndex(std::string_view stockBytes, const FileStamp& stamp,
                           std::vector<uint32_t>* trigrams) {
    PlacedLines lines(stockBytes);
    return buildNameIndex(lines, stamp, trigrams);
}

std::string buildNameIndex(PlacedLines& lines, const FileStamp& stamp,
                           std::vector<uint32_t>* trigrams) {
    std::vector<uint64_t> offsets;
    std::string folders;
    std::unordered_map<uint32_t, Posting> postings;
    RecordWalk walk(lines);
    StockRecord r;
    std::string name, folded;
    uint32_t lastFolder = 0, folderCount = 0;
    uint64_t lastFolderOffset = 0;
    std::vector<uint32_t> open; // the open folders' numbers, innermost last
    while (walk.next(r, name, folded)) {
        const auto record = uint32_t(offsets.size());
        offsets.push_back(r.offset);
        if (r.folder) {
            putVarint(folders, record - lastFolder);
            putVarint(folders, uint64_t(r.depth));
            putVarint(folders, r.offset - lastFolderOffset); // file order: never backwards
            // Its parent: the innermost folder still open (0: the top).
            open.resize(open.size() - size_t(r.closes));
            putVarint(folders, open.empty() ? 0 : folderCount - open.back());
            // Its name as a row's path shows it, so a path needs no stock reads.
            putVarint(folders, name.size());
            folders += name;
            open.push_back(folderCount);
            lastFolder = record;
            lastFolderOffset = r.offset;
            ++folderCount;
        }
        for (uint32_t t : trigramsOf(folded)) {
            Posting& p = postings[t];
            putVarint(p.bytes, p.count ? record - p.last : record);
            p.last = record;
            ++p.count;
        }
    }

    std::vector<std::pair<uint32_t, const Posting*>> sorted;
    for (const auto& [t, p] : postings)
        sorted.emplace_back(t, &p);
    std::sort(sorted.begin(), sorted.end());
    if (trigrams) {
        trigrams->clear();
        trigrams->reserve(sorted.size());
        for (const auto& [t, p] : sorted)
            trigrams->push_back(t);
    }
    std::string table;
    uint64_t place = 0;
    for (const auto& [t, p] : sorted) {
        put(table, t);
        put(table, p->count);
        put(table, place);
        put(table, uint32_t(p->bytes.size()));
        put(table, checksum(p->bytes));
        place += p->bytes.size();
    }

    NameIndexHeader h;
    h.records = uint32_t(offsets.size());
    h.folders = folderCount;
    h.trigrams = uint32_t(sorted.size());
    h.stock = stamp;
    std::string out(kHeaderSize, '\0'); // the header goes in last, once its places are known
    // The page directory: each page's first trigram and checksum.
    const size_t pageBytes = kPageEntries * kEntrySize;
    for (size_t at = 0; at < table.size(); at += pageBytes) {
        put(out, get<uint32_t>(table, at));
        put(out, checksum(std::string_view(table).substr(at, pageBytes)));
    }
    // The body. Offsets: a base per block of 64 records, then the deltas within it.
    std::string deltas;
    h.blocksPos = out.size();
    for (size_t b = 0; b < offsets.size(); b += kBlockRecords) {
        std::string block;
        put(block, offsets[b]);
        put(block, uint32_t(deltas.size()));
        const size_t from = deltas.size();
        for (size_t i = b + 1; i < std::min(offsets.size(), b + kBlockRecords); ++i)
            putVarint(deltas, offsets[i] - offsets[i - 1]);
        // Each block is checked on its own, with its deltas, when it is read.
        out += block;
        put(out, checksum(block + deltas.substr(from)));
    }
    h.deltasPos = out.size();
    h.deltasLength = deltas.size();
    out += deltas;
    h.foldersPos = out.size();
    h.foldersLength = folders.size();
    out += folders;
    h.foldersChecksum = checksum(folders);
    h.trigramsPos = out.size();
    out += table;
    h.postingsPos = out.size();
    out.replace(0, kHeaderSize, h.bytes());
    h.headChecksum = NameIndexHeader::checksumOf(std::string_view(out).substr(0, h.blocksPos));
    out.replace(0, kHeaderSize, h.bytes());
    for (const auto& [t, p] : sorted)
        out += p->bytes;
    return out;
}

std::string NameIndexHeader::bytes() const {
    std::string out(kMagic);
    eachField(*this, [&out](auto v) { put(out, v); });
    return out;
}

std::optional<NameIndexHeader> NameIndexHeader::parse(std::string_view bytes) {
    if (bytes.size() < kSize || !bytes.starts_with(kMagic)) return std::nullopt;
    NameIndexHeader h;
    size_t at = kMagic.size();
    eachField(h, [&](auto& v) {
        v = get<std::remove_reference_t<decltype(v)>>(bytes, at);
        at += sizeof v;
    });
    return h;
}

uint64_t NameIndexHeader::checksumOf(std::string_view head) {
    if (head.size() < kSize) return 0;
    return uint32_t(hashOn(hashOn(0xCBF29CE484222325ull, head.substr(0, kHeadChecksumAt)),
                           head.substr(kSize)));
}

std::optional<NameIndexHeader> readNameIndexHeader(const std::filesystem::path& indexFile) {
    const RandomAccessFile file(indexFile);
    std::string head;
    if (!file.ok() || !file.readAt(0, kHeaderSize, head)) return std::nullopt;
    return NameIndexHeader::parse(head);
}

std::optional<BuiltIndex> writeNameIndex(const std::filesystem::path& stockFile,
                                         const std::filesystem::path& indexFile) {
    // Read piece by piece: the memory is the index's, not the stock file's.
    const RandomAccessFile file(stockFile);
    const auto stamp = file.ok() ? file.stamp() : std::nullopt;
    if (!stamp) return std::nullopt;
    PlacedLines lines(file, PieceReader::kDefaultPieceBytes);
    BuiltIndex built{*stamp, {}};
    const std::string index = buildNameIndex(lines, *stamp, &built.trigrams);
    // A file changed while it was read gives no index (the next use builds it).
    if (lines.failed() || file.stamp() != stamp) return std::nullopt;
    // Data/Index is made when missing and never followed when it is a link.
    if (!writeSideFile(indexFile, index, SideFileSync::Rebuildable)) return std::nullopt;
    return built;
}

std::optional<NameIndex> NameIndex::open(std::string_view bytes, const FileStamp& stock) {
    auto index = openFrom(bytes, nullptr, bytes.size(), stock);
    if (!index || !index->loadFolders()) return std::nullopt;
    return index;
}

std::optional<NameIndex> NameIndex::read(const std::filesystem::path& indexFile,
                                         const FileStamp& stock) {
    auto file = std::make_shared<const RandomAccessFile>(indexFile);
    const auto stamp = file->ok() ? file->stamp() : std::nullopt;
    if (!stamp) return std::nullopt;
    return openFrom({}, std::move(file), stamp->size, stock);
}

bool NameIndex::fetch(uint64_t pos, uint64_t length, std::string& out) const {
    if (pos > fileSize_ || length > fileSize_ - pos) return false;
    if (!file_) {
        out.assign(bytes_.substr(size_t(pos), size_t(length)));
        return true;
    }
    return file_->readAt(pos, size_t(length), out) && out.size() == length;
}

std::optional<NameIndex> NameIndex::openFrom(std::string_view bytes,
                                             std::shared_ptr<const RandomAccessFile> file,
                                             uint64_t fileSize, const FileStamp& stock) {
    NameIndex index;
    index.bytes_ = bytes;
    index.file_ = std::move(file);
    index.fileSize_ = fileSize;
    std::string& head = index.head_;
    if (!index.fetch(0, std::min<uint64_t>(fileSize, kFirstRead), head)) return std::nullopt;
    const auto parsed = NameIndexHeader::parse(head);
    if (!parsed || parsed->version != NameIndexHeader::kVersion || parsed->stock != stock ||
        !withinCounts(*parsed))
        return std::nullopt;
    const NameIndexHeader& h = *parsed;
    const uint64_t blockCount = (uint64_t(h.records) + kBlockRecords - 1) / kBlockRecords;
    const uint64_t pages = (uint64_t(h.trigrams) + kPageEntries - 1) / kPageEntries;
    // The sections follow each other in this order, each within the file
    // (the counts are bounded, so none of these sums can wrap).
    if (h.blocksPos != kHeaderSize + pages * 8 ||
        h.deltasPos != h.blocksPos + blockCount * kBlockSize ||
        h.foldersPos != h.deltasPos + h.deltasLength ||
        h.trigramsPos != h.foldersPos + h.foldersLength ||
        h.postingsPos != h.trigramsPos + uint64_t(h.trigrams) * kEntrySize ||
        h.postingsPos > fileSize)
        return std::nullopt;
    if (h.blocksPos > head.size() && !index.fetch(0, h.blocksPos, head)) return std::nullopt;
    head.resize(size_t(h.blocksPos));
    if (NameIndexHeader::checksumOf(head) != h.headChecksum) return std::nullopt;
    index.header_ = h;
    return index;
}

bool NameIndex::loadFolders() {
    if (foldersLoaded_) return true;
    std::string& folders = folderTable_;
    if (!fetch(header_.foldersPos, header_.foldersLength, folders) ||
        uint64_t(checksum(folders)) != header_.foldersChecksum)
        return false;
    // An entry takes five bytes at the least: no more are made room for.
    const uint32_t count = header_.folders;
    const size_t room = std::min<size_t>(count, folders.size() / 5);
    names_.reserve(room);
    folders_.reserve(room);
    folderOffsets_.reserve(room);
    parents_.reserve(room);
    size_t pos = 0;
    uint64_t record = 0, offset = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t delta = 0, depth = 0, offsetDelta = 0, up = 0;
        if (!getVarint(folders, pos, delta) || !getVarint(folders, pos, depth) ||
            !getVarint(folders, pos, offsetDelta) || !getVarint(folders, pos, up) || up > i)
            return false;
        parents_.push_back(up == 0 ? kNoParent : i - uint32_t(up));
        uint64_t nameLength = 0;
        if (!getVarint(folders, pos, nameLength) || nameLength > folders.size() - pos) return false;
        names_.emplace_back(uint32_t(pos), uint32_t(nameLength));
        pos += size_t(nameLength);
        record += delta;
        offset += offsetDelta;
        if (record >= header_.records || depth == 0 || depth > header_.records ||
            (i > 0 && delta == 0) || offset < offsetDelta || offset >= header_.stock.size)
            return false;
        folders_.push_back(uint32_t(record));
        folderOffsets_.push_back(offset);
    }
    foldersLoaded_ = true;
    return true;
}

bool NameIndex::checkWhole() {
    if (!loadFolders()) return false;
    const uint64_t blocks = (uint64_t(header_.records) + kBlockRecords - 1) / kBlockRecords;
    for (uint64_t b = 0; b < blocks; ++b)
        if (recordOffset(uint32_t(b * kBlockRecords)) == UINT64_MAX) return false;
    std::string table;
    for (size_t page = 0; page < (head_.size() - kHeaderSize) / 8; ++page) {
        // Every entry of the page: its list must check out.
        if (!fetchPage(page, table)) return false;
        for (size_t i = 0; i < table.size() / kEntrySize; ++i) {
            const size_t at = size_t(i) * kEntrySize;
            const Entry e{get<uint32_t>(table, at), get<uint32_t>(table, at + 4),
                          get<uint64_t>(table, at + 8), get<uint32_t>(table, at + 16),
                          get<uint32_t>(table, at + 20)};
            if (!postings(e)) return false;
        }
    }
    return true;
}

std::optional<std::vector<uint32_t>> NameIndex::allTrigrams() const {
    std::vector<uint32_t> out;
    out.reserve(header_.trigrams);
    std::string table;
    for (size_t page = 0; page < (head_.size() - kHeaderSize) / 8; ++page) {
        if (!fetchPage(page, table)) return std::nullopt;
        for (size_t at = 0; at + kEntrySize <= table.size(); at += kEntrySize) {
            const uint32_t t = get<uint32_t>(table, at);
            // Ascending without repeats, as written: anything else is damage.
            if (!out.empty() && t <= out.back()) return std::nullopt;
            out.push_back(t);
        }
    }
    return out;
}

uint64_t NameIndex::recordOffset(uint32_t record) const {
    if (record >= header_.records) return UINT64_MAX;
    const uint64_t block = record / kBlockRecords;
    if (block != cachedBlock_) {
        // The block's entry and the next one's, which says where its deltas end.
        const uint64_t blocks = (uint64_t(header_.records) + kBlockRecords - 1) / kBlockRecords;
        std::string entries;
        if (!fetch(header_.blocksPos + block * kBlockSize,
                   block + 1 < blocks ? 2 * kBlockSize : kBlockSize, entries))
            return UINT64_MAX;
        const uint64_t from = get<uint32_t>(entries, 8);
        const uint64_t to =
            block + 1 < blocks ? get<uint32_t>(entries, kBlockSize + 8) : header_.deltasLength;
        cachedBlock_ = UINT64_MAX;
        // A block holds the distances of 63 records at most.
        if (from > to || to > header_.deltasLength ||
            to - from > (kBlockRecords - 1) * kMaxWideVarint ||
            !fetch(header_.deltasPos + from, to - from, cachedDeltas_) ||
            checksum(entries.substr(0, 12) + cachedDeltas_) != get<uint32_t>(entries, 12))
            return UINT64_MAX;
        cachedBlock_ = block;
        cachedBase_ = get<uint64_t>(entries, 0);
    }
    uint64_t offset = cachedBase_;
    size_t pos = 0;
    for (uint32_t i = 0; i < record % kBlockRecords; ++i) {
        uint64_t delta = 0;
        if (!getVarint(cachedDeltas_, pos, delta)) return UINT64_MAX;
        offset += delta;
    }
    return offset;
}

bool NameIndex::fetchPage(size_t page, std::string& table) const {
    const std::string_view directory = std::string_view(head_).substr(kHeaderSize);
    const uint64_t first = uint64_t(page) * kPageEntries;
    const uint64_t entries = std::min<uint64_t>(kPageEntries, header_.trigrams - first);
    return fetch(header_.trigramsPos + first * kEntrySize, entries * kEntrySize, table) &&
           checksum(table) == get<uint32_t>(directory, page * 8 + 4);
}

std::optional<NameIndex::Entry> NameIndex::find(uint32_t trigram, bool& damaged) const {
    // The last page whose first trigram is not above this one.
    const std::string_view directory = std::string_view(head_).substr(kHeaderSize);
    size_t lo = 0, hi = directory.size() / 8;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (get<uint32_t>(directory, mid * 8) <= trigram)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0) return std::nullopt;
    std::string table;
    if (!fetchPage(lo - 1, table)) {
        damaged = true;
        return std::nullopt;
    }
    const size_t entries = table.size() / kEntrySize;
    size_t a = 0, b = entries;
    while (a < b) {
        const size_t mid = (a + b) / 2;
        if (get<uint32_t>(table, mid * kEntrySize) < trigram)
            a = mid + 1;
        else
            b = mid;
    }
    if (a == entries || get<uint32_t>(table, a * kEntrySize) != trigram) return std::nullopt;
    const size_t at = a * kEntrySize;
    return Entry{trigram, get<uint32_t>(table, at + 4), get<uint64_t>(table, at + 8),
                 get<uint32_t>(table, at + 16), get<uint32_t>(table, at + 20)};
}

std::optional<std::vector<uint32_t>> NameIndex::postings(const Entry& e) const {
    const uint64_t size = fileSize_ - header_.postingsPos;
    std::string list;
    // A list holds one varint of at most five bytes per record in it.
    if (e.count > header_.records || e.length < e.count ||
        e.length > uint64_t(e.count) * kMaxSmallVarint || e.place > size ||
        e.length > size - e.place || !fetch(header_.postingsPos + e.place, e.length, list) ||
        checksum(list) != e.checksum)
        return std::nullopt;
    std::vector<uint32_t> out;
    out.reserve(e.count);
    size_t pos = 0;
    uint64_t record = 0;
    for (uint32_t i = 0; i < e.count; ++i) {
        uint64_t delta = 0;
        if (!getVarint(list, pos, delta)) return std::nullopt;
        record += delta;
        if (record >= header_.records || (i > 0 && delta == 0)) return std::nullopt;
        out.push_back(uint32_t(record));
    }
    return out;
}

std::optional<std::vector<uint32_t>>
NameIndex::candidates(std::span<const uint32_t> trigrams) const {
    // The rarest list first, so the intersection only ever shrinks from there.
    std::vector<Entry> entries;
    for (uint32_t t : trigrams) {
        bool damaged = false;
        const auto e = find(t, damaged);
        if (damaged) return std::nullopt;
        if (!e) return std::vector<uint32_t>{}; // a trigram no name holds: nothing can match
        entries.push_back(*e);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.count < b.count; });
    std::vector<uint32_t> result;
    for (size_t i = 0; i < entries.size(); ++i) {
        // A list much longer than the candidates left costs more to read
        // than settling those candidates on the stock file: stop narrowing.
        if (i > 0 && entries[i].count / 32 > result.size()) break;
        auto list = postings(entries[i]);
        if (!list) return std::nullopt;
        if (i == 0) {
            result = std::move(*list);
        } else {
            std::vector<uint32_t> both;
            std::set_intersection(result.begin(), result.end(), list->begin(), list->end(),
                                  std::back_inserter(both));
            result = std::move(both);
        }
        if (result.empty()) break;
    }
    return result;
}

} // namespace zt
