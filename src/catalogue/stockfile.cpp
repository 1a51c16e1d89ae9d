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
        appendStockValues(sink.out, {f->created, f->accessed, f->modified, f->size});
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
        appendStockValues(sink.out, {n->created, n->accessed, n->modified, n->size});
        sink.recordDone();
        appendFiles(sink, *n);
        stack.insert(stack.end(), n->children.rbegin(), n->children.rend());
    }
}

// A record's values into the folder or file it made.
template <class Node> void take(Node& node, const StockValues& v) {
    node.created = v.created;
    node.accessed = v.accessed;
    node.modified = v.modified;
    node.size = v.size;
}

template <class Lines> bool looksLikeStockLines(Lines& in) {
    RecordCursor<Lines> records(in);
    (void)records.header();
    StockRecord r;
    while (records.next(r))
        (void)records.values();
    return records.wellFormed();
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

void streamStock(const FolderTree& tree, const std::function<void(std::string_view)>& out) {
    Sink sink;
    sink.out.reserve(Sink::kPiece + 64 * 1024);
    sink.drain = &out;
    serialize(tree, sink);
    if (!sink.out.empty()) out(sink.out);
}

bool writeStockFile(const std::filesystem::path& path, const FolderTree& tree) {
    // Streamed in pieces: the disk writes one piece while the next is built,
    // and a large stock never needs its whole file in memory.
    AtomicFileWriter file(path);
    streamStock(tree, [&file](std::string_view piece) { file.write(piece); });
    return file.commit();
}

namespace {

// The records from any source of lines (bytes in memory or a file read piece
// by piece); a line is used before the next one is asked for.
template <class Lines>
StockReadResult parseRecords(Lines& in, std::string rootText, FolderTree& tree,
                             const HeaderCallback& onHeader, const CancelCheck& cancelled) {
    tree.clear();
    RecordCursor<Lines> records(in);
    const StockHeader header = records.header();
    StockReadResult result;
    result.formatMark = header.formatMark;
    result.folderCount = header.folderCount;
    if (onHeader) onHeader(result.folderCount);

    FolderNode* open = tree.addRoot(std::move(rootText)); // the innermost open folder
    std::string name;
    StockRecord r;
    while (records.next(r)) {
        if (r.folder) {
            for (int i = 0; i < r.closes; ++i)
                open = open->parent;
            if (cancelled && cancelled()) {
                result.status = StockReadStatus::Cancelled;
                return result;
            }
        }
        name.clear();
        cp932::decodeAppend(r.name, name); // before the values: the name's line lasts till then
        if (!r.folder) {
            take(*tree.addFile(open, name), records.values());
            continue;
        }
        open = tree.addChild(open, std::string(trimNameEnd(name)));
        take(*open, records.values());
    }
    return result;
}

} // namespace

StockReadResult parseStock(std::string_view bytes, std::string rootText, FolderTree& tree,
                           const HeaderCallback& onHeader, const CancelCheck& cancelled) {
    LineCursor in(bytes);
    return parseRecords(in, std::move(rootText), tree, onHeader, cancelled);
}

StockReadResult readStock(PieceReader& in, std::string rootText, FolderTree& tree,
                          const HeaderCallback& onHeader, const CancelCheck& cancelled) {
    PieceLines lines(in);
    StockReadResult r = parseRecords(lines, std::move(rootText), tree, onHeader, cancelled);
    if (in.failed()) {
        tree.clear();
        r = StockReadResult{};
        r.status = StockReadStatus::CannotOpen;
    }
    return r;
}

StockReadResult readStockFile(const std::filesystem::path& path, std::string rootText,
                              FolderTree& tree, const HeaderCallback& onHeader,
                              const CancelCheck& cancelled) {
    PieceReader in;
    if (!in.open(path)) {
        tree.clear();
        StockReadResult r;
        r.status = StockReadStatus::CannotOpen;
        return r;
    }
    return readStock(in, std::move(rootText), tree, onHeader, cancelled);
}

} // namespace zt
