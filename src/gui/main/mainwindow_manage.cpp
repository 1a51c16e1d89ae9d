// Stock list operations (move, rename, delete, adopt), the file-name export
// and the options dialog. Every change goes through the stock library.
#include "gui/common/colourscheme.h"
#include "gui/common/dialogservice.h"
#include "gui/common/text.h"
#include "gui/dialogs/adoptstocksdialog.h"
#include "gui/dialogs/exportnamesdialog.h"
#include "gui/dialogs/optionsdialog.h"
#include "gui/dialogs/renamestockdialog.h"
#include "gui/dialogs/stockpropertiesdialog.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"
#include "library/stocklibrary.h"

#include <algorithm>

namespace zt {

namespace {

// Moves the selected stock one place; the stock stays open and selected.
void moveSelected(MainWindow& window, StockListPane& list, MoveDirection dir) {
    const int row = list.selectedRow();
    const auto target = stockMoveTarget(list.count(), row, dir);
    if (!target) return;
    const auto r = StockLibrary(window.dataDir()).move({list.selectedName(), row}, dir);
    if (!r.ok()) {
        warn(&window, r);
        return;
    }
    // Where the list on disk put it (another process may have changed it;
    // the watch on the list then shows the rest).
    if (r.value >= 0 && r.value < list.count()) list.moveRow(row, r.value);
    if (SearchWindow* search = window.searchWindow()) search->selectStock(r.value);
}

} // namespace

void MainWindow::moveStockUp() {
    moveSelected(*this, *stockList_, MoveDirection::Up);
}

void MainWindow::moveStockDown() {
    moveSelected(*this, *stockList_, MoveDirection::Down);
}

void MainWindow::renameSelectedStock() {
    const int row = stockList_->selectedRow();
    if (row < 0 || busy()) return;
    const std::string oldName = stockList_->selectedName();
    std::string newName;
    {
        // On the stack: the dialog lives exactly as long as this call.
        RenameStockDialog dialog(this,
                                 [this, stock = StockRef{oldName, row}](const std::string& n) {
                                     return StockLibrary(dataDir_).checkRename(stock, n);
                                 });
        dialog.setNewName(oldName);
        if (dialog.exec() != QDialog::Accepted) return;
        newName = dialog.newName();
    }
    if (const StockResult r = StockLibrary(dataDir_).rename({oldName, row}, newName); !r.ok()) {
        warn(this, r);
        return;
    }
    stockList_->renameRow(row, newName);
    say(QStringLiteral("名前を変更しました: %1 → %2").arg(toQString(oldName), toQString(newName)));
    scheduleIndexes();
    if (openStockName_ == oldName) {
        openStockName_ = newName;
        // A copy where the file system has no second names is a new file.
        openStockIdentity_ = StockLibrary(dataDir_).stockIdentity(newName);
        folders_->renameRoot(newName);
    }
    selectStock(row);
}

void MainWindow::deleteSelectedStock() {
    const int row = stockList_->selectedRow();
    if (row < 0 || busy()) return;
    const std::string name = stockList_->selectedName();
    if (dialogs().messageBox(this, QStringLiteral("確認"),
                             QStringLiteral("ストックデータ： ") + toQString(name) +
                                 QStringLiteral(" を削除します"),
                             MsgButtons::OkCancel, MsgIcon::None) != MsgResult::Ok)
        return;
    if (const StockResult r = StockLibrary(dataDir_).remove({name, row}); !r.ok()) {
        warn(this, r);
        return;
    }
    // No other stock gets selected (and opened) in its place; the views are
    // emptied only when they showed the stock that is gone.
    stockList_->removeRow(row);
    say(QStringLiteral("削除しました: ") + toQString(name));
    if (name == openStockName_) {
        folders_->clear();
        openStockName_.clear();
        openStockIdentity_.reset();
        selectStock(-1);
        return;
    }
    // The stock still shown stays the selected one.
    const auto names = stockList_->names();
    const auto open = std::find(names.begin(), names.end(), openStockName_);
    selectStock(openStockName_.empty() || open == names.end() ? -1 : int(open - names.begin()));
}

void MainWindow::showStockProperties() {
    const std::string name = stockList_->selectedName();
    if (name.empty()) return;
    const auto facts = StockLibrary(dataDir_).info(name);
    if (!facts.ok()) {
        warn(this, facts);
        return;
    }
    StockPropertiesDialog dialog(
        this, toQString(name), facts.value, [this, name](const std::string& note) {
            const StockResult r = StockLibrary(dataDir_).setNote(name, note);
            if (!r.ok()) warn(this, r);
            return r.ok();
        });
    dialog.exec();
}

void MainWindow::adoptUnlistedStocks() {
    if (busy()) return;
    const auto unlisted = StockLibrary(dataDir_).unlisted();
    if (!unlisted.ok()) {
        warn(this, unlisted);
        return;
    }
    std::vector<std::string> chosen;
    {
        AdoptStocksDialog dialog(this, unlisted.value);
        if (dialog.exec() != QDialog::Accepted) return;
        chosen = dialog.checkedNames();
    }
    for (const std::string& name : chosen)
        if (const StockResult r = StockLibrary(dataDir_).adopt(name); !r.ok()) warn(this, r);
    reloadStockList();
}

void MainWindow::exportNames() {
    if (!folders_->selectedFolder() || busy()) return;
    // Kept for the run, so every choice carries over to the next export.
    if (!exportDialog_) exportDialog_ = new ExportNamesDialog(this);
    if (exportDialog_->exec() != QDialog::Accepted) return;
    const FolderNode* start = folders_->selectedFolder();
    if (!start || busy()) return;
    // On the worker: the file may be slow to take the bytes (a pipe, a
    // network folder). The tree stays as it is while the window is disabled.
    auto result = std::make_shared<StockResult>();
    runner_->start(
        savingLook(),
        [result, dataDir = dataDir_, tree = &folders_->tree(), start,
         options = exportDialog_->options(), out = exportDialog_->outputPath()](WorkControl&) {
            *result = StockLibrary(dataDir).exportNames(*tree, start, options, out);
        },
        [this, result, out = exportDialog_->outputPath()](const JobEnd& end) {
            end.into(*result);
            if (!result->ok())
                warn(this, *result);
            else {
                // Only a folder that took the file is where the next save starts.
                rememberSavedFile(QString::fromStdString(out.string()));
                say(QStringLiteral("書き出しました: ") + QString::fromStdString(out.string()));
            }
        });
}

void MainWindow::showOptions() {
    OptionsDialog dialog(this);
    dialog.setFrom(settings_);
    const ColourScheme scheme = loadColourScheme(dataDir_);
    dialog.setColourScheme(scheme);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.copyTo(settings_);
    // Only a change applies: OK alone keeps this run's --dark or ZUTOMELARK_DARK.
    if (dialog.colourScheme() != scheme) {
        ColourSchemes::instance().apply(dialog.colourScheme());
        if (!saveColourScheme(dataDir_, dialog.colourScheme()))
            warn(this, toQString(messageCannotCreate(dataDir_ / "Options" / "options.txt")));
    }
    sources_->fillDrives(settings_.cdDrives, settings_.hardDisks, settings_.removableDisks);
    folders_->setIconsByFileType(settings_.iconsByFileType);
}

} // namespace zt
