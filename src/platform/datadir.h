#pragma once
// Where the program keeps its files (the Data folder) and how a new one is seeded.
#include <filesystem>
#include <optional>
#include <string>

namespace zt {

struct DataDirInputs {
    std::optional<std::filesystem::path> commandLine; // --data DIR
    std::optional<std::string> envData;               // $ZUTOMELARK_DATA
    std::filesystem::path exeDir;                     // folder of the executable
    std::optional<std::string> xdgDataHome;           // $XDG_DATA_HOME
    std::optional<std::string> home;                  // $HOME
};

// --data, else $ZUTOMELARK_DATA, else <exeDir>/Data when it already exists as
// a writable folder (portable use: a folder carried along with the program; it
// is never created there), else $XDG_DATA_HOME/zutomelark/Data (default
// ~/.local/share/zutomelark/Data). Empty when none of these can be known (no
// home folder at all).
[[nodiscard]] std::filesystem::path resolveDataDir(const DataDirInputs& in);

// Inputs from the process environment and /proc/self/exe.
[[nodiscard]] DataDirInputs
dataDirInputsFromEnvironment(std::optional<std::filesystem::path> commandLine);

// Creates the folder if needed and adds the template files that are missing
// (Icon/icon.dat, Icon/test.dat, an empty StockList.dat). Never overwrites.
// Also removes stale temporary files when the Data folder's lock is free at
// once. Returns false when the folder cannot be created or the path is empty,
// or a missing file cannot be made (then *failed, when given, names it).
bool seedDataDir(const std::filesystem::path& dataDir, std::filesystem::path* failed = nullptr);

// Removes the temporary files that killed writers left in the Data folder and
// in its folders (Info, Index, ...), leaving those of live writers. Call it
// while holding the Data folder's lock; seedDataDir does so by itself.
void removeDataTemporaries(const std::filesystem::path& dataDir);

// The template files, compiled in.
[[nodiscard]] std::string_view templateIconList();

} // namespace zt
