#include "gui/common/appearance.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QStyle>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <cmath>

// The help pages are compiled into the windows library; a static library
// needs its resources registered by hand.
static void registerResources() {
    Q_INIT_RESOURCE(zutomelark);
}

namespace zt {

namespace {

QString japaneseGothicFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* preferred : {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "VL Gothic",
                                  "TakaoGothic", "Droid Sans Japanese"}) {
        if (families.contains(QString::fromLatin1(preferred)))
            return QString::fromLatin1(preferred);
    }
    for (const QString& f : QFontDatabase::families(QFontDatabase::Japanese))
        return f;
    return {};
}

} // namespace

void setupAppearance(QApplication& app) {
    registerResources();
    // Qt's own dialogs (folder browser, save dialog, standard buttons) in Japanese.
    auto* qtText = new QTranslator(&app);
    if (qtText->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtText);
    else
        delete qtText;
    QFont font = app.font();
    const QString family = japaneseGothicFamily();
    if (!family.isEmpty()) font.setFamilies({family});
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);

    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& p :
         {QStringLiteral("/usr/share/icons"), QStringLiteral("/usr/local/share/icons"),
          QDir::homePath() + QStringLiteral("/.local/share/icons")}) {
        if (!paths.contains(p)) paths.append(p);
    }
    QIcon::setThemeSearchPaths(paths);
    if (QDir(QStringLiteral("/usr/share/icons/Adwaita")).exists())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    else if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

QIcon themeIcon(const QString& name, int standardPixmap) {
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull() && qApp)
        icon = qApp->style()->standardIcon(QStyle::StandardPixmap(standardPixmap));
    return icon;
}

int designPixels(const QWidget& widget, int pixels) {
    const double scale = std::max(1.0, widget.fontMetrics().height() / 15.0);
    return int(std::lround(pixels * scale));
}

} // namespace zt
