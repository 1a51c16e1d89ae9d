#pragma once
// The look shared by the program and the window tests: the desktop's own font
// and icon theme where they serve (a Japanese Gothic font and Adwaita where
// they do not), and the application icon.
class QApplication;
class QIcon;
class QString;
class QWidget;

namespace zt {

// Keeps the desktop's font when it covers Japanese, else takes a proportional
// Japanese Gothic (IPAPGothic first) at the desktop's size; keeps the desktop's
// icon theme when it has the program's icons, else Adwaita (hicolor when that
// is missing), which also fills gaps. dark: Fusion with a dark palette (for
// checking the windows in dark colours). Call once after the QApplication exists.
void setupAppearance(QApplication& app, bool dark = false);

// A theme icon, or the style's standard pixmap when the theme lacks it.
[[nodiscard]] QIcon themeIcon(const QString& name, int standardPixmap);

// A size of the window design (laid out for a 12 px font), grown with the
// widget's font when that is bigger. Screen scaling needs nothing here: these
// are logical pixels.
[[nodiscard]] int designPixels(const QWidget& widget, int pixels);

} // namespace zt
