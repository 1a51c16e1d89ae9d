#include "capture/sourcefacts.h"

#include "platform/direnum.h"
#include "platform/fileops.h"
#include "platform/textfile.h"

namespace zt {

namespace fs = std::filesystem;

namespace {

SourceKind kindOf(DriveKind k) {
    switch (k) {
    case DriveKind::Cd:
        return SourceKind::Cd;
    case DriveKind::Removable:
        return SourceKind::Removable;
    case DriveKind::HardDisk:
        return SourceKind::HardDisk;
    }
    return SourceKind::Unknown;
}

// True when path is mountPoint or lies below it.
bool isBelow(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") return true;
    return path == mountPoint || (path.starts_with(mountPoint) && path.size() > mountPoint.size() &&
                                  path[mountPoint.size()] == '/');
}

} // namespace

SourceFacts imageFactsOf(const fs::path& image, const ImageVolume& volume) {
    SourceFacts facts;
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(image, ec), ec);
    facts.path = ec ? image.string() : real.string();
    facts.kind = SourceKind::Image;
    facts.label = displayNameOfNative(volume.label);
    facts.fileSystem = volume.fileSystem;
    if (!volume.created.isZero()) facts.volumeCreated = volume.created;
    facts.imageSize = volume.imageSize;
    return facts;
}

SourceFacts sourceFactsOf(const fs::path& source, const DriveSourcePaths& paths) {
    SourceFacts facts;
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(source, ec), ec);
    facts.path = ec ? source.string() : real.string();
    // The innermost mount holding the source.
    const auto table = readFileBytes(paths.mountInfo);
    const MountEntry* mount = nullptr;
    const auto entries = table ? parseMountInfo(*table) : std::vector<MountEntry>{};
    for (const MountEntry& m : entries)
        if (isBelow(facts.path, m.mountPoint) &&
            (!mount || m.mountPoint.size() >= mount->mountPoint.size()))
            mount = &m;
    if (!mount) return facts;
    facts.fileSystem = mount->fsType;
    const bool volumeRoot = facts.path == mount->mountPoint;
    facts.kind = volumeRoot ? SourceKind::Unknown : SourceKind::Folder;
    for (const DriveInfo& d : listDrives(paths)) {
        if (d.mountPoint != mount->mountPoint) continue;
        facts.label = d.label;
        if (volumeRoot) facts.kind = kindOf(d.kind);
    }
    if (facts.label.empty()) facts.label = fs::path(mount->mountPoint).filename().string();
    if (volumeRoot) {
        if (facts.kind == SourceKind::Unknown) facts.kind = SourceKind::HardDisk;
        if (const auto space = volumeSpace(facts.path)) {
            facts.volumeSize = space->size;
            facts.volumeFree = space->free;
        }
    }
    return facts;
}

} // namespace zt
