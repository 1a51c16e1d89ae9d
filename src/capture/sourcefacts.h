#pragma once
// What can be told about a source when it is read: the volume it lives on
// (label, file system, kind of device) and, when the source is a whole
// volume, its size and free space.
#include "capture/drives.h"
#include "image/imagereader.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zt {

enum class SourceKind { Unknown, Cd, Removable, HardDisk, Folder, Image };

struct SourceFacts {
    std::string path;       // the source as given, made absolute
    std::string label;      // the volume's label, else its mount point's last component
    std::string fileSystem; // e.g. iso9660, ext4
    SourceKind kind = SourceKind::Unknown;          // Folder unless the source is a volume's root
    std::optional<uint64_t> volumeSize, volumeFree; // only for a volume's root
    std::optional<FileTime> volumeCreated;          // only for an image, when it tells
    std::optional<uint64_t> imageSize;              // only for an image
};

[[nodiscard]] SourceFacts sourceFactsOf(const std::filesystem::path& source,
                                        const DriveSourcePaths& paths = {});

// The facts of an image file (or a device read as one), from its volume.
[[nodiscard]] SourceFacts imageFactsOf(const std::filesystem::path& image,
                                       const ImageVolume& volume);

} // namespace zt
