#pragma once
// Files that belong to one stock besides its stock file, each in a folder of
// its own inside Data (which a Windows copy of the folder simply ignores):
// Info/<name>.txt (facts and a note), Index/<name>.idx (the name index),
// Sums/<name>.sum (content checksums) and Info/<name>.log (the last verifies).
// They follow their stock when it is renamed, deleted or adopted, and are
// never reached through a link (platform/datafiles.h).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct SideFileKind {
    const char* folder;
    const char* extension;
};

inline constexpr SideFileKind kStockInfoFile{"Info", ".txt"};
inline constexpr SideFileKind kStockIndexFile{"Index", ".idx"};
inline constexpr SideFileKind kStockChecksumFile{"Sums", ".sum"};
inline constexpr SideFileKind kStockHistoryFile{"Info", ".log"};

// Data/<folder>/<name><extension> (name must be a safe stock name).
[[nodiscard]] std::filesystem::path sideFilePath(const std::filesystem::path& dataDir,
                                                 SideFileKind kind, std::string_view name);

// Gives every side file of oldName to newName as well (a side file newName
// had is replaced, one oldName lacks is removed from newName). Made before the
// list names newName, so a kill at any moment leaves the listed stock with
// its side files; the old names go with removeSideFiles once the list is
// saved. Failures are ignored: a side file can always be made again.
void linkSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                   std::string_view newName);
// Renames every side file of oldName to newName, for a stock whose one file
// bears both names (a file system blind to letter case).
void renameSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                     std::string_view newName);
// Removes every side file of name.
void removeSideFiles(const std::filesystem::path& dataDir, std::string_view name);

// Removes the side files of stocks that are gone: neither listed nor with a
// stock file in Data (an unlisted stock file keeps them for adopt). This
// collects what a kill between a list change and its side files left over.
void removeOrphanSideFiles(const std::filesystem::path& dataDir,
                           const std::vector<std::string>& listed);

} // namespace zt
