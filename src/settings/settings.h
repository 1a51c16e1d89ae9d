#pragma once
// The settings kept across runs in Data/Setting.dat: window bounds, three pane
// sizes and the options. The defaults are what a first start uses.
#include <cstdint>
#include <filesystem>

namespace zt {

struct Settings {
    int version = 1200;
    int width = 716, height = 466, top = 120, left = 139;
    int panel3Width = 129;  // left column (stock list over source list)
    int panel4Height = 100; // stock list pane
    int panel6Width = 208;  // folder tree pane
    bool cdDrives = true;
    bool hardDisks = true;
    bool removableDisks = true;
    bool searchDialogShown = false;
    bool showPathWhileReading = true;
    bool iconsByFileType = true;
    int8_t iconArrangement = 0; // 0 by name, 1 by kind, other values kept as read
};

[[nodiscard]] std::filesystem::path SettingsPath(const std::filesystem::path& dataDir);

} // namespace zt
