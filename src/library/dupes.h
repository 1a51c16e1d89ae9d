#pragma once
// Files stored more than once across stocks: the same name and size (or the
// same size only, or the same content checksum and size), in any stocks and
// folders.
#include "library/stocklibrary.h"
#include "search/csv.h"
#include "search/folderchain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

enum class DupeKey { NameAndSize, Size, Content };

struct DupeFile {
    std::string stock;
    FolderChain folders; // below the stock's top, shared with the other files there
    std::string name;
    uint64_t size = 0;
    FileTime created, modified;
};

struct DupeGroup {
    uint64_t size = 0;
    std::vector<DupeFile> files; // in stock and walk order
};

struct DupeRequest {
    std::vector<std::string> stocks; // in list order
    uint64_t minSize = 1;            // smaller files are left out (empty ones by default)
    DupeKey key = DupeKey::NameAndSize;
    // Content: counts the files left out for want of a usable checksum.
    uint64_t* unchecked = nullptr;
};

// Groups of two or more files, largest groups first (then larger files, then
// by name). Stocks are read twice, one at a time, so memory follows the
// candidates rather than the whole catalogue.
[[nodiscard]] StockOutcome<std::vector<DupeGroup>> findDuplicates(const StockLibrary& library,
                                                                  const DupeRequest& request);

// A file of a group as a search result has it (its cells, the jump to it).
[[nodiscard]] SearchHit dupeHit(const DupeFile& file);

// The groups as CSV: "グループ" (its number from 1) before the search
// results' five columns, every line made as it is written, so a deep stock's
// paths never sit in memory together.
[[nodiscard]] bool writeDupesCsv(const std::vector<DupeGroup>& groups, const CsvWriter::Sink& sink);
// The same into a file the user chose, written in place; false with the
// system's reason when it cannot be written.
[[nodiscard]] bool saveDupesCsv(const std::filesystem::path& path,
                                const std::vector<DupeGroup>& groups, std::string* why = nullptr);

} // namespace zt
