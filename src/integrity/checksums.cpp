#include "integrity/checksums.h"

#include "platform/codec.h"
#include "platform/textfile.h"

#include <charconv>
#include <xxhash.h>
#if defined(__x86_64__) || defined(_M_X64)
// The library picks the widest vector unit of the machine it runs on (AVX2
// where there is one) for the bytes of a file's content, as xxhsum does.
#define XXH_DISPATCH_DISABLE_REPLACE
#include <xxh_x86dispatch.h>
#define ZT_XXH3_128_UPDATE XXH3_128bits_update_dispatch
#else
#define ZT_XXH3_128_UPDATE XXH3_128bits_update
#endif

namespace zt {

namespace {

constexpr std::string_view kMagic = "ZTSUMS 1";

template <class T> bool parseNumber(std::string_view text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Splits off the first space-separated word of rest.
std::string_view word(std::string_view& rest) {
    const size_t space = rest.find(' ');
    const std::string_view w = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    return w;
}

void appendHex(uint64_t v, std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4)
        out += kDigits[(v >> shift) & 15];
}

uint64_t checkOf(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

} // namespace

std::string hashText(const ContentHash& h) {
    std::string out;
    appendHex(h.high, out);
    appendHex(h.low, out);
    return out;
}

std::optional<ContentHash> parseHashText(std::string_view text) {
    if (text.size() != 32) return std::nullopt;
    ContentHash h;
    const auto [e1, c1] = std::from_chars(text.data(), text.data() + 16, h.high, 16);
    const auto [e2, c2] = std::from_chars(text.data() + 16, text.data() + 32, h.low, 16);
    if (c1 != std::errc() || c2 != std::errc() || e1 != text.data() + 16 ||
        e2 != text.data() + 32)
        return std::nullopt;
    return h;
}

ContentHasher::ContentHasher() : state_(XXH3_createState()) {
    if (!state_) throw std::bad_alloc();
    reset();
}

ContentHasher::~ContentHasher() {
    XXH3_freeState(static_cast<XXH3_state_t*>(state_));
}

void ContentHasher::reset() {
    (void)XXH3_128bits_reset(static_cast<XXH3_state_t*>(state_));
}

void ContentHasher::update(const char* data, size_t size) {
    (void)ZT_XXH3_128_UPDATE(static_cast<XXH3_state_t*>(state_), data, size);
}

ContentHash ContentHasher::digest() const {
    const XXH128_hash_t h = XXH3_128bits_digest(static_cast<XXH3_state_t*>(state_));
    return {h.high64, h.low64};
}

ChecksumSet::ChecksumSet() {
    folders_.push_back({{}, kNone, {}, {}});
}

uint64_t ChecksumSet::key(uint32_t folder, std::string_view name) {
    return XXH3_64bits_withSeed(name.data(), name.size(), folder);
}

uint32_t ChecksumSet::folder(uint32_t parent, std::string_view name) const {
    if (parent >= folders_.size()) return kNone;
    const auto [from, to] = folderIndex_.equal_range(key(parent, name));
    for (auto it = from; it != to; ++it)
        if (folders_[it->second].parent == parent && folders_[it->second].name == name)
            return it->second;
    return kNone;
}

const FileSum* ChecksumSet::file(uint32_t folder, std::string_view name) const {
    if (folder >= folders_.size()) return nullptr;
    const auto [from, to] = fileIndex_.equal_range(key(folder, name));
    for (auto it = from; it != to; ++it) {
        const File& f = files_[it->second];
        if (f.folder == folder && f.name == name) return &f.sum;
    }
    return nullptr;
}

uint32_t ChecksumSet::addFolder(uint32_t parent, std::string name) {
    if (const uint32_t found = folder(parent, name); found != kNone) return found;
    const uint32_t index = uint32_t(folders_.size());
    folderIndex_.emplace(key(parent, name), index);
    folders_.push_back({std::move(name), parent, {}, {}});
    folders_[parent].children.push_back(index);
    return index;
}

void ChecksumSet::addFile(uint32_t folder, std::string name, const FileSum& sum) {
    const uint64_t k = key(folder, name);
    const auto [from, to] = fileIndex_.equal_range(k);
    for (auto it = from; it != to; ++it)
        if (files_[it->second].folder == folder && files_[it->second].name == name) {
            files_[it->second].sum = sum;
            return;
        }
    const uint32_t index = uint32_t(files_.size());
    fileIndex_.emplace(k, index);
    files_.push_back({std::move(name), folder, sum});
    folders_[folder].files.push_back(index);
}

size_t ChecksumSet::hashedCount() const {
    size_t n = 0;
    for (const File& f : files_)
        n += f.sum.readable ? 1 : 0;
    return n;
}

std::string serializeChecksums(const ChecksumSet& set) {
    TextFileBuilder out;
    out.rawLine(kMagic);
    out.rawLine("stock " + std::to_string(set.stamp.size) + ' ' +
                std::to_string(set.stamp.modifiedNs));
    const auto files = [&](uint32_t folder) {
        for (uint32_t i : set.folders_[folder].files) {
            const FileSum& s = set.files_[i].sum;
            std::string line = s.readable ? "F " + hashText(s.hash) : "U " + std::to_string(s.error);
            line += ' ' + std::to_string(s.size) + ' ' + std::to_string(s.modified.ticks) + ' ';
            cp932::encodeAppend(set.files_[i].name, line);
            out.rawLine(line);
        }
    };
    files(ChecksumSet::kTop);
    std::vector<std::pair<uint32_t, size_t>> stack{{ChecksumSet::kTop, 0}};
    while (!stack.empty()) {
        auto& [at, next] = stack.back();
        if (next == set.folders_[at].children.size()) {
            stack.pop_back();
            continue;
        }
        const uint32_t child = set.folders_[at].children[next++];
        std::string line = "D " + std::to_string(stack.size()) + ' ';
        cp932::encodeAppend(set.folders_[child].name, line);
        out.rawLine(line);
        files(child);
        stack.emplace_back(child, 0);
    }
    std::string end = "end " + std::to_string(set.fileCount()) + ' ' +
                      std::to_string(set.folderCount()) + ' ';
    appendHex(checkOf(out.bytes()), end);
    out.rawLine(end);
    return out.bytes();
}

namespace {

// One record line ("F", "U" or "D") into out; false when it does not parse.
bool parseRecord(std::string_view line, std::vector<uint32_t>& open, ChecksumSet& out) {
    std::string_view rest = line;
    const std::string_view kind = word(rest);
    if (kind == "D") {
        size_t depth = 0;
        if (!parseNumber(word(rest), depth) || depth == 0 || depth > open.size()) return false;
        open.resize(depth);
        open.push_back(out.addFolder(open.back(), cp932::decode(rest)));
        return true;
    }
    FileSum sum;
    if (kind == "F") {
        const auto hash = parseHashText(word(rest));
        if (!hash) return false;
        sum.hash = *hash;
    } else if (kind == "U") {
        sum.readable = false;
        if (!parseNumber(word(rest), sum.error)) return false;
    } else {
        return false;
    }
    uint64_t ticks = 0;
    if (!parseNumber(word(rest), sum.size) || !parseNumber(word(rest), ticks)) return false;
    sum.modified = FileTime{ticks};
    out.addFile(open.back(), cp932::decode(rest), sum);
    return true;
}

} // namespace

ChecksumParse parseChecksums(std::string_view bytes, size_t maxEntries, ChecksumSet& out) {
    out = ChecksumSet();
    const auto damaged = [&out] {
        out = ChecksumSet();
        return ChecksumParse::Damaged;
    };
    LineCursor in(bytes);
    std::string_view line;
    if (!in.next(line) || line != kMagic || !in.next(line)) return damaged();
    std::string_view rest = line;
    if (word(rest) != "stock" || !parseNumber(word(rest), out.stamp.size) ||
        !parseNumber(rest, out.stamp.modifiedNs))
        return damaged();
    std::vector<uint32_t> open{ChecksumSet::kTop};
    size_t entries = 0;
    for (;;) {
        if (!in.next(line)) return damaged(); // no end line: cut short
        if (line.starts_with("end ")) {
            // The check covers every byte before this line.
            const size_t at = size_t(line.data() - bytes.data());
            rest = line.substr(4);
            size_t files = 0, folders = 0;
            uint64_t check = 0;
            if (!parseNumber(word(rest), files) || !parseNumber(word(rest), folders) ||
                rest.size() != 16)
                return damaged();
            const auto [e, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), check, 16);
            if (ec != std::errc() || e != rest.data() + rest.size() ||
                check != checkOf(bytes.substr(0, at)) || files != out.fileCount() ||
                folders != out.folderCount() || !in.atEnd())
                return damaged();
            return ChecksumParse::Ok;
        }
        if (++entries > maxEntries || !parseRecord(line, open, out)) return damaged();
    }
}

size_t maxRecordsOfStock(uint64_t stockBytes) {
    return size_t(stockBytes / 20 + 1);
}

size_t maxChecksumFileBytes(uint64_t stockBytes) {
    return size_t(stockBytes) * 2 + (size_t(64) << 10);
}

} // namespace zt
