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

// Hands a path to the desktop, and says so when nothing could open it.
void MainWindow::openOnDesktop(const std::optional<std::filesystem::path>& path) {
    if (!path) {
        // Gone from its medium since the menu opened, or the medium was taken out.
        warn(this, QStringLiteral("ファイルが見つかりません"));
        return;
    }
    if (dialogs().openWithDesktop(native(*path))) return;
    dialogs().messageBox(this, QStringLiteral("警告"),
                         QStringLiteral("開けませんでした: ") + native(*path), MsgButtons::Ok,
                         MsgIcon::Warning,
                         QStringLiteral("この種類のファイルを開くアプリケーションが見つからないか、"
                                        "起動できませんでした"));
}

void MainWindow::openItemOnMedium() {
    openOnDesktop(itemOnMedium(dataDir_, openStockName_, *folders_));
}

void MainWindow::openItemFolderOnMedium() {
    bool isFolder = false;
    auto path = itemOnMedium(dataDir_, openStockName_, *folders_, &isFolder);
    if (path && !isFolder) path = path->parent_path();
    openOnDesktop(path);
}

} // namespace zt
