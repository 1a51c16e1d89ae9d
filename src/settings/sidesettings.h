#pragma once
// Settings the shared Setting.dat has no place for, kept in a side file of
// their own, Data/Options/options.txt, which a Windows copy of the Data
// folder ignores (Setting.dat keeps its 25 lines). CP932 with CR LF, one
// "key=value" line per setting; unknown keys are ignored and missing ones
// take their defaults, so settings can be added later; lines this version
// does not know are kept when the file is written again:
//   checksums=1          record content checksums when capturing
//   colour-scheme=auto   the window's 配色: auto, light or dark
#include <filesystem>
#include <string>
#include <vector>

namespace zt {

struct SideSettings {
    bool recordChecksums = false;
    std::string colourScheme = "auto";
    std::vector<std::string> otherLines; // of other keys, as read
};

// The side settings of a Data folder (defaults when the file is missing or
// unreadable; only its first 64 KiB are read).
[[nodiscard]] SideSettings loadSideSettings(const std::filesystem::path& dataDir);
// Saved atomically, never through a link; false when that fails.
[[nodiscard]] bool saveSideSettings(const std::filesystem::path& dataDir,
                                    const SideSettings& settings);

} // namespace zt
