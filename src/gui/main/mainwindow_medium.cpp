// The contents list's "開く" and "フォルダを開く": the selected item on the
// medium the open stock was read from, when that medium is mounted and still
// holds it.
#include "gui/common/dialogservice.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "library/stocklibrary.h"

#include <QAction>
#include <QFile>

namespace zt {

namespace {

// Where the selected item is on its medium now; nullopt when it is not there.
std::optional<std::filesystem::path> itemOnMedium(const std::filesystem::path& dataDir,
                                                  const std::string& stock,
                                                  const FolderBrowserPane& folders,
                                                  bool* isFolder = nullptr) {
    const auto item = folders.selectedItemPath();
    if (stock.empty() || !item) return std::nullopt;
    if (isFolder) *isFolder = item->isFolder;
    return StockLibrary(dataDir).pathOnMedium(stock, item->parts);
}

QString native(const std::filesystem::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.string()));
}

} // namespace

void MainWindow::enableMediumActions() {
    const bool there = itemOnMedium(dataDir_, openStockName_, *folders_).has_value();
    openOnMediumAction_->setEnabled(there);
    openFolderOnMediumAction_->setEnabled(there);
}

void MainWindow::openItemOnMedium() {
    if (const auto path = itemOnMedium(dataDir_, openStockName_, *folders_))
        dialogs().openWithDesktop(native(*path));
}

void MainWindow::openItemFolderOnMedium() {
    bool isFolder = false;
    const auto path = itemOnMedium(dataDir_, openStockName_, *folders_, &isFolder);
    if (path) dialogs().openWithDesktop(native(isFolder ? *path : path->parent_path()));
}

} // namespace zt
