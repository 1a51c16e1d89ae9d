#pragma once
// The image list: the small (16x16) images of the folder tree, the contents list,
// the drive list and the search results. Images 0..5 are fixed; the icon of
// file-type table entry i is appended after them.
#include "browser/icontable.h"

#include <QIcon>
#include <QObject>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class IconCache : public QObject {
    Q_OBJECT

  public:
    enum FixedImage {
        OpenFolder = 0,
        ClosedFolder = 1,
        GenericFile = 2,
        CdDisc = 3,
        HardDisk = 4,
        RemovableDisk = 5
    };

    explicit IconCache(QObject* parent = nullptr); // the six fixed images

    static constexpr int kFixedImages = 6;

    // Reads Data/Icon/icon.dat and appends one icon per entry (entry i at
    // 6 + i), renaming the sample file Data/Icon/test.dat through every type
    // and back. A second call starts again from the six fixed images.
    void load(const std::filesystem::path& dataDir);

    // The icon for a file of the sample's name: the icon theme's icon of the
    // MIME type the name says, else GenericFile's image.
    [[nodiscard]] QIcon typeIcon(const std::filesystem::path& sample) const;

    // Image index for a file name by its type; GenericFile when the type is not in the table.
    [[nodiscard]] int imageIndexOf(std::string_view fileName) const;
    [[nodiscard]] QIcon image(int index) const;
    [[nodiscard]] int imageCount() const { return int(images_.size()); }

    // The table: extensions in file order and the image index of each.
    [[nodiscard]] const std::vector<std::string>& extensions() const { return extensions_; }
    [[nodiscard]] const std::vector<int>& imageIndexes() const { return imageIndexes_; }

  private:
    IconTable table_;
    std::vector<QIcon> images_;
    std::vector<std::string> extensions_;
    std::vector<int> imageIndexes_;
};

} // namespace zt
