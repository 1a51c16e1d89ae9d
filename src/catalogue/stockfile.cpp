#include "catalogue/stockfile.h"
#include "platform/codec.h"
#include "platform/piecereader.h"
#include "platform/textfile.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <vector>

namespace zt {

namespace {

void appendNumberLine(std::string& out, long long v) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    (void)ec;
    out.append(buf, end);
    out += "\r\n";
}

// The eight numbers are put together on the stack and appended at once: this
// runs for every record of a million-file stock.
void appendValues(std::string& out, FileTime c, FileTime a, FileTime w, uint64_t size) {
    char buf[8 * 12];
    char* p = buf;
    for (uint32_t v : {c.lowHalf(), c.highHalf(), a.lowHalf(), a.highHalf(), w.lowHalf(),
                       w.highHalf(), uint32_t(size >> 32), uint32_t(size & 0xffffffffu)}) {
        p = std::to_chars(p, buf + sizeof buf, v).ptr;
        *p++ = '\r';
        *p++ = '\n';
    }
    out.append(buf, p);
}

void appendName(std::string& out, std::string_view name) {
    cp932::encodeAppend(name, out);
    out += "\r\n";
}

// Where the records go: one string, handed over in pieces when a drain is set
// (writing a file), or kept whole (serializeStock).
struct Sink {
    static constexpr size_t kPiece = size_t(4) << 20;
    std::string out;
    const std::function<void(std::string_view)>* drain = nullptr; // not owned

    void recordDone() {
        if (drain && out.size() >= kPiece) {
            (*drain)(out);
            out.clear();
        }
    }
};

void appendFiles(Sink& sink, const FolderNode& folder) {
    for (const FileRecord* f = folder.firstFile; f; f = f->next) {
        sink.out += "-1\r\n";
        appendName(sink.out, f->name());
        appendValues(sink.out, f->created, f->accessed, f->modified, f->size);
        sink.recordDone();
    }
}

// The whole file in record order: the header, the root's files, then every
// folder's record and files in pre-order, without recursion.
void serialize(const FolderTree& tree, Sink& sink) {
    appendNumberLine(sink.out, kStockFormatMark);
    appendNumberLine(sink.out, tree.folderCount());
    const FolderNode* root = tree.root();
    if (!root) return;
    appendFiles(sink, *root);
    std::vector<const FolderNode*> stack(root->children.rbegin(), root->children.rend());
    while (!stack.empty()) {
        const FolderNode* n = stack.back();
        stack.pop_back();
        appendNumberLine(sink.out, n->level);
        appendName(sink.out, n->name);
        appendValues(sink.out, n->created, n->accessed, n->modified, n->size);
        sink.recordDone();
        appendFiles(sink, *n);
        stack.insert(stack.end(), n->children.rbegin(), n->children.rend());
    }
}

// Reads one line of values; a missing line (end of file) counts as 0.
template <class Lines> uint32_t nextValue(Lines& in) {
    std::string_view line;
    return in.next(line) ? parseStockNumber(line) : 0;
}

// The eight number lines of a record into its four values.
template <class Lines, class Record> void readValues(Lines& in, Record& r) {
    uint32_t v[8];
    for (uint32_t& x : v)
        x = nextValue(in);
    r.created = FileTime::fromHalves(v[0], v[1]);
    r.accessed = FileTime::fromHalves(v[2], v[3]);
    r.modified = FileTime::fromHalves(v[4], v[5]);
    r.size = (uint64_t(v[6]) << 32) | v[7];
}

} // namespace

uint32_t parseStockNumber(std::string_view line) {
    // Nearly every line is plain digits.
    uint32_t plain = 0;
    size_t k = 0;
    for (; k < line.size() && line[k] >= '0' && line[k] <= '9'; ++k)
        plain = plain * 10u + uint32_t(line[k] - '0');
    if (k == line.size()) return plain;
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    uint32_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value * 10u + uint32_t(line[i] - '0'); // wraps modulo 2^32 by design
    return negative ? 0u - value : value;
}

