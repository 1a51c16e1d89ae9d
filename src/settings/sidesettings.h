#pragma once
// Settings the shared Setting.dat has no place for, kept in a side file of
// their own, Data/Options/options.txt, which a Windows copy of the Data
// folder ignores (Setting.dat keeps its 25 lines). CP932 with CR LF, one
// "key=value" line per setting; unknown keys are ignored and missing ones
// take their defaults, so settings can be added later:
//   checksums=1     record content checksums when capturing
#include <filesystem>

namespace zt {

struct SideSettings {
    bool recordChecksums = false;
};

// The side settings of a Data folder (defaults when the file is missing or
// unreadable; only its first 64 KiB are read).
[[nodiscard]] SideSettings loadSideSettings(const std::filesystem::path& dataDir);
// Saved atomically, never through a link; false when that fails.
[[nodiscard]] bool saveSideSettings(const std::filesystem::path& dataDir,
                                    const SideSettings& settings);

} // namespace zt
