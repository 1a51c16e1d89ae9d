#include "browser/ui/iconcache.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace zt {

namespace {

QIcon themed(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

} // namespace

IconCache::IconCache(QObject* parent) : QObject(parent) {
    images_ = {
        themed("folder-open", QStyle::SP_DirOpenIcon),
        themed("folder", QStyle::SP_DirClosedIcon),
        themed("text-x-generic", QStyle::SP_FileIcon),
        themed("media-optical", QStyle::SP_DriveCDIcon),
        themed("drive-harddisk", QStyle::SP_DriveHDIcon),
        themed("drive-removable-media", QStyle::SP_DriveFDIcon),
    };
}

QIcon IconCache::TypeIcon(const std::filesystem::path& sample) const {
    // The desktop's answer to "which icon has a file of this name": the MIME
    // type its name says (the content is never looked at), then that type's
    // icon in the icon theme, or the icon of its broad kind.
    static const QMimeDatabase db;
    const QMimeType mime =
        db.mimeTypeForFile(QString::fromStdString(sample.string()), QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    if (icon.isNull()) icon = images_[GenericFile];
    return icon;
}

void IconCache::Load(const std::filesystem::path& dataDir) {
    images_.resize(kFixedImages);
    table_.Load(dataDir, [this](size_t, const std::filesystem::path& sample) {
        images_.push_back(TypeIcon(sample));
        return int(images_.size()) - 1;
    });
    extensions_ = table_.extensions();
    imageIndexes_ = table_.imageIndexes();
}

int IconCache::ImageIndexOf(std::string_view fileName) const {
    return table_.ImageIndexOf(fileName);
}

QIcon IconCache::Image(int index) const {
    if (index < 0 || size_t(index) >= images_.size()) return images_[GenericFile];
    return images_[size_t(index)];
}

} // namespace zt
