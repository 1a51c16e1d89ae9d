#pragma once
// The settings kept across runs in Data/Setting.dat: window bounds, three pane
// sizes and the options. The defaults are what a first start uses.
//
// The file is ten sections of a title line followed by value lines, 25 lines in
// all, CP932 with CR LF. It is read by position only: each title is one
// whitespace-free token that is skipped unread, each value a decimal number with
// any white space (blank lines included) before it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zt {

constexpr int kSettingsFormatVersion = 1200;

struct Settings {
    int version = kSettingsFormatVersion; // as read; always written as 1200
    int width = 716, height = 466, top = 120, left = 139;
    int leftColumnWidth = 129; // left column (stock list over source list)
    int stockListHeight = 100; // stock list pane
    int folderTreeWidth = 208; // folder tree pane
    bool cdDrives = true;
    bool hardDisks = true;
    bool removableDisks = true;
    bool searchDialogShown = false;
    bool showPathWhileReading = true;
    bool iconsByFileType = true;
    int8_t iconArrangement = 0; // 0 by name, 1 by kind, other values kept as read

    friend bool operator==(const Settings&, const Settings&) = default;
};

[[nodiscard]] std::filesystem::path settingsPath(const std::filesystem::path& dataDir);

// Reads settings file bytes into s, value by value in file order. A value whose
// place holds no number keeps what s had (the reader then goes on from that
// place, as a positional reader does); when the bytes end early, every value not
// yet read keeps what s had. Flags become 0 or 1, the arrangement kind is the
// low byte of its value. Returns true when all 15 values were read.
bool parseSettings(std::string_view bytes, Settings& s);

// The 25 lines of the file for s, with the version written as 1200.
[[nodiscard]] std::string serializeSettings(const Settings& s);

// Reads Data/Setting.dat into s. A missing or unreadable file leaves s as it
// was; a short one fills what it holds. Returns true when every value was read.
bool loadSettingsFile(const std::filesystem::path& dataDir, Settings& s);

// Sets s.version to 1200 and writes Data/Setting.dat (temporary file, then
// rename, so a crash never leaves half a file). False when it cannot be written;
// the old file is then unchanged.
[[nodiscard]] bool saveSettingsFile(const std::filesystem::path& dataDir, Settings& s);

} // namespace zt
