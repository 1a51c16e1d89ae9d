#include "browser/ui/iconcache.h"

#include <QApplication>
#include <QStyle>

namespace zt {

namespace {

QIcon themed(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

IconCache::IconCache(QObject* parent) : QObject(parent)
{
    images_ = {
        themed("folder-open", QStyle::SP_DirOpenIcon),
        themed("folder", QStyle::SP_DirClosedIcon),
        themed("text-x-generic", QStyle::SP_FileIcon),
        themed("media-optical", QStyle::SP_DriveCDIcon),
        themed("drive-harddisk", QStyle::SP_DriveHDIcon),
        themed("drive-removable-media", QStyle::SP_DriveFDIcon),
    };
}

void IconCache::Load(const std::filesystem::path&) {}

int IconCache::ImageIndexOf(std::string_view) const { return GenericFile; }

QIcon IconCache::Image(int index) const
{
    if (index < 0 || size_t(index) >= images_.size()) return images_[GenericFile];
    return images_[size_t(index)];
}

} // namespace zt
