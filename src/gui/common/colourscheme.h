#pragma once
// The window's colours: 自動 (the desktop's preference), 明るい or 暗い, kept
// with the program's own settings (settings/sidesettings.h; a Windows copy of
// the Data folder never reads them). 自動 asks the freedesktop settings portal
// (org.freedesktop.appearance color-scheme, over D-Bus) and follows its
// changes; without an answer the desktop's own palette stands.
#include <QObject>
#include <QPalette>
#include <QString>
#include <filesystem>
#include <optional>

class QDBusVariant;
class QVariant;

namespace zt {

enum class ColourScheme { Auto = 0, Light = 1, Dark = 2 };

// The scheme chosen; Auto when the settings file is missing or unreadable.
[[nodiscard]] ColourScheme loadColourScheme(const std::filesystem::path& dataDir);
// Keeps every other line of the file as it is.
bool saveColourScheme(const std::filesystem::path& dataDir, ColourScheme scheme);

// What --dark and ZUTOMELARK_DARK force for this run: dark for --dark or any
// value but an off word ("0", "no", "false", "off", empty), light for those;
// nothing when neither is given.
[[nodiscard]] std::optional<ColourScheme> forcedColourScheme(bool darkOption,
                                                             const std::optional<QByteArray>& env);

// The portal's color-scheme value (nested variants allowed): true for 1
// (prefer dark), false for 2 (prefer light), nothing for 0 or anything else.
[[nodiscard]] std::optional<bool> portalPrefersDark(const QVariant& value);

// Applies a scheme to the whole program and, for Auto, follows the desktop.
// The look at the first call is the light one that 明るい puts back.
class ColourSchemes : public QObject {
    Q_OBJECT

  public:
    static ColourSchemes& instance();
    void apply(ColourScheme scheme);
    [[nodiscard]] ColourScheme scheme() const { return scheme_; }
    [[nodiscard]] bool dark() const { return dark_; }

  private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

  private:
    ColourSchemes();
    void show(bool dark);
    [[nodiscard]] std::optional<bool> askPortal() const;

    ColourScheme scheme_ = ColourScheme::Light;
    bool dark_ = false;
    bool watching_ = false;
    QString lightStyle_;
    QPalette lightPalette_;
};

} // namespace zt
