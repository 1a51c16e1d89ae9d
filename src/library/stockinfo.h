#pragma once
// Facts and a note about one stock, kept beside it in Data/Info/<name>.txt:
// where and when it was read, how much it holds, and the user's note. A stock
// without that file (older ones, ones made on Windows) shows what its stock
// file tells (counts, bytes, its top's name) and "(不明)" for the rest.
//
// The file is CP932 with CR LF like every file here, one "key=value" line per
// fact; unknown keys are ignored, so later facts can be added freely:
//   source=/media/disc   label=DISC   filesystem=iso9660   device=cd
//   captured=2026-12-08 14:21:18   folders=12   files=345   bytes=67890
//   volumesize=700000000   volumefree=0   note=...
// and for an image (device=image): volumecreated=2001-02-03 04:05:06  imagesize=...
#include "capture/sourcefacts.h"
#include "catalogue/foldertree.h"
#include "library/health.h"
#include "platform/filetime.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

struct StockInfo {
    bool fromSideFile = false; // false: computed from the stock file alone
    std::string source;        // the path that was read
    std::string label, fileSystem;
    SourceKind kind = SourceKind::Unknown;
    FileTime captured; // zero: unknown
    uint64_t folders = 0, files = 0, bytes = 0;
    std::optional<uint64_t> volumeSize, volumeFree;
    std::optional<FileTime> volumeCreated; // an image's volume date
    std::optional<uint64_t> imageSize;     // an image's size in bytes
    std::string note;
    std::optional<VerifyRecord> lastVerify; // none: never verified
};

// The counts of a tree: folders below the top, files, the sum of file sizes.
void countTree(const FolderTree& tree, StockInfo& info);
// The same counts streamed from a stock file, as its loaded tree would give
// them (no tree is built); false when it cannot be read.
[[nodiscard]] bool countStockFile(const std::filesystem::path& stockFile, StockInfo& info);

// The facts of a fresh capture.
[[nodiscard]] StockInfo infoOfCapture(const SourceFacts& facts, const FolderTree& tree,
                                      FileTime now);

// The side file's bytes, and back. Parsing never fails: what is missing stays
// as the defaults say.
[[nodiscard]] std::string serializeStockInfo(const StockInfo& info);
[[nodiscard]] StockInfo parseStockInfo(std::string_view bytes);

// The most of a facts file that is read: a dozen lines, each within the
// readers' line bound, fit with room to spare.
inline constexpr size_t kMaxStockInfoBytes = size_t(1) << 20;

// Data/Info/<name>.txt read (never through a link, never past
// kMaxStockInfoBytes), or nullopt when there is none.
[[nodiscard]] std::optional<StockInfo> readStockInfo(const std::filesystem::path& dataDir,
                                                     std::string_view name);
// True when the note, saved, keeps within the readers' line bound (so it
// reads back whole).
[[nodiscard]] bool noteFits(std::string_view note);
// Written atomically (Data/Info is made when missing; a link there is
// refused, see platform/datafiles.h).
[[nodiscard]] bool writeStockInfo(const std::filesystem::path& dataDir, std::string_view name,
                                  const StockInfo& info);

// The facts as the properties dialog and `info` show them: (caption, text)
// pairs in a fixed order, "(不明)" where a fact is not known.
[[nodiscard]] std::vector<std::pair<std::string, std::string>>
stockInfoTexts(const StockInfo& info);

// "2026/12/8 14:21:18" in local time, or "(不明)".
[[nodiscard]] std::string captureDateText(FileTime t);

} // namespace zt
