#pragma once
// The look shared by the program and the window tests: a Japanese Gothic font
// for every window and an icon theme that is found without a desktop session.
class QApplication;
class QIcon;
class QString;
class QWidget;

namespace zt {

// Picks the application font (IPA Gothic when installed, else any font with
// Japanese coverage) at 9 pt, i.e. 12 px at 96 dpi, and sets the icon theme
// search paths and theme name. Call once after the QApplication exists.
void setupAppearance(QApplication& app);

// A theme icon, or the style's standard pixmap when the theme lacks it.
[[nodiscard]] QIcon themeIcon(const QString& name, int standardPixmap);

// A size of the window design (laid out for a 12 px font), grown with the
// widget's font when that is bigger. Screen scaling needs nothing here: these
// are logical pixels.
[[nodiscard]] int designPixels(const QWidget& widget, int pixels);

} // namespace zt
