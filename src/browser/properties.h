#pragma once
// What the properties dialog shows for one file or folder of the open stock,
// from the stored data alone.
#include "catalogue/foldertree.h"
#include "platform/filetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

struct PropertyRecord {
    std::string name;
    bool isFolder = false;
    FileTime created;
    FileTime accessed;
    FileTime modified;
    uint64_t size = 0;
};

// The four value texts of the dialog.
struct PropertyTexts {
    std::string name;
    std::string created;  // "作成日時："
    std::string modified; // "更新日時："
    std::string accessed; // "アクセス日："
    std::string size;     // "ファイルサイズ："
};

// Shown for a time that is not known.
inline constexpr std::string_view kUnknownText = "(不明)";

// Local date and time of a file time: "2001年4月7日 9:5:3".
[[nodiscard]] std::string dateText(FileTime ft);

// The size in decimal, grouped by threes, with " バイト": "1,234,567 バイト".
[[nodiscard]] std::string sizeText(uint64_t size);

// Zero creation time reads "(不明)"; so do zero modified and accessed times,
// and both of them always for a folder.
[[nodiscard]] PropertyTexts textsOf(const PropertyRecord& r);

[[nodiscard]] PropertyRecord propertiesOfFile(const FileRecord& file);
// A folder: its list's own times and the total size of every file below it.
[[nodiscard]] PropertyRecord propertiesOfFolder(const FolderNode& node);

// A contents item of the folder `selected`, found by caption (exact bytes): the
// first child folder of that name, then the first file of that name, which
// wins when both exist. Neither: zero times and size.
[[nodiscard]] PropertyRecord propertiesOfItem(const FolderNode& selected, std::string_view caption);

} // namespace zt
