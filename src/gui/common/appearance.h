#pragma once
// The look shared by the program and the window tests: the desktop's own font
// and icon theme where they serve (a Japanese Gothic font and Adwaita where
// they do not), and the application icon.
class QApplication;
class QColor;
class QIcon;
class QString;
class QWidget;

namespace zt {

// Keeps the desktop's font when it covers Japanese, else takes a proportional
// Japanese Gothic (IPAPGothic first) at the desktop's size; keeps the desktop's
// icon theme when it has the program's icons, else Adwaita (hicolor when that
// is missing), which also fills gaps. dark: the dark colours at once (see
// colourscheme.h for the setting). Call once after the QApplication exists.
void setupAppearance(QApplication& app, bool dark = false);

// A theme icon, or the style's standard pixmap when the theme lacks it. An
// icon too pale to tell from the window is replaced by its one-colour
// ("-symbolic") variant in the palette's button text colour.
[[nodiscard]] QIcon themeIcon(const QString& name, int standardPixmap);

// How much an icon stands out from a background: the mean difference of
// luminance (0 to 1) over its opaque pixels.
[[nodiscard]] double iconContrast(const QIcon& icon, const QColor& background);

// A size of the window design (laid out for a 12 px font), grown with the
// widget's font when that is bigger. Screen scaling needs nothing here: these
// are logical pixels.
[[nodiscard]] int designPixels(const QWidget& widget, int pixels);

} // namespace zt
