#include "capture/drives.h"

#include "platform/textfile.h"

#include <algorithm>
#include <array>
#include <map>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

namespace {

std::vector<std::string_view> splitBlanks(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string firstLineOf(const fs::path& p) {
    const auto bytes = readFileBytes(p);
    if (!bytes) return {};
    const size_t end = bytes->find_first_of("\r\n");
    return bytes->substr(0, end);
}

// The kernel's name of a mount source ("/dev/mapper/vg-root" -> "dm-0"):
// symbolic links below the device folder are followed; a source that cannot
// be resolved keeps its own last component.
std::string kernelDeviceName(const std::string& source, const fs::path& devRoot) {
    std::error_code ec;
    fs::path p = devRoot / fs::path(source).lexically_relative("/dev");
    for (int hops = 0; hops < 16; ++hops) {
        if (!fs::is_symlink(p, ec)) break;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = (target.is_absolute() ? devRoot / target.lexically_relative("/dev")
                                  : p.parent_path() / target)
                .lexically_normal();
    }
    return p.filename().string();
}

bool isCd(const MountEntry& m, const std::string& deviceName) {
    return m.fsType == "iso9660" || m.fsType == "udf" || deviceName.starts_with("sr");
}

bool isRemovable(const fs::path& sysClassBlock, const std::string& deviceName) {
    std::error_code ec;
    const fs::path entry = sysClassBlock / deviceName;
    const fs::path resolved = fs::canonical(entry, ec);
    if (ec) return false;
    if (resolved.string().find("/usb") != std::string::npos) return true;
    if (firstLineOf(resolved / "removable") == "1") return true;
    // A partition carries no flag of its own: its disk is the folder above it.
    if (fs::exists(resolved / "partition", ec))
        return firstLineOf(resolved.parent_path() / "removable") == "1";
    return false;
}

// Volume labels by kernel device name, from the by-label links.
std::map<std::string, std::string> labelsByDevice(const fs::path& byLabel,
                                                  const fs::path& devRoot) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(byLabel, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path link = it->path();
        std::error_code lec;
        const fs::path target = fs::read_symlink(link, lec);
        if (lec) continue;
        const fs::path resolved =
            (target.is_absolute() ? devRoot / target.lexically_relative("/dev")
                                  : link.parent_path() / target)
                .lexically_normal();
        const std::string label = decodeLabelName(link.filename().string());
        if (!label.empty()) out.emplace(resolved.filename().string(), label);
    }
    return out;
}

std::string lastComponent(const std::string& mountPoint) {
    const std::string trimmed = mountPoint.substr(0, mountPoint.find_last_not_of('/') + 1);
    if (trimmed.empty()) return "/";
    return trimmed.substr(trimmed.rfind('/') + 1);
}

} // namespace

