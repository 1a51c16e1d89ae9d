#pragma once
// The two readers behind openImage, one per library. Internal to src/image.
#include "image/imagereader.h"

#include <memory>

namespace zt {

class FileSystemReader : public ImageReader {
  public:
    // The facts libblkid found: an empty fileSystem keeps the reader's own.
    void setFacts(std::string fileSystem, std::string label) {
        if (!fileSystem.empty()) volume_.fileSystem = std::move(fileSystem);
        volume_.label = std::move(label);
    }

  protected:
    // Counts one entry against the image's budget; false (and the image
    // marked damaged) once the image has handed out more than it could hold.
    bool spend() {
        if (++spent_ <= imageEntryBudget(volume_.imageSize)) return true;
        noteProblem("more entries than the image can hold");
        return false;
    }

  private:
    uint64_t spent_ = 0;
};

// Null when the image holds no UDF file system libudfread can open.
[[nodiscard]] std::unique_ptr<FileSystemReader>
openUdfImage(std::shared_ptr<RandomAccessFile> file, const ImageVolume& volume);
// Null when the image holds no ISO 9660 file system libarchive can read.
[[nodiscard]] std::unique_ptr<FileSystemReader>
openIsoImage(std::shared_ptr<RandomAccessFile> file, const ImageVolume& volume, bool joliet);

} // namespace zt
