#pragma once
// The drives that can be read: mounted volumes backed by a block device, each
// with a kind (CD, hard disk, removable), a label and the mount point to read.
// Everything is read through a set of root paths, so tests can point them at
// made-up mount tables, sysfs trees and label folders.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct DriveSourcePaths {
    std::filesystem::path mountInfo = "/proc/self/mountinfo";
    std::filesystem::path sysClassBlock = "/sys/class/block";
    std::filesystem::path byLabel = "/dev/disk/by-label";
    std::filesystem::path dev = "/dev"; // where device names of the mount table resolve
};

enum class DriveKind { Cd, HardDisk, Removable };

struct DriveInfo {
    std::string mountPoint; // the path to read
    std::string label;      // volume label, else the mount point's last component
    std::string device;     // mount source, e.g. /dev/sda1
    std::string fsType;
    DriveKind kind = DriveKind::HardDisk;
    bool mounted = true; // false: an optical disc no one mounted, read through its device
};

// One line of the mount table, fields de-escaped.
struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// Lines of /proc/self/mountinfo; malformed lines are skipped.
[[nodiscard]] std::vector<MountEntry> parseMountInfo(std::string_view text);
// Undoes the mount table's octal escapes (\040 for a blank, \011, \012, \134).
[[nodiscard]] std::string unescapeMountField(std::string_view field);
// Undoes the \xNN escapes of /dev/disk/by-label names.
[[nodiscard]] std::string decodeLabelName(std::string_view name);
// True for file systems that never back a drive (proc, tmpfs, overlay, fuse.*, ...).
[[nodiscard]] bool isPseudoFileSystem(std::string_view fsType);

// The readable drives in mount-table order; a mount point mounted over is
// listed once, as the volume visible there.
[[nodiscard]] std::vector<DriveInfo> listDrives(const DriveSourcePaths& paths = {});

// Optical drives holding a disc that is not mounted (sr* with a size above
// zero, whose device no mount names): mountPoint is then the device to read
// as an image, and mounted is false.
[[nodiscard]] std::vector<DriveInfo> listUnmountedDiscs(const DriveSourcePaths& paths = {});

// " (label) CDドライブ", " (label) HDドライブ", " (label) リムーバブル"; an
// unmounted disc adds " (未マウント)".
[[nodiscard]] std::string driveCaption(const DriveInfo& drive);
// Image of the drive list: 3 CD, 4 hard disk, 5 removable.
[[nodiscard]] int driveImageIndex(DriveKind kind);

} // namespace zt
