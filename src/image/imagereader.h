#pragma once
// Reading the file system inside a disc image (or a disc in a drive that is
// not mounted) without mounting it: UDF through libudfread, ISO 9660 with its
// Joliet and Rock Ridge extensions through libarchive, the volume's facts
// through libblkid. What comes out is a stream of entries, each with its path
// inside the image; nothing here builds a stock.
//
// An image may come from anyone. Every reader is bounded: a reader never hands
// out more entries than the image's size could hold (so a directory that
// loops back on itself ends), never goes deeper than kMaxImageDepth, and never
// holds more than one directory's listing per level.
#include "platform/fileops.h"
#include "platform/filetime.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zt {

struct ImageEntry {
    // The names from the top down, '/' between them, no leading '/': the bytes
    // the file system holds (libarchive and libudfread give UTF-8 for Joliet
    // and UDF; Rock Ridge names are whatever bytes the disc was made with).
    std::string path;
    bool isDirectory = false;
    uint64_t size = 0;
    // Zero where the file system keeps no such time (or the library does not
    // give it): never the image file's own times.
    FileTime created, accessed, modified;
};

struct ImageVolume {
    std::string fileSystem; // "UDF 2.50", "ISO 9660 + Joliet + Rock Ridge", ...
    std::string label;      // the volume identifier, empty when there is none
    FileTime created;       // the volume's date, zero when unknown
    uint64_t imageSize = 0; // bytes of the image (or the disc)
};

inline constexpr int kMaxImageDepth = 256;

class ImageReader {
  public:
    virtual ~ImageReader() = default;
    [[nodiscard]] const ImageVolume& volume() const { return volume_; }
    // The next entry: a directory comes before what it holds. False at the end
    // and after a part that could not be read (damaged() tells).
    virtual bool next(ImageEntry& out) = 0;
    // True when some of the image could not be read (a truncated image, a
    // damaged record, more entries than it could hold): what was handed out
    // is right, but not everything.
    [[nodiscard]] bool damaged() const { return !problem_.empty(); }
    [[nodiscard]] const std::string& problem() const { return problem_; }

  protected:
    void noteProblem(std::string why) {
        if (problem_.empty()) problem_ = why.empty() ? "damaged" : std::move(why);
    }
    ImageVolume volume_;
    std::string problem_;
};

enum class ImageOpenStatus { Opened, CannotOpen, NotAnImage };

struct OpenedImage {
    ImageOpenStatus status = ImageOpenStatus::CannotOpen;
    std::unique_ptr<ImageReader> reader;
    std::string error; // CannotOpen: the system's reason
};

// Opens the image at path (a plain file or a block device): UDF when the image
// holds one (a hybrid disc's UDF side has the long names), else ISO 9660.
[[nodiscard]] OpenedImage openImage(const std::filesystem::path& path);
// The same over a file already open (the fuzz target's bytes in memory).
[[nodiscard]] OpenedImage openImage(std::shared_ptr<RandomAccessFile> file);

// True when path names a plain file or a block device rather than a folder:
// the faces read such a source as an image.
[[nodiscard]] bool isImageSource(const std::filesystem::path& path);

// The entry budget of an image of this many bytes: no file system can hold
// more entries than this (a directory record takes at least 32 bytes).
[[nodiscard]] uint64_t imageEntryBudget(uint64_t imageSize);

} // namespace zt
