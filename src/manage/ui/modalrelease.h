#pragma once
// The rename and export dialogs run modally, and show boxes they own on the
// stack. When the main window goes away meanwhile (the program ending), its
// deferred delete of the dialog would run inside those nested loops and free
// the dialog, and the boxes with it, from under them.
class QDialog;
class QEvent;

namespace zt {

// For a deferred delete that arrives while exec() runs (execDepth > 0): closes
// the dialog's own visible boxes and the dialog, and takes the event; the code
// that called exec() deletes or keeps the dialog once exec() has returned.
// False for every other event (the dialog handles it as usual).
[[nodiscard]] bool holdDeleteWhileModal(QDialog& dialog, QEvent* e, int execDepth);

} // namespace zt
