#pragma once
// The stock file: one stock as text, CP932, CR LF, one value per line.
//
//   1200                 format mark
//   <folder count>       folders except the root
//   records of the root folder, pre-order: a folder's file records, then for each
//   child folder its folder record followed by the child's own records.
//   file record:   -1, name, 8 numbers
//   folder record: depth (root's children 1), name, 8 numbers
//   numbers: creation low, high, access low, high, write low, high, size high, size low
#include "catalogue/foldertree.h"

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

enum class StockReadStatus {
    Completed,  // the end of the file was reached
    Cancelled,  // the folder callback asked to stop
    CannotOpen, // the file could not be opened or read
};

struct StockReadResult {
    StockReadStatus status = StockReadStatus::Completed;
    int formatMark = 0;  // first line, kept, never checked
    int folderCount = 0; // second line
};

// Called before every folder record: return false to cancel the load.
using FolderRecordCallback = std::function<bool()>;
// Called once after the header, with the folder count (for a progress maximum).
using HeaderCallback = std::function<void(int folderCount)>;

// Reads stock file bytes into tree, replacing what it held: a root named
// rootText, and the folders and files of the file below it.
// Malformed input never crashes: a truncated file keeps what was read, a depth
// that fits no open folder ends the load.
StockReadResult parseStock(std::string_view bytes, std::string rootText, FolderTree& tree,
                           const HeaderCallback& onHeader = {},
                           const FolderRecordCallback& onFolder = {});

// Reads the file at path the same way, piece by piece: memory holds the tree
// and one buffer, never the whole file (CannotOpen leaves the tree empty).
StockReadResult readStockFile(const std::filesystem::path& path, std::string rootText,
                              FolderTree& tree, const HeaderCallback& onHeader = {},
                              const FolderRecordCallback& onFolder = {});

// The same from a reader already opened (on a file or on bytes).
StockReadResult readStock(PieceReader& in, std::string rootText, FolderTree& tree,
                          const HeaderCallback& onHeader = {},
                          const FolderRecordCallback& onFolder = {});

// True when bytes read as a stock file throughout: two header numbers, then
// whole records (a "-1" or a depth that fits an open folder, a name, eight
// numbers). What the reader forgives (a truncated record, stray text) fails
// here, so a file that is not a stock is never taken for one.
[[nodiscard]] bool looksLikeStock(std::string_view bytes);
// The same for the file at path, read piece by piece; nullopt when it cannot
// be opened or read.
[[nodiscard]] std::optional<bool> looksLikeStockFile(const std::filesystem::path& path);

// The numeric conversion of the stock file: leading blanks skipped, optional
// sign, decimal digits; wraps modulo 2^32.
[[nodiscard]] uint32_t parseStockNumber(std::string_view line);

} // namespace zt
