// The search dialog as seen from the main window: toggle, close notification, refresh.
#include "browser/ui/tform1.h"
#include "search/ui/searchdlg.h"

#include <QAction>
#include <QToolButton>

namespace zt {

void TForm1::RefreshSearchStockList() {
    if (searchDlg) searchDlg->RefreshStockList();
}

void TForm1::CreateSearchDialog() {
    if (searchDlg) return; // at most one
    searchDlg = new TSearchDlg(this);
    connect(searchDlg, &TSearchDlg::closed, this, &TForm1::SearchDialogClosed);
    searchDlg->show();
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
