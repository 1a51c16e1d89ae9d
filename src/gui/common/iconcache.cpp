#include "gui/common/iconcache.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStringList>
#include <QStyle>
#include <utility>

namespace zt {

namespace {

QIcon themed(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

bool isSourceCode(const QMimeType& mime) {
    const QString n = mime.name();
    if (n.startsWith(QLatin1String("text/x-"))) return n != QLatin1String("text/x-log");
    for (const char* code : {"text/rust", "text/css", "text/javascript", "application/javascript",
                             "application/sql", "application/x-shellscript"})
        if (n == QLatin1String(code)) return true;
    // Scripts: text that the system can also run.
    return mime.inherits(QStringLiteral("text/plain")) &&
           mime.inherits(QStringLiteral("application/x-executable"));
}

// Types the MIME database does not know, by extension (mostly Windows ones).
const char* iconOfUnknownType(const QString& ext) {
    static const std::pair<const char*, const char*> kByExtension[] = {
        {"bat", "text-x-script"},
        {"cmd", "text-x-script"},
        {"ps1", "text-x-script"},
        {"bas", "text-x-script"},
        {"asm", "text-x-script"},
        {"swift", "text-x-script"},
        {"r", "text-x-script"},
        {"dll", "application-x-sharedlib"},
        {"sys", "application-x-sharedlib"},
        {"com", "application-x-executable"},
        {"scr", "application-x-executable"},
        {"nrg", "media-optical"},
        {"mdf", "media-optical"},
        {"ini", "text-x-generic"},
        {"cfg", "text-x-generic"},
        {"conf", "text-x-generic"},
        {"inf", "text-x-generic"},
    };
    for (const auto& [e, icon] : kByExtension)
        if (ext.compare(QLatin1String(e), Qt::CaseInsensitive) == 0) return icon;
    return nullptr;
}

// Icon names for a type, the most specific first. A small theme holds only
// the broad kinds (text, image, audio, package, ...): common types it has no
// icon of get the closest of those rather than the blank page.
QStringList iconNamesOf(const QMimeDatabase& db, const QMimeType& mime, const QString& ext) {
    QStringList names{mime.iconName()};
    if (mime.inherits(QStringLiteral("application/x-cd-image")))
        names << QStringLiteral("media-optical");
    if (isSourceCode(mime)) names << QStringLiteral("text-x-script");
    // A type's parents (an Android package is a Java archive is a zip) say more
    // than the generic icon; the most general ones come last below anyway.
    for (const QString& parent : mime.allAncestors()) {
        if (parent == QLatin1String("text/plain") ||
            parent == QLatin1String("application/octet-stream"))
            continue;
        names << db.mimeTypeForName(parent).iconName();
    }
    if (mime.isDefault()) {
        if (const char* icon = iconOfUnknownType(ext)) names << QString::fromLatin1(icon);
    }
    names << mime.genericIconName();
    return names;
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

QIcon IconCache::typeIcon(const std::filesystem::path& sample) const {
    // The desktop's answer to "which icon has a file of this name": the MIME
    // type its name says (the content is never looked at), then that type's
    // icon in the icon theme, or the icon of its broad kind.
    static const QMimeDatabase db;
    const QString name = QString::fromStdString(sample.filename().string());
    const QMimeType mime = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    for (const QString& icon : iconNamesOf(db, mime, name.mid(dot + 1))) {
        if (!icon.isEmpty() && QIcon::hasThemeIcon(icon)) return QIcon::fromTheme(icon);
    }
    return images_[GenericFile];
}

void IconCache::load(const std::filesystem::path& dataDir) {
    images_.resize(kFixedImages);
    table_.load(dataDir, [this](size_t, const std::filesystem::path& sample) {
        images_.push_back(typeIcon(sample));
        return int(images_.size()) - 1;
    });
    extensions_ = table_.extensions();
    imageIndexes_ = table_.imageIndexes();
}

int IconCache::imageIndexOf(std::string_view fileName) const {
    return table_.imageIndexOf(fileName);
}

QIcon IconCache::image(int index) const {
    if (index < 0 || size_t(index) >= images_.size()) return images_[GenericFile];
    return images_[size_t(index)];
}

} // namespace zt
