#pragma once
// Keyboard use and accessibility shared by the windows: the context-menu keys
// on lists and trees, and accessible names taken from captions.
#include <QString>

class QAbstractItemView;
class QKeyEvent;
class QWidget;

namespace zt {

// True for the keys that open a context menu: the Menu key and Shift+F10.
[[nodiscard]] bool isContextMenuKey(const QKeyEvent& e);

// The Menu key and Shift+F10 on the view ask for its context menu (through
// customContextMenuRequested) at its current item, or at its top left.
void enableContextMenuKeys(QAbstractItemView* view);

// Gives every button below root that takes focus and has no accessible name
// one from its caption (mnemonic marks removed), else from its tool tip.
void nameButtonsFromCaptions(QWidget* root);

// A caption without its mnemonic marks: "終了(&X)" -> "終了(X)", "&&" -> "&".
[[nodiscard]] QString withoutMnemonic(const QString& caption);

} // namespace zt
