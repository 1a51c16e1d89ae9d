#include "gui/common/colourscheme.h"

#include "settings/sidesettings.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <string>

namespace zt {

namespace {

constexpr const char* kSchemeWords[] = {"auto", "light", "dark"};

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kColorScheme = QStringLiteral("color-scheme");

// Fusion draws an unchecked box's edge a shade off the dark window colour, so
// the box all but disappears: the edge is drawn again in the text colour.
class LegibleIndicators : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override {
        QProxyStyle::drawPrimitive(pe, opt, p, w);
        if (pe != PE_IndicatorCheckBox && pe != PE_IndicatorRadioButton) return;
        QColor edge = opt->palette.color(QPalette::Text);
        edge.setAlphaF(opt->state & State_Enabled ? 0.7f : 0.35f);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(edge, 1));
        p->setBrush(Qt::NoBrush);
        const QRectF r = QRectF(opt->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        if (pe == PE_IndicatorRadioButton)
            p->drawEllipse(r);
        else
            p->drawRoundedRect(r, 1.5, 1.5);
        p->restore();
    }
};

QPalette darkPalette() {
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230);
    const QColor disabledText(128, 128, 128), highlight(42, 130, 218);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, highlight.lighter(130));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, window.lighter(160));
    p.setColor(QPalette::Midlight, window.lighter(130));
    p.setColor(QPalette::Mid, window.darker(120));
    p.setColor(QPalette::Dark, window.darker(160));
    p.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    return p;
}

bool paletteIsDark(const QPalette& p) {
    return p.color(QPalette::Window).lightness() < 128;
}

} // namespace

ColourScheme loadColourScheme(const std::filesystem::path& dataDir) {
    const std::string word = loadSideSettings(dataDir).colourScheme;
    for (int i = 0; i < 3; ++i)
        if (word == kSchemeWords[i]) return ColourScheme(i);
    return ColourScheme::Auto;
}

bool saveColourScheme(const std::filesystem::path& dataDir, ColourScheme scheme) {
    SideSettings settings = loadSideSettings(dataDir);
    settings.colourScheme = kSchemeWords[int(scheme)];
    return saveSideSettings(dataDir, settings);
}

std::optional<ColourScheme> forcedColourScheme(bool darkOption,
                                               const std::optional<QByteArray>& env) {
    if (darkOption) return ColourScheme::Dark;
    if (!env) return std::nullopt;
    const QByteArray v = env->trimmed().toLower();
    const bool off = v.isEmpty() || v == "0" || v == "no" || v == "false" || v == "off";
    return off ? ColourScheme::Light : ColourScheme::Dark;
}

std::optional<bool> portalPrefersDark(const QVariant& value) {
    QVariant v = value;
    for (int i = 0; i < 4 && v.canConvert<QDBusVariant>(); ++i)
        v = qvariant_cast<QDBusVariant>(v).variant();
    bool ok = false;
    const uint scheme = v.toUInt(&ok);
    if (!ok || (scheme != 1 && scheme != 2)) return std::nullopt;
    return scheme == 1;
}

ColourSchemes& ColourSchemes::instance() {
    static ColourSchemes* one = new ColourSchemes; // lives as long as the program
    return *one;
}

ColourSchemes::ColourSchemes()
    : lightStyle_(QApplication::style() ? QApplication::style()->name() : QString()),
      lightPalette_(QApplication::palette()) {}

void ColourSchemes::apply(ColourScheme scheme) {
    scheme_ = scheme;
    if (scheme != ColourScheme::Auto) {
        show(scheme == ColourScheme::Dark);
        return;
    }
    if (!watching_) {
        // Whether or not the portal is there: a later start of it is heard too.
        watching_ = QDBusConnection::sessionBus().connect(
            kPortalService, kPortalPath, kPortalSettings, QStringLiteral("SettingChanged"), this,
            SLOT(settingChanged(QString, QString, QDBusVariant)));
    }
    // No answer: the desktop's own palette, dark or light as it is.
    show(askPortal().value_or(paletteIsDark(lightPalette_)));
}

std::optional<bool> ColourSchemes::askPortal() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalSettings,
                                                       QStringLiteral("Read"));
    call << kAppearance << kColorScheme;
    // Briefly: a portal that is slow to start must not hold the window back.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 300);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return portalPrefersDark(reply.arguments().first());
}

void ColourSchemes::settingChanged(const QString& group, const QString& key,
                                   const QDBusVariant& value) {
    if (scheme_ != ColourScheme::Auto || group != kAppearance || key != kColorScheme) return;
    show(portalPrefersDark(value.variant()).value_or(paletteIsDark(lightPalette_)));
}

void ColourSchemes::show(bool dark) {
    // A desktop palette that is dark already is kept: it is the user's own.
    const bool ours = dark && !paletteIsDark(lightPalette_);
    dark_ = dark;
    if (ours) {
        QApplication::setStyle(
            new LegibleIndicators(QStyleFactory::create(QStringLiteral("Fusion"))));
        QApplication::setPalette(darkPalette());
    } else {
        if (!lightStyle_.isEmpty()) QApplication::setStyle(lightStyle_);
        QApplication::setPalette(lightPalette_);
    }
}

} // namespace zt