std::string unescapeMountField(std::string_view field) {
    const auto oct = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && oct(i + 1) && oct(i + 2) && oct(i + 3)) {
            const int v =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (v <= 0xFF) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string decodeLabelName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int hi = hexValue(name[i + 2]), lo = hexValue(name[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out += char(hi * 16 + lo);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

bool isPseudoFileSystem(std::string_view fsType) {
    static constexpr std::array<std::string_view, 26> kPseudo = {
        "proc",     "sysfs",    "tmpfs",      "devtmpfs",  "cgroup",    "cgroup2",     "overlay",
        "squashfs", "autofs",   "devpts",     "mqueue",    "debugfs",   "tracefs",     "securityfs",
        "pstore",   "bpf",      "fusectl",    "configfs",  "hugetlbfs", "binfmt_misc", "nsfs",
        "ramfs",    "efivarfs", "rpc_pipefs", "selinuxfs", "nfsd"};
    if (std::find(kPseudo.begin(), kPseudo.end(), fsType) != kPseudo.end()) return true;
    // Fuse file systems named fuse.<program> are network or virtual ones;
    // fuseblk is a real volume on a block device.
    return fsType == "fuse" || fsType.starts_with("fuse.");
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const auto f = splitBlanks(line);
        if (f.size() < 7) continue;
        const auto dash = std::find(f.begin() + 6, f.end(), std::string_view("-"));
        if (dash == f.end() || f.end() - dash < 3) continue;
        MountEntry m;
        m.mountPoint = unescapeMountField(f[4]);
        m.fsType = unescapeMountField(dash[1]);
        m.source = unescapeMountField(dash[2]);
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<DriveInfo> listDrives(const DriveSourcePaths& paths) {
    const auto text = readFileBytes(paths.mountInfo);
    if (!text) return {};
    const auto mounts = parseMountInfo(*text);

    // A mount point mounted over shows its last volume: keep the first place
    // in the table and the last entry's contents.
    std::vector<std::string> order;
    std::map<std::string, const MountEntry*> visible;
    for (const auto& m : mounts) {
        auto [it, inserted] = visible.try_emplace(m.mountPoint, &m);
        if (inserted)
            order.push_back(m.mountPoint);
        else
            it->second = &m;
    }

    const auto labels = labelsByDevice(paths.byLabel, paths.dev);
    std::vector<DriveInfo> drives;
    for (const auto& point : order) {
        const MountEntry& m = *visible[point];
        if (!m.source.starts_with("/dev/") || isPseudoFileSystem(m.fsType)) continue;
        // A single file bound over another (container set-ups) is no volume to read.
        std::error_code ec;
        if (fs::exists(m.mountPoint, ec) && !fs::is_directory(m.mountPoint, ec)) continue;

        DriveInfo d;
        d.mountPoint = m.mountPoint;
        d.device = m.source;
        d.fsType = m.fsType;
        const std::string name = kernelDeviceName(m.source, paths.dev);
        if (isCd(m, name))
            d.kind = DriveKind::Cd;
        else if (isRemovable(paths.sysClassBlock, name))
            d.kind = DriveKind::Removable;
        else
            d.kind = DriveKind::HardDisk;
        const auto label = labels.find(name);
        d.label = label != labels.end() ? label->second : lastComponent(m.mountPoint);
        drives.push_back(std::move(d));
    }
    return drives;
}

std::vector<DriveInfo> listUnmountedDiscs(const DriveSourcePaths& paths) {
    const auto text = readFileBytes(paths.mountInfo);
    std::vector<std::string> mountedDevices;
    for (const MountEntry& m : text ? parseMountInfo(*text) : std::vector<MountEntry>{})
        if (m.source.starts_with("/dev/")) mountedDevices.push_back(kernelDeviceName(m.source, paths.dev));
    const auto labels = labelsByDevice(paths.byLabel, paths.dev);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(paths.sysClassBlock, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with("sr")) continue;
        // No disc in the drive: its size is 0.
        const std::string size = firstLineOf(it->path() / "size");
        if (size.empty() || size == "0") continue;
        if (std::find(mountedDevices.begin(), mountedDevices.end(), name) != mountedDevices.end())
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<DriveInfo> out;
    for (const std::string& name : names) {
        DriveInfo d;
        d.device = (paths.dev / name).string();
        d.mountPoint = d.device;
        d.kind = DriveKind::Cd;
        d.mounted = false;
        const auto label = labels.find(name);
        d.label = label != labels.end() ? label->second : name;
        out.push_back(std::move(d));
    }
    return out;
}

std::string driveCaption(const DriveInfo& drive) {
    const char* word = drive.kind == DriveKind::Cd          ? "CDドライブ"
                       : drive.kind == DriveKind::Removable ? "リムーバブル"
                                                            : "HDドライブ";
    return " (" + drive.label + ") " + word + (drive.mounted ? "" : " (未マウント)");
}

int driveImageIndex(DriveKind kind) {
    switch (kind) {
    case DriveKind::Cd:
        return 3;
    case DriveKind::Removable:
        return 5;
    case DriveKind::HardDisk:
        break;
    }
    return 4;
}

} // namespace zt
