#include "browser/properties.h"

#include "platform/numbertext.h"

namespace zt {

std::string dateText(FileTime ft) {
    const LocalDateTime t = toLocalDateTime(ft);
    std::string s;
    s.reserve(40);
    s += std::to_string(t.year);
    s += "年";
    s += std::to_string(t.month);
    s += "月";
    s += std::to_string(t.day);
    s += "日 ";
    s += std::to_string(t.hour);
    s += ":";
    s += std::to_string(t.minute);
    s += ":";
    s += std::to_string(t.second);
    return s;
}

std::string sizeText(uint64_t size) {
    // Unsigned throughout: a stored size of 2^63 or more is still a size, not
    // a negative number.
    return groupThousands(size) + " バイト";
}

PropertyTexts textsOf(const PropertyRecord& r) {
    PropertyTexts t;
    t.name = r.name;
    t.created = r.created.isZero() ? std::string(kUnknownText) : dateText(r.created);
    t.accessed =
        r.accessed.isZero() || r.isFolder ? std::string(kUnknownText) : dateText(r.accessed);
    t.modified =
        r.modified.isZero() || r.isFolder ? std::string(kUnknownText) : dateText(r.modified);
    t.size = sizeText(r.size);
    return t;
}

PropertyRecord propertiesOfFile(const FileRecord& file) {
    PropertyRecord r;
    r.name = std::string(file.name());
    r.isFolder = false;
    r.created = file.created;
    r.accessed = file.accessed;
    r.modified = file.modified;
    r.size = file.size;
    return r;
}

PropertyRecord propertiesOfFolder(const FolderNode& node) {
    PropertyRecord r;
    r.name = node.name;
    r.isFolder = true;
    r.created = node.created;
    r.accessed = node.accessed;
    r.modified = node.modified;
    r.size = folderSize(node);
    return r;
}

PropertyRecord propertiesOfItem(const FolderNode& selected, std::string_view caption) {
    PropertyRecord r;
    for (const FolderNode* child : selected.children) {
        if (child->name == caption) {
            r = propertiesOfFolder(*child);
            break;
        }
    }
    for (const FileRecord* f = selected.firstFile; f; f = f->next) {
        if (f->name() == caption) {
            r = propertiesOfFile(*f);
            break;
        }
    }
    r.name = std::string(caption);
    return r;
}

} // namespace zt
