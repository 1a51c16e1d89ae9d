// Other processes on the same Data folder: the window follows the stock list
// they write, as if the user had made their changes here.
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"
#include "library/stocklibrary.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>
#include <algorithm>

namespace zt {

namespace {

// A change is taken in once the writers have been quiet this long.
constexpr int kListSettleMs = 100;

// The row of name nearest to `near` (names may repeat), or -1.
int rowOf(const std::vector<std::string>& names, const std::string& name, int near) {
    int best = -1;
    for (int i = 0; i < int(names.size()); ++i)
        if (names[size_t(i)] == name && (best < 0 || std::abs(i - near) < std::abs(best - near)))
            best = i;
    return best;
}

} // namespace

void MainWindow::watchStockList() {
    // The folder as well as the file: an atomic save replaces the file, and a
    // watch on the old one ends with it.
    listWatcher_ = new QFileSystemWatcher(this);
    listWatcher_->addPath(QString::fromStdString(dataDir_.string()));
    const QString list = QString::fromStdString(StockLibrary(dataDir_).listPath().string());
    if (QFile::exists(list)) listWatcher_->addPath(list);
    listChangeTimer_ = new QTimer(this);
    listChangeTimer_->setSingleShot(true);
    listChangeTimer_->setInterval(kListSettleMs);
    connect(listChangeTimer_, &QTimer::timeout, this, &MainWindow::stockListChanged);
    const auto changed = [this] { listChangeTimer_->start(); };
    connect(listWatcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(listWatcher_, &QFileSystemWatcher::directoryChanged, this, changed);
}

void MainWindow::stockListChanged() {
    const QString list = QString::fromStdString(StockLibrary(dataDir_).listPath().string());
    if (!listWatcher_->files().contains(list) && QFile::exists(list)) listWatcher_->addPath(list);
    // Long work uses the open stock: its change waits until the work is done.
    if (busy()) {
        listChangeTimer_->start();
        return;
    }
    reloadStockList();
}

void MainWindow::reloadStockList() {
    const auto names = StockLibrary(dataDir_).names();
    if (!names.ok()) return; // an unreadable list leaves the shown one as it is
    const std::vector<std::string> before = stockList_->names();
    if (names.value == before) return;
    const std::string selected = stockList_->selectedName();
    const int selectedRow = stockList_->selectedRow();
    stockList_->setNames(names.value);
    scheduleIndexes();
    if (!selected.empty()) stockList_->selectRow(rowOf(names.value, selected, selectedRow));
    followOpenStock(before, names.value);
    if (searchWindow_) searchWindow_->selectStock(stockList_->selectedRow());
}

void MainWindow::followOpenStock(const std::vector<std::string>& before,
                                 const std::vector<std::string>& after) {
    if (openStockName_.empty() ||
        std::find(after.begin(), after.end(), openStockName_) != after.end())
        return;
    // Gone from the list under its name: renamed when a name new to the list
    // names the very file that was open (a rename keeps the file; another
    // process's delete and capture of a new stock makes a new one), else
    // deleted. The file tells it, not the rows: several changes may have come
    // in one settling period (a rename here, a delete or a move there).
    if (openStockIdentity_) {
        const StockLibrary library(dataDir_);
        for (size_t row = 0; row < after.size(); ++row) {
            if (std::find(before.begin(), before.end(), after[row]) != before.end()) continue;
            if (library.stockIdentity(after[row]) != openStockIdentity_) continue;
            openStockName_ = after[row];
            folders_->renameRoot(openStockName_);
            stockList_->selectRow(int(row));
            return;
        }
    }
    openStockName_.clear();
    openStockIdentity_.reset();
    folders_->clear();
    stockList_->selectRow(-1);
}

} // namespace zt
