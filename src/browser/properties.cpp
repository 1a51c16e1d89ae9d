#include "browser/properties.h"

namespace zt {

std::string DateText(FILETIME ft) {
    const SYSTEMTIME t = fileTimeToLocalSystemTime(ft);
    std::string s;
    s.reserve(40);
    s += std::to_string(t.wYear);
    s += "年";
    s += std::to_string(t.wMonth);
    s += "月";
    s += std::to_string(t.wDay);
    s += "日 ";
    s += std::to_string(t.wHour);
    s += ":";
    s += std::to_string(t.wMinute);
    s += ":";
    s += std::to_string(t.wSecond);
    return s;
}

std::string SizeText(uint64_t size) {
    // Unsigned throughout: a stored size of 2^63 or more is still a size, not
    // a negative number.
    const std::string digits = std::to_string(size);
    std::string s;
    s.reserve(digits.size() + digits.size() / 3 + 10);
    const size_t first = digits.size() % 3;
    s.append(digits, 0, first);
    for (size_t i = first; i < digits.size(); i += 3) {
        if (!s.empty()) s += ',';
        s.append(digits, i, 3);
    }
    s += " バイト";
    return s;
}

PropertyTexts TextsOf(const PropertyRecord& r) {
    PropertyTexts t;
    t.name = r.name;
    t.created = r.creationTime.isZero() ? std::string(kUnknownText) : DateText(r.creationTime);
    t.accessed = r.lastAccessTime.isZero() || r.isFolder ? std::string(kUnknownText)
                                                         : DateText(r.lastAccessTime);
    t.modified = r.lastWriteTime.isZero() || r.isFolder ? std::string(kUnknownText)
                                                        : DateText(r.lastWriteTime);
    t.size = SizeText(r.size);
    return t;
}

PropertyRecord PropertiesOfFile(const TFileChain& file) {
    PropertyRecord r;
    r.name = std::string(file.name());
    r.isFolder = false;
    r.creationTime = file.creationTime;
    r.lastAccessTime = file.lastAccessTime;
    r.lastWriteTime = file.lastWriteTime;
    r.size = file.size();
    return r;
}

PropertyRecord PropertiesOfFolder(const FolderNode& node) {
    PropertyRecord r;
    r.name = node.text;
    r.isFolder = true;
    if (node.data) {
        r.creationTime = node.data->creationTime;
        r.lastAccessTime = node.data->lastAccessTime;
        r.lastWriteTime = node.data->lastWriteTime;
    }
    r.size = FolderSize(node);
    return r;
}

PropertyRecord PropertiesOfItem(const FolderNode& selected, std::string_view caption) {
    PropertyRecord r;
    for (const FolderNode* child : selected.children) {
        if (child->text == caption) {
            r = PropertiesOfFolder(*child);
            break;
        }
    }
    if (selected.data) {
        for (const TFileChain* f = selected.data->First(); f; f = f->next) {
            if (f->name() == caption) {
                r = PropertiesOfFile(*f);
                break;
            }
        }
    }
    r.name = std::string(caption);
    return r;
}

} // namespace zt
