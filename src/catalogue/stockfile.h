#pragma once
// The stock file: one stock as text, CP932, CR LF, one value per line; its
// records are laid out in catalogue/stockrecords.h.
#include "catalogue/foldertree.h"
#include "catalogue/stockrecords.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

class PieceReader;

constexpr int kStockFormatMark = 1200;

// Bytes of the stock file of a tree (root = stock, not written as a record).
[[nodiscard]] std::string serializeStock(const FolderTree& tree);

// Writes the tree as the stock file `path` (temporary file, then rename).
// False when the file cannot be created or written; an old file is then untouched.
[[nodiscard]] bool writeStockFile(const std::filesystem::path& path, const FolderTree& tree);
// The stock file's bytes handed to `out` piece by piece (a few megabytes at
// a time) as they are made: a large stock never needs its whole file in memory.
void streamStock(const FolderTree& tree, const std::function<void(std::string_view)>& out);

enum class StockReadStatus {
    Completed,  // the end of the file was reached
    Cancelled,  // the cancel check asked to stop
    CannotOpen, // the file could not be opened or read
};

struct StockReadResult {
    StockReadStatus status = StockReadStatus::Completed;
    int formatMark = 0;  // first line, kept, never checked
    int folderCount = 0; // second line
};

// Asked at every folder record whether the load is to stop: true cancels it.
using CancelCheck = std::function<bool()>;
// Called once after the header, with the folder count (for a progress maximum).
using HeaderCallback = std::function<void(int folderCount)>;

// Reads stock file bytes into tree, replacing what it held: a root named
// rootText, and the folders and files of the file below it.
// Malformed input never crashes: a truncated file keeps what was read, a depth
// that fits no open folder ends the load.
StockReadResult parseStock(std::string_view bytes, std::string rootText, FolderTree& tree,
                           const HeaderCallback& onHeader = {}, const CancelCheck& cancelled = {});

// Reads the file at path the same way, piece by piece: memory holds the tree
// and one buffer, never the whole file (CannotOpen leaves the tree empty).
StockReadResult readStockFile(const std::filesystem::path& path, std::string rootText,
                              FolderTree& tree, const HeaderCallback& onHeader = {},
                              const CancelCheck& cancelled = {});

// The same from a reader already opened (on a file or on bytes).
StockReadResult readStock(PieceReader& in, std::string rootText, FolderTree& tree,
                          const HeaderCallback& onHeader = {}, const CancelCheck& cancelled = {});

// True when bytes read as a stock file throughout: two header numbers, then
// whole records (a "-1" or a depth that fits an open folder, a name, eight
// numbers). What the reader forgives (a truncated record, stray text) fails
// here, so a file that is not a stock is never taken for one.
[[nodiscard]] bool looksLikeStock(std::string_view bytes);
// The same for the file at path, read piece by piece; nullopt when it cannot
// be opened or read.
[[nodiscard]] std::optional<bool> looksLikeStockFile(const std::filesystem::path& path);

} // namespace zt
