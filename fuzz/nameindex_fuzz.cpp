// Arbitrary bytes as a name index, held in memory and as the index file of a
// stock in a Data folder that a search reaches: reading it never crashes,
// reads out of bounds or allocates more than the stock allows (libFuzzer's
// malloc limit catches that), and what it yields stays within its records;
// the genuine index searches exactly as the scan does. Arbitrary bytes as a
// stock file: the index built of them always opens and finds every record
// whose name holds the text.
#include "catalogue/foldertree.h"
#include "catalogue/stockfile.h"
#include "index/nameindex.h"
#include "library/catalogsearch.h"
#include "library/indexstore.h"
#include "platform/textfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

void check(bool ok) {
    if (!ok) std::abort();
}

// A Data folder holding one small stock and its genuine index, made once.
struct Stage {
    fs::path data;
    zt::FileStamp stamp;
    std::string genuine;
};

const Stage& stage() {
    static const Stage s = [] {
        Stage s;
        s.data = fs::temp_directory_path() / ("zt-nameindex-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(s.data / "Index");
        zt::FolderTree tree;
        zt::FolderNode* root = tree.addRoot("S");
        for (const char* name : {"readme.txt", "setup.exe", "Read Me.doc"})
            tree.addFile(root, name);
        zt::FolderNode* docs = tree.addChild(root, "docs");
        for (const char* name : {"manual.pdf", "readme.md", "表示.txt"})
            tree.addFile(docs, name);
        tree.addFile(tree.addChild(docs, "manuals"), "already read.txt");
        check(zt::writeStockFile(s.data / "S.dat", tree));
        s.stamp = *zt::fileStamp(s.data / "S.dat");
        s.genuine = zt::buildNameIndex(*zt::readFileBytes(s.data / "S.dat"), s.stamp);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(stage().data, ec);
        });
        return s;
    }();
    return s;
}

std::vector<std::string> rows(zt::IndexUse use, zt::MatchMode mode, const std::string& text,
                              std::vector<std::string>* unusable = nullptr) {
    zt::SearchRequest r;
    r.dataDir = stage().data;
    r.stocks = {"S"};
    r.text = text;
    r.mode = mode;
    std::vector<std::string> out;
    zt::SearchCallbacks cb;
    cb.hit = [&out](const zt::SearchHit& h) { out.push_back(h.path()); };
    (void)zt::searchCatalogue(r, cb, use, unusable);
    return out;
}

// The bytes as the stock's index file, its header (when it has one) given
// the stock's real stamp and a checksum to match so the checks behind them
// are reached, and the file made as large as the header claims (the rest a
// hole): then the searches that reach it.
void searchFromDisk(std::string index, bool genuine) {
    const Stage& s = stage();
    const fs::path file = s.data / "Index" / "S.idx";
    auto header = zt::NameIndexHeader::parse(index);
    if (header) {
        header->stock = s.stamp;
        index.replace(0, header->kSize, header->bytes());
        const size_t head = size_t(std::min<uint64_t>(header->blocksPos, index.size()));
        header->headChecksum = zt::NameIndexHeader::checksumOf(std::string_view(index).substr(0, head));
        index.replace(0, header->kSize, header->bytes());
    }
    check(zt::writeFileInPlace(file, index));
    if (header && header->postingsPos > index.size() && header->postingsPos <= uint64_t(1) << 36)
        check(::truncate(file.c_str(), off_t(header->postingsPos + 4096)) == 0);
    static const std::pair<zt::MatchMode, std::string> requests[] = {
        {zt::MatchMode::Contains, "read"}, {zt::MatchMode::Wildcard, "*ual*.*"}};
    for (const auto& [mode, text] : requests) {
        static std::vector<std::string> scanned[2];
        std::vector<std::string>& scan = scanned[&text == &requests[0].second ? 0 : 1];
        if (scan.empty()) scan = rows(zt::IndexUse::Never, mode, text);
        std::vector<std::string> unusable;
        const auto got = rows(zt::IndexUse::WhenFresh, mode, text, &unusable);
        if (genuine) check(got == scan && unusable.empty());
    }
    (void)zt::indexState(s.data, "S", zt::IndexCheck::Thorough);
}

void readInMemory(std::string_view in) {
    // With the stamp it names itself, so the checks go deeper.
    const auto header = zt::NameIndexHeader::parse(in);
    auto index = zt::NameIndex::open(in, header ? header->stock : zt::FileStamp{});
    if (!index) return;
    for (uint32_t r = 0; r < index->recordCount() && r < 200; ++r)
        (void)index->recordOffset(r);
    for (size_t f = 0; f < index->folderRecords().size() && f < 200; ++f) {
        (void)index->folderName(f);
        const uint32_t parent = index->folderParents()[f];
        check(parent == zt::NameIndex::kNoParent || parent < f);
    }
    (void)index->checkWhole();
    const std::string_view text = in.substr(0, std::min<size_t>(in.size(), 6));
    if (const auto found = index->candidates(zt::trigramsOf(text)))
        for (uint32_t r : *found)
            check(r < index->recordCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zt;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    readInMemory(in);

    // On disk: the bytes as they are, or (first byte odd) the genuine index
    // with the rest of the bytes as patches (two bytes of place, one of value).
    if (size > 0 && (data[0] & 1)) {
        std::string patched = stage().genuine;
        for (size_t i = 1; i + 3 <= size; i += 3)
            patched[(size_t(data[i]) | size_t(data[i + 1]) << 8) % patched.size()] = char(data[i + 2]);
        searchFromDisk(std::move(patched), size < 4);
    } else {
        searchFromDisk(std::string(in), false);
    }

    // As a stock file.
    const FileStamp made{size, 7};
    const std::string built = buildNameIndex(in, made);
    const auto index = NameIndex::open(built, made);
    check(index.has_value());
    for (uint32_t r = 0; r < index->recordCount(); ++r)
        check(index->recordOffset(r) < size);
    auto whole = NameIndex::open(built, made);
    check(whole && whole->checkWhole());
    return 0;
}
