#include "gui/common/appearance.h"

#include "gui/common/colourscheme.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
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

// Mean luminance difference between an icon and the window below which the
// icon looks disabled (pale grey icons on a pale window measure below 0.2,
// coloured ones above 0.3).
constexpr double kLeastIconContrast = 0.25;

// The tool bar's icons: a desktop theme is kept only when it has them all.
constexpr const char* kToolBarIcons[] = {"application-exit",   "media-optical", "document-save-as",
                                         "edit-delete",        "go-up",         "edit-find",
                                         "preferences-system", nullptr};

bool coversJapanese(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
}

QString japaneseGothicFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* preferred : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic",
                                  "VL Gothic", "TakaoPGothic", "TakaoGothic"}) {
        if (families.contains(QString::fromLatin1(preferred)))
            return QString::fromLatin1(preferred);
    }
    for (const QString& f : QFontDatabase::families(QFontDatabase::Japanese))
        if (!QFontDatabase::isFixedPitch(f)) return f;
    const QStringList any = QFontDatabase::families(QFontDatabase::Japanese);
    return any.isEmpty() ? QString() : any.first();
}

void chooseFont(QApplication& app) {
    QFont font = app.font(); // the desktop's, at its size
    if (coversJapanese(QFontInfo(font).family())) return;
    const QString family = japaneseGothicFamily();
    if (family.isEmpty()) return;
    font.setFamilies({family});
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

void chooseIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& p :
         {QDir::homePath() + QStringLiteral("/.local/share/icons"),
          QStringLiteral("/usr/local/share/icons"), QStringLiteral("/usr/share/icons")}) {
        if (!paths.contains(p)) paths.append(p);
    }
    QIcon::setThemeSearchPaths(paths);
    const QString spare = QDir(QStringLiteral("/usr/share/icons/Adwaita")).exists()
                              ? QStringLiteral("Adwaita")
                              : QStringLiteral("hicolor");
    const QString desktop = QIcon::themeName();
    bool complete = !desktop.isEmpty() && desktop != QStringLiteral("hicolor");
    for (const char* const* name = kToolBarIcons; complete && *name; ++name)
        complete = QIcon::hasThemeIcon(QString::fromLatin1(*name));
    if (!complete) QIcon::setThemeName(spare);
    QIcon::setFallbackThemeName(spare);
}

} // namespace

void setupAppearance(QApplication& app, bool dark) {
    registerResources();
    // Qt's own dialogs (folder browser, save dialog, standard buttons) in Japanese.
    auto* qtText = new QTranslator(&app);
    if (qtText->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtText);
    else
        delete qtText;
    chooseFont(app);
    chooseIconTheme();
    if (dark) ColourSchemes::instance().apply(ColourScheme::Dark);
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.zutomelark.zutomelark"),
                         QIcon(QStringLiteral(":/icons/org.zutomelark.zutomelark.svg"))));
}

double iconContrast(const QIcon& icon, const QColor& background) {
    const QImage image =
        icon.pixmap(24).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const auto luminance = [](double r, double g, double b) {
        return 0.2126 * r + 0.7152 * g + 0.0722 * b;
    };
    const double back = luminance(background.redF(), background.greenF(), background.blueF());
    double sum = 0, weight = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a == 0) continue;
            // Premultiplied: the colour over the alpha is the pixel's own.
            const double l = luminance(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) / a;
            sum += a / 255.0 * std::abs(l - back);
            weight += a / 255.0;
        }
    }
    return weight > 0 ? sum / weight : 0;
}

QIcon themeIcon(const QString& name, int standardPixmap) {
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull() && qApp)
        icon = qApp->style()->standardIcon(QStyle::StandardPixmap(standardPixmap));
    if (icon.isNull() || !qApp) return icon;
    // Some themes draw an icon in pale grey (a disc, an arrow), which on a
    // pale window reads as "disabled": its one-colour variant in the text
    // colour is used instead.
    const QPalette palette = QApplication::palette();
    if (iconContrast(icon, palette.color(QPalette::Window)) >= kLeastIconContrast) return icon;
    const QIcon symbolic = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    if (symbolic.isNull()) return icon;
    QIcon tinted;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pm = symbolic.pixmap(size);
        if (pm.isNull()) continue;
        QPainter p(&pm);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(pm.rect(), palette.color(QPalette::ButtonText));
        p.end();
        tinted.addPixmap(pm);
    }
    return tinted.isNull() ? icon : tinted;
}

int designPixels(const QWidget& widget, int pixels) {
    const double scale = std::max(1.0, widget.fontMetrics().height() / 15.0);
    return int(std::lround(pixels * scale));
}

} // namespace zt
