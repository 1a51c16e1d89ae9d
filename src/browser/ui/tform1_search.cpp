// The search dialog as seen from the main window: toggle, close notification, refresh.
#include "browser/ui/tform1.h"
#include "search/ui/searchdlg.h"

#include <QAction>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace zt {

void TForm1::RefreshSearchStockList() {
    if (searchDlg) searchDlg->RefreshStockList();
}

namespace {

// Shows the dialog beside the main window, not on top of it. Frames not known
// yet (no window manager, or not mapped yet) are taken as the main window's
// are now, with a small gap for borders still to come.
void showBeside(QWidget& main, QWidget& dlg) {
    const QRect outer = main.frameGeometry();
    const QRect inner = main.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const int gap = frame.isNull() ? 8 : 0;
    const QScreen* screen = main.screen();
    const QRect avail = screen ? screen->availableGeometry() : outer;
    dlg.move(PlaceBeside(outer.adjusted(-gap, -gap, gap, gap), dlg.size().grownBy(frame), avail));
    dlg.show();
}

} // namespace

void TForm1::CreateSearchDialog() {
    if (searchDlg) return; // at most one
    searchDlg = new TSearchDlg(this);
    connect(searchDlg, &TSearchDlg::closed, this, &TForm1::SearchDialogClosed);
    if (isVisible()) {
        showBeside(*this, *searchDlg);
        return;
    }
    // At start-up the main window is not shown yet: the dialog follows it once
    // it is, so it is placed by the window's real place and stacked above it.
    QTimer::singleShot(0, searchDlg, [this] {
        if (searchDlg && !searchDlg->isVisible()) showBeside(*this, *searchDlg);
    });
}

void TForm1::CloseSearchDialog() {
    if (!searchDlg) return;
    TSearchDlg* dlg = searchDlg;
    dlg->close(); // as the close box does: the notification releases it
    // A running search refuses the close: stop it and let it go once it has stopped.
    if (searchDlg == dlg) {
        searchDlg = nullptr;
        dlg->Release();
    }
}

void TForm1::MenuSearchClick() {
    if (MenuSearch->isChecked()) {
        MenuSearch->setChecked(false);
        CloseSearchDialog();
    } else {
        MenuSearch->setChecked(true);
        CreateSearchDialog();
    }
    settings.searchDialogShown = MenuSearch->isChecked();
    ToolButtonSearch->setChecked(MenuSearch->isChecked());
}

void TForm1::SearchDialogClosed() {
    // Called from inside the dialog's close handling: it is released afterwards.
    if (searchDlg) searchDlg->Release();
    searchDlg = nullptr;
    MenuSearch->setChecked(false);
    settings.searchDialogShown = false;
    ToolButtonSearch->setChecked(false);
}

} // namespace zt
