#include "browser/contents.h"

#include "platform/collate.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace zt {

std::string_view kindOf(std::string_view caption) {
    // In UTF-8 no byte of a multi-byte character is ever '.', so the last
    // '.' byte is always a real full stop.
    const size_t dot = caption.rfind('.');
    if (dot == std::string_view::npos) return caption;
    return caption.substr(dot + 1);
}

std::vector<ContentsItem> listContents(const FolderNode& node,
                                       const std::function<int(std::string_view)>& imageOf,
                                       const ListingCancelled& cancelled, bool* stopped) {
    // Often enough for a responsive Cancel, rarely enough to cost nothing.
    constexpr int kProgressEvery = 64;
    if (stopped) *stopped = false;
    std::vector<ContentsItem> items;
    items.reserve(node.children.size() + size_t(std::max(0, node.fileCount)));
    for (const FolderNode* child : node.children) {
        ContentsItem item;
        item.caption = child->name;
        item.imageIndex = 1;
        item.folder = child;
        items.push_back(item);
    }
    int listed = 0;
    for (const FileRecord* f = node.firstFile; f; f = f->next) {
        ContentsItem item;
        item.caption = f->name();
        item.imageIndex = imageOf ? imageOf(item.caption) : 2;
        // Image 1 marks folders; a type image can never be 1 (the type images
        // start after the six fixed ones), but a caller's function might say so.
        if (item.imageIndex == 1) item.imageIndex = 2;
        item.file = f;
        items.push_back(item);
        if (cancelled && ++listed % kProgressEvery == 0 && cancelled(listed)) {
            if (stopped) *stopped = true;
            return items;
        }
    }
    if (cancelled && cancelled(listed) && stopped) *stopped = true;
    return items;
}

int compareContents(const ContentsItem& a, const ContentsItem& b, Arrangement arrangement) {
    if (a.isFolder() && !b.isFolder()) return -1;
    if (b.isFolder() && !a.isFolder()) return 1;
    if (arrangement == Arrangement::ByKind) {
        const int k = compareLocaleNoCase(kindOf(a.caption), kindOf(b.caption));
        if (k > 0) return 1;
        if (k < 0) return -1;
    }
    return compareLocaleNoCase(a.caption, b.caption) > 0 ? 1 : -1;
}

namespace {

// Sort keys of all items in one buffer: memcmp order of two keys equals
// compareLocaleNoCase order of the texts they were made from.
struct KeyArena {
    std::string bytes;
    struct Ref {
        uint32_t offset = 0, length = 0;
    };

    Ref add(std::string_view text) {
        lowered_.assign(text);
        lowerAnsiInPlace(lowered_);
        const std::string key = localeSortKey(lowered_);
        Ref r{uint32_t(bytes.size()), uint32_t(key.size())};
        bytes += key;
        return r;
    }

    // Kinds repeat a lot (a folder of photos is mostly "jpg"): one key each.
    Ref addShared(std::string_view text) {
        const auto it = shared_.find(text);
        if (it != shared_.end()) return it->second;
        const Ref r = add(text);
        shared_.emplace(std::string(text), r);
        return r;
    }

    [[nodiscard]] int compare(Ref a, Ref b) const {
        const int c = std::memcmp(bytes.data() + a.offset, bytes.data() + b.offset,
                                  std::min(a.length, b.length));
        if (c != 0) return c;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    }

  private:
    std::string lowered_;
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Ref, Hash, std::equal_to<>> shared_;
};

} // namespace

struct ContentsKeys::Data {
    struct Entry {
        uint32_t index;
        bool folder;
        KeyArena::Ref kind, caption;
    };
    KeyArena arena;
    std::vector<Entry> entries; // in the order of the list they follow
    bool hasKinds = false;      // kind keys are made at the first sort by kind
};

ContentsKeys::ContentsKeys() : data_(std::make_unique<Data>()) {}

ContentsKeys::ContentsKeys(const std::vector<ContentsItem>& items)
    : data_(std::make_unique<Data>()) {
    data_->entries.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Data::Entry& e = data_->entries[i];
        e.index = uint32_t(i);
        e.folder = items[i].isFolder();
        e.caption = data_->arena.add(items[i].caption);
    }
}

ContentsKeys::~ContentsKeys() = default;
ContentsKeys::ContentsKeys(ContentsKeys&&) noexcept = default;
ContentsKeys& ContentsKeys::operator=(ContentsKeys&&) noexcept = default;

size_t ContentsKeys::size() const {
    return data_->entries.size();
}

void ContentsKeys::sort(std::vector<ContentsItem>& items, Arrangement arrangement) {
    // The list's comparison never says "equal", which is not a strict weak
    // ordering, so it cannot drive std::sort. Sorting by (folder first, key,
    // original place) gives the same order wherever captions differ and keeps
    // equal captions in their listed order.
    const bool byKind = arrangement == Arrangement::ByKind;
    auto& entries = data_->entries;
    if (items.size() < 2 || entries.size() != items.size()) return;
    if (byKind && !data_->hasKinds) {
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i].kind = data_->arena.addShared(kindOf(items[i].caption));
        data_->hasKinds = true;
    }
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].index = uint32_t(i);
    const KeyArena& arena = data_->arena;
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        if (a.folder != b.folder) return a.folder;
        if (byKind) {
            const int k = arena.compare(a.kind, b.kind);
            if (k != 0) return k < 0;
        }
        return arena.compare(a.caption, b.caption) < 0;
    });

    std::vector<ContentsItem> sorted;
    sorted.reserve(items.size());
    for (const auto& e : entries)
        sorted.push_back(items[e.index]);
    items.swap(sorted);
}

void sortContents(std::vector<ContentsItem>& items, Arrangement arrangement) {
    if (items.size() < 2) return;
    ContentsKeys(items).sort(items, arrangement);
}

} // namespace zt
