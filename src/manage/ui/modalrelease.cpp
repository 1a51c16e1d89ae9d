#include "manage/ui/modalrelease.h"

#include <QDialog>
#include <QEvent>

namespace zt {

bool holdDeleteWhileModal(QDialog& dialog, QEvent* e, int execDepth) {
    if (e->type() != QEvent::DeferredDelete || execDepth <= 0) return false;
    for (QDialog* box : dialog.findChildren<QDialog*>())
        if (box->isVisible()) box->reject();
    dialog.reject();
    return true;
}

} // namespace zt
