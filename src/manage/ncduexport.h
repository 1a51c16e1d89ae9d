#pragma once
// A stock written as the JSON export of the ncdu disk-usage browser (format
// 1.2: [1, 2, {metadata}, [{folder}, {file}..., [subfolder]...]]), so the
// size tools that read it (ncdu -f, gdu -f) browse a catalogue offline.
#include "catalogue/foldertree.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zt {

// Takes the export a piece at a time; false stops the writing.
using NcduSink = std::function<bool(std::string_view)>;

struct NcduMetadata {
    std::string progver;   // the program's version
    int64_t timestamp = 0; // when it was written, POSIX seconds
};

// Writes tree from its top: each folder an array of its own entry, its files
// (apparent size and disk usage both the recorded size, since a stock holds
// no allocation; the modified time as mtime when known), then its subfolders.
// Folders count no bytes of their own, so the total a reader shows is the sum
// of the files. Names go as the stock holds them (UTF-8), with only '"', '\'
// and control characters escaped as JSON wants; any other byte is kept as it
// is, which is how ncdu itself writes names. No recursion, so a stock of any
// depth is written. False when the sink refused a piece; an empty tree writes
// nothing and is false.
[[nodiscard]] bool writeNcduExport(const FolderTree& tree, const NcduMetadata& metadata,
                                   const NcduSink& sink);

// The JSON string of a name as described above (quotes included).
void appendNcduName(std::string& out, std::string_view name);

} // namespace zt