namespace {

bool isNumberLine(std::string_view line) {
    size_t i = (!line.empty() && (line[0] == '-' || line[0] == '+')) ? 1 : 0;
    if (i == line.size()) return false;
    for (; i < line.size(); ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

template <class Lines> bool looksLikeStockLines(Lines& in) {
    std::string_view line;
    for (int header = 0; header < 2; ++header)
        if (!in.next(line) || !isNumberLine(line)) return false;
    int depth = 0; // of the innermost open folder
    while (in.next(line)) {
        if (!isNumberLine(line)) return false;
        const auto number = int32_t(parseStockNumber(line));
        if (number != -1) {
            if (number < 1 || number > depth + 1) return false;
            depth = number;
        }
        if (!in.next(line)) return false; // the name
        for (int v = 0; v < 8; ++v)
            if (!in.next(line) || !isNumberLine(line)) return false;
    }
    return true;
}

} // namespace

bool looksLikeStock(std::string_view bytes) {
    LineCursor in(bytes);
    return looksLikeStockLines(in);
}

std::optional<bool> looksLikeStockFile(const std::filesystem::path& path) {
    PieceReader in;
    if (!in.open(path)) return std::nullopt;
    PieceLines lines(in);
    const bool stock = looksLikeStockLines(lines);
    if (in.failed()) return std::nullopt;
    return stock;
}

std::string serializeStock(const FolderTree& tree) {
    // Room for every record (numbers and line ends take about 70 bytes, names
    // seldom more than 40), so the buffer is not copied while it grows.
    size_t records = tree.nodeCount();
    records += tree.fileCount();
    Sink sink;
    sink.out.reserve(64 + records * 112);
    serialize(tree, sink);
    return std::move(sink.out);
}

bool writeStockFile(const std::filesystem::path& path, const FolderTree& tree) {
    // Streamed in pieces: the disk writes one piece while the next is built,
    // and a large stock never needs its whole file in memory.
    AtomicFileWriter file(path);
    const std::function<void(std::string_view)> drain = [&file](std::string_view piece) {
        file.write(piece);
    };
    Sink sink;
    sink.out.reserve(Sink::kPiece + 64 * 1024);
    sink.drain = &drain;
    serialize(tree, sink);
    file.write(sink.out);
    return file.commit();
}

namespace {

// The records from any source of lines (bytes in memory or a file read piece
// by piece); a line is used before the next one is asked for.
template <class Lines>
StockReadResult parseRecords(Lines& in, std::string rootText, FolderTree& tree,
                             const HeaderCallback& onHeader, const FolderRecordCallback& onFolder) {
    tree.clear();
    StockReadResult result;
    std::string_view line;
    if (in.next(line)) result.formatMark = int(parseStockNumber(line));

    FolderNode* root = tree.addRoot(std::move(rootText));

    if (in.next(line)) result.folderCount = int(parseStockNumber(line));
    if (onHeader) onHeader(result.folderCount);

    // The open folders, innermost last. A depth number closes folders until it
    // is one more than the innermost open folder's level.
    std::vector<FolderNode*> open{root};
    std::string name;
    while (in.next(line)) {
        const auto number = int32_t(parseStockNumber(line));
        if (number == -1) {
            std::string_view raw;
            if (!in.next(raw)) break;
            name.clear();
            cp932::decodeAppend(raw, name);
            readValues(in, *tree.addFile(open.back(), name));
            continue;
        }
        while (!open.empty() && number != open.back()->level + 1)
            open.pop_back();
        if (open.empty()) break; // a depth that fits no open folder ends the load
        if (onFolder && !onFolder()) {
            result.status = StockReadStatus::Cancelled;
            return result;
        }
        std::string_view raw;
        if (!in.next(raw)) break;
        name.clear();
        cp932::decodeAppend(raw, name);
        FolderNode* folder = tree.addChild(open.back(), std::string(trimNameEnd(name)));
        readValues(in, *folder);
        open.push_back(folder);
    }
    return result;
}

} // namespace

StockReadResult parseStock(std::string_view bytes, std::string rootText, FolderTree& tree,
                           const HeaderCallback& onHeader, const FolderRecordCallback& onFolder) {
    LineCursor in(bytes);
    return parseRecords(in, std::move(rootText), tree, onHeader, onFolder);
}

StockReadResult readStock(PieceReader& in, std::string rootText, FolderTree& tree,
                          const HeaderCallback& onHeader, const FolderRecordCallback& onFolder) {
    PieceLines lines(in);
    StockReadResult r = parseRecords(lines, std::move(rootText), tree, onHeader, onFolder);
    if (in.failed()) {
        tree.clear();
        r = StockReadResult{};
        r.status = StockReadStatus::CannotOpen;
    }
    return r;
}

StockReadResult readStockFile(const std::filesystem::path& path, std::string rootText,
                              FolderTree& tree, const HeaderCallback& onHeader,
                              const FolderRecordCallback& onFolder) {
    PieceReader in;
    if (!in.open(path)) {
        tree.clear();
        StockReadResult r;
        r.status = StockReadStatus::CannotOpen;
        return r;
    }
    return readStock(in, std::move(rootText), tree, onHeader, onFolder);
}

} // namespace zt
