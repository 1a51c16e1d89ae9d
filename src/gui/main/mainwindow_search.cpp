// The search window as seen from the main window: toggle, close, the jump
// from a result into the folder browser.
#include "gui/common/indexbuilder.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"

#include <QAction>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace zt {

namespace {

// Shows the window beside the main window, not on top of it. Frames not known
// yet (no window manager, or not mapped yet) are taken as the main window's
// are now, with a small gap for borders still to come.
void showBeside(QWidget& main, QWidget& window) {
    const QRect outer = main.frameGeometry();
    const QRect inner = main.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const int gap = frame.isNull() ? 8 : 0;
    const QScreen* screen = main.screen();
    const QRect avail = screen ? screen->availableGeometry() : outer;
    window.move(
        placeBeside(outer.adjusted(-gap, -gap, gap, gap), window.size().grownBy(frame), avail));
    window.show();
    // Typed text goes to the search window's 検索文字列, not to the list that had the focus.
    window.activateWindow();
}

} // namespace

SearchWindow* MainWindow::searchWindow() const {
    return searchWindow_;
}

void MainWindow::setSearchChecked(bool checked) {
    searchAction_->setChecked(checked);
    searchButton_->setChecked(checked);
}

void MainWindow::toggleSearchWindow() {
    if (searchWindow_)
        closeSearchWindow();
    else
        createSearchWindow();
    settings_.searchDialogShown = searchWindow_ != nullptr;
    setSearchChecked(settings_.searchDialogShown);
}

void MainWindow::createSearchWindow() {
    if (searchWindow_) return; // at most one
    searchWindow_ = new SearchWindow(stockList_->model(), dataDir_, icons_, this);
    searchWindow_->selectStock(stockList_->selectedRow());
    connect(searchWindow_, &SearchWindow::closed, this, &MainWindow::searchWindowClosed);
    connect(searchWindow_, &SearchWindow::openRequested, this, &MainWindow::openSearchHit);
    connect(searchWindow_, &SearchWindow::indexesUnusable, indexBuilder_, &IndexBuilder::recheck);
    if (isVisible()) {
        showBeside(*this, *searchWindow_);
        return;
    }
    // At start-up the main window is not shown yet: the search window follows
    // it once it is, so it is placed by the window's real place and stacked above it.
    QTimer::singleShot(0, searchWindow_, [this] {
        if (searchWindow_ && !searchWindow_->isVisible()) showBeside(*this, *searchWindow_);
    });
}

void MainWindow::closeSearchWindow() {
    if (!searchWindow_) return;
    SearchWindow* window = searchWindow_;
    searchWindow_ = nullptr;
    window->hide();
    // Destroyed from the event loop, never from inside one of its own
    // handlers; its destructor stops a running search and waits for it.
    window->deleteLater();
}

void MainWindow::searchWindowClosed() {
    closeSearchWindow();
    settings_.searchDialogShown = false;
    setSearchChecked(false);
}

void MainWindow::openSearchHit(const SearchHit& hit) {
    // Opening or reading a stock: the tree is not ready.
    if (busy()) return;
    // The stock, compared byte for byte; opened unless it is the selected one.
    const auto names = stockList_->names();
    const auto it = std::find(names.begin(), names.end(), hit.stock);
    const int found = it == names.end() ? -1 : int(it - names.begin());
    if (found >= 0 && found != stockList_->selectedRow()) {
        stockList_->selectRow(found);
        pendingJump_ = hit.folders();
        openSelectedStock();
        return;
    }
    // Down the open tree, folder by folder, as far as the names lead.
    folders_->selectPath(hit.folders());
}

} // namespace zt
