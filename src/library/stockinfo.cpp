#include "library/stockinfo.h"

#include "catalogue/stockrecords.h"
#include "library/sidefiles.h"
#include "platform/codec.h"
#include "platform/datafiles.h"
#include "platform/numbertext.h"
#include "platform/piecereader.h"
#include "platform/textfile.h"
#include "platform/utf8.h"

#include <charconv>
#include <ctime>

namespace zt {

namespace {

constexpr std::string_view kUnknown = "(不明)";

const std::pair<SourceKind, const char*> kKindWords[] = {
    {SourceKind::Cd, "cd"},
    {SourceKind::Removable, "removable"},
    {SourceKind::HardDisk, "harddisk"},
    {SourceKind::Folder, "folder"},
    {SourceKind::Image, "image"},
};

std::optional<uint64_t> number(std::string_view text) {
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}


std::string orUnknown(const std::string& text) {
    return text.empty() ? std::string(kUnknown) : text;
}

} // namespace

void countTree(const FolderTree& tree, StockInfo& info) {
    info.folders = uint64_t(tree.folderCount());
    info.files = tree.fileCount();
    info.bytes = tree.root() ? folderSize(*tree.root()) : 0;
}

bool countStockFile(const std::filesystem::path& stockFile, StockInfo& info) {
    PieceReader in;
    if (!in.open(stockFile)) return false;
    PieceLines lines(in);
    RecordCursor<PieceLines> records(lines);
    (void)records.header();
    uint64_t folders = 0, files = 0, bytes = 0;
    StockRecord r;
    // A folder's values are never needed: the cursor skips them unread.
    while (records.next(r))
        if (r.folder) {
            ++folders;
        } else {
            ++files;
            bytes += records.values().size;
        }
    if (in.failed()) return false;
    info.folders = folders;
    info.files = files;
    info.bytes = bytes;
    return true;
}

StockInfo infoOfCapture(const SourceFacts& facts, const FolderTree& tree, FileTime now) {
    StockInfo info;
    info.fromSideFile = true;
    info.source = keepBytesRaw(facts.path); // the real bytes survive the side file
    info.label = facts.label;
    info.fileSystem = facts.fileSystem;
    info.kind = facts.kind;
    info.captured = now;
    info.volumeSize = facts.volumeSize;
    info.volumeFree = facts.volumeFree;
    info.volumeCreated = facts.volumeCreated;
    info.imageSize = facts.imageSize;
    countTree(tree, info);
    return info;
}

std::string serializeStockInfo(const StockInfo& info) {
    TextFileBuilder out;
    const auto put = [&out](std::string_view key, const std::string& value) {
        out.line(std::string(key) + "=" + value);
    };
    put("source", info.source);
    put("label", info.label);
    put("filesystem", info.fileSystem);
    for (const auto& [kind, word] : kKindWords)
        if (kind == info.kind) put("device", word);
    if (!info.captured.isZero()) put("captured", localTimeText(info.captured));
    put("folders", std::to_string(info.folders));
    put("files", std::to_string(info.files));
    put("bytes", std::to_string(info.bytes));
    if (info.volumeSize) put("volumesize", std::to_string(*info.volumeSize));
    if (info.volumeFree) put("volumefree", std::to_string(*info.volumeFree));
    if (info.volumeCreated) put("volumecreated", localTimeText(*info.volumeCreated));
    if (info.imageSize) put("imagesize", std::to_string(*info.imageSize));
    if (info.lastVerify) {
        std::vector<std::string> lines;
        appendVerifyFacts(*info.lastVerify, lines);
        for (const std::string& l : lines)
            out.line(l);
    }
    put("note", info.note); // line breaks in it become &#10; through the codec
    return out.bytes();
}

StockInfo parseStockInfo(std::string_view bytes) {
    StockInfo info;
    info.fromSideFile = true;
    LineCursor in(bytes);
    std::string_view raw;
    while (in.next(raw)) {
        const std::string line = cp932::decode(raw);
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string_view key(line.data(), eq);
        const std::string value = line.substr(eq + 1);
        if (key == "source")
            info.source = value;
        else if (key == "label")
            info.label = value;
        else if (key == "filesystem")
            info.fileSystem = value;
        else if (key == "note")
            info.note = value;
        else if (key == "captured")
            info.captured = parseLocalTimeText(value);
        else if (key == "volumecreated") {
            if (const FileTime t = parseLocalTimeText(value); !t.isZero()) info.volumeCreated = t;
        }
        else if (parseVerifyFact(key, value, info.lastVerify))
            continue;
        else if (key == "device") {
            for (const auto& [kind, word] : kKindWords)
                if (value == word) info.kind = kind;
        } else if (auto n = number(value)) {
            if (key == "folders")
                info.folders = *n;
            else if (key == "files")
                info.files = *n;
            else if (key == "bytes")
                info.bytes = *n;
            else if (key == "volumesize")
                info.volumeSize = n;
            else if (key == "volumefree")
                info.volumeFree = n;
            else if (key == "imagesize")
                info.imageSize = n;
        }
    }
    return info;
}

std::optional<StockInfo> readStockInfo(const std::filesystem::path& dataDir,
                                       std::string_view name) {
    // Bounded by what a facts file can hold, whatever size the file claims.
    const auto bytes = readSideFile(sideFilePath(dataDir, kStockInfoFile, name), kMaxStockInfoBytes);
    if (!bytes) return std::nullopt;
    return parseStockInfo(*bytes);
}

bool noteFits(std::string_view note) {
    TextFileBuilder line;
    line.line("note=" + std::string(note));
    return line.bytes().size() - 1 <= kMaxLineBytes; // its CR counts, its LF does not
}

bool writeStockInfo(const std::filesystem::path& dataDir, std::string_view name,
                    const StockInfo& info) {
    return writeSideFile(sideFilePath(dataDir, kStockInfoFile, name), serializeStockInfo(info));
}

std::string captureDateText(FileTime t) {
    if (t.isZero()) return std::string(kUnknown);
    const LocalDateTime d = toLocalDateTime(t);
    return std::to_string(d.year) + '/' + std::to_string(d.month) + '/' + std::to_string(d.day) +
           ' ' + std::to_string(d.hour) + ':' + (d.minute < 10 ? "0" : "") +
           std::to_string(d.minute) + ':' + (d.second < 10 ? "0" : "") + std::to_string(d.second);
}

std::vector<std::pair<std::string, std::string>> stockInfoTexts(const StockInfo& info) {
    std::string kind(kUnknown);
    switch (info.kind) {
    case SourceKind::Cd:
        kind = "CD";
        break;
    case SourceKind::Removable:
        kind = "リムーバブルディスク";
        break;
    case SourceKind::HardDisk:
        kind = "ハードディスク";
        break;
    case SourceKind::Folder:
        kind = "フォルダ";
        break;
    case SourceKind::Image:
        kind = "イメージファイル";
        break;
    case SourceKind::Unknown:
        break;
    }
    const auto bytesText = [](std::optional<uint64_t> v) {
        return v ? groupThousands(*v) + " バイト" : std::string(kUnknown);
    };
    std::vector<std::pair<std::string, std::string>> texts{
        {"読み込み元", orUnknown(info.source)},
        {"ボリュームラベル", orUnknown(info.label)},
        {"ファイルシステム", orUnknown(info.fileSystem)},
        {"種類", kind},
        {"読み込み日時", captureDateText(info.captured)},
        {"フォルダ数", groupThousands(info.folders)},
        {"ファイル数", groupThousands(info.files)},
        {"合計サイズ", groupThousands(info.bytes) + " バイト"},
        {"ボリュームの容量", bytesText(info.volumeSize)},
        {"ボリュームの空き", bytesText(info.volumeFree)},
        {"最終検証", verifyText(info.lastVerify)},
    };
    // Only an image has these: other stocks show what they always showed.
    if (info.kind == SourceKind::Image) {
        texts.emplace_back("ボリュームの作成日時", info.volumeCreated
                                                   ? captureDateText(*info.volumeCreated)
                                                   : std::string(kUnknown));
        texts.emplace_back("イメージのサイズ", bytesText(info.imageSize));
    }
    texts.emplace_back("メモ", info.note);
    return texts;
}

} // namespace zt
