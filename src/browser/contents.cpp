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
                                       const std::function<int(std::string_view)>& imageOf) {
    std::vector<ContentsItem> items;
    items.reserve(node.children.size() + size_t(std::max(0, node.fileCount)));
    for (const FolderNode* child : node.children) {
        ContentsItem item;
        item.caption = child->name;
        item.imageIndex = 1;
        item.folder = child;
        items.push_back(item);
    }
    for (const FileRecord* f = node.firstFile; f; f = f->next) {
        ContentsItem item;
        item.caption = f->name();
        item.imageIndex = imageOf ? imageOf(item.caption) : 2;
        // Image 1 marks folders; a type image can never be 1 (the type images
        // start after the six fixed ones), but a caller's function might say so.
        if (item.imageIndex == 1) item.imageIndex = 2;
        item.file = f;
        items.push_back(item);
    }
    return items;
}

int compareContents(const ContentsItem& a, const ContentsItem& b, int8_t arrangement) {
    if (a.isFolder() && !b.isFolder()) return -1;
    if (b.isFolder() && !a.isFolder()) return 1;
    if (arrangement == int8_t(Arrangement::ByKind)) {
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

void sortContents(std::vector<ContentsItem>& items, int8_t arrangement) {
    // The list's comparison never says "equal", which is not a strict weak
    // ordering, so it cannot drive std::sort. Sorting by (folder first, key,
    // original place) gives the same order wherever captions differ and keeps
    // equal captions in their listed order.
    const bool byKind = arrangement == int8_t(Arrangement::ByKind);
    const size_t n = items.size();
    if (n < 2) return;

    struct Entry {
        uint32_t index;
        bool folder;
        KeyArena::Ref kind, caption;
    };
    KeyArena arena;
    std::vector<Entry> entries(n);
    for (size_t i = 0; i < n; ++i) {
        Entry& e = entries[i];
        e.index = uint32_t(i);
        e.folder = items[i].isFolder();
        if (byKind) e.kind = arena.addShared(kindOf(items[i].caption));
        e.caption = arena.add(items[i].caption);
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.folder != b.folder) return a.folder;
        if (byKind) {
            const int k = arena.compare(a.kind, b.kind);
            if (k != 0) return k < 0;
        }
        return arena.compare(a.caption, b.caption) < 0;
    });

    std::vector<ContentsItem> sorted;
    sorted.reserve(n);
    for (const Entry& e : entries)
        sorted.push_back(items[e.index]);
    items.swap(sorted);
}

} // namespace zt
