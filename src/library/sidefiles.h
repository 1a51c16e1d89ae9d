#pragma once
// Files that belong to one stock besides its stock file, each in a folder of
// its own inside Data (which a Windows copy of the folder simply ignores):
// Info/<name>.txt (facts and a note) and Index/<name>.idx (the name index).
// They follow their stock when it is renamed, deleted or adopted.
#include <filesystem>
#include <string_view>
#include <vector>

namespace zt {

struct SideFileKind {
    const char* folder;
    const char* extension;
};

inline constexpr SideFileKind kStockInfoFile{"Info", ".txt"};
inline constexpr SideFileKind kStockIndexFile{"Index", ".idx"};

// Data/<folder>/<name><extension> (name must be a safe stock name).
[[nodiscard]] std::filesystem::path sideFilePath(const std::filesystem::path& dataDir,
                                                 SideFileKind kind, std::string_view name);

// Moves every side file of oldName to newName (an existing one of newName is
// replaced); failures are ignored: a side file can always be made again.
void moveSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                   std::string_view newName);
// Removes every side file of name.
void removeSideFiles(const std::filesystem::path& dataDir, std::string_view name);

} // namespace zt
