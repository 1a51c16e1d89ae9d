// Stock list operations (move, rename, delete) and the file-name export.
#include "browser/ui/tform1.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "catalogue/ui/foldertreemodel.h"
#include "manage/export.h"
#include "library/stocklibrary.h"
#include "manage/ui/namechangedlg.h"
#include "manage/ui/writefilenamedlg.h"
#include "platform/ui/dialogs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalBlocker>

namespace zt {

namespace {

// The selected row of the stock list, or -1 when nothing is selected.
int selectedRow(const QListWidget* list) {
    const int row = list->currentRow();
    return row >= 0 && list->item(row)->isSelected() ? row : -1;
}

// Moves the selected stock one place; the stock stays open and selected.
void moveSelected(TForm1& form, MoveDirection dir) {
    QListWidget* list = form.StockDataList;
    const int row = selectedRow(list);
    const auto target = stockMoveTarget(list->count(), row, dir);
    if (!target) return;
    const StockResult r =
        StockLibrary(form.dataDir()).move({list->item(row)->text().toStdString(), row}, dir);
    if (!r.ok()) {
        warn(&form, QString::fromStdString(r.message));
        return;
    }
    {
        // Selecting the moved item must not open the stock again.
        const QSignalBlocker quiet(list);
        QListWidgetItem* item = list->takeItem(row);
        list->insertItem(*target, item);
        list->setCurrentRow(*target);
    }
    form.RefreshSearchStockList();
}

} // namespace

void TForm1::setupManage() {}

void TForm1::N3Click() {
    moveSelected(*this, MoveDirection::Up);
}

void TForm1::N4Click() {
    moveSelected(*this, MoveDirection::Down);
}

void TForm1::Rename1Click() {
    const int row = selectedRow(StockDataList);
    if (row < 0) return;
    const std::string oldName = StockDataList->item(row)->text().toStdString();

    QPointer<TNameChangeDlg> dlg = new TNameChangeDlg(this, stockNames(), row, dataDir_);
    renameDlg = dlg;
    dlg->Edit1->setText(QString::fromStdString(oldName));
    const bool ok = dlg->exec() == QDialog::Accepted && dlg;
    const std::string newName = dlg ? dlg->newName() : std::string();
    delete dlg;
    renameDlg = nullptr;

    if (ok) {
        const StockResult r = StockLibrary(dataDir_).rename({oldName, row}, newName);
        if (r.ok()) {
            StockDataList->item(row)->setText(QString::fromStdString(newName));
            if (tree.root() && tree.root()->name == oldName) {
                tree.root()->name = newName;
                if (treeModel) treeModel->nodeTextChanged(tree.root());
            }
        } else {
            warn(this, QString::fromStdString(r.message));
        }
    }
    RefreshSearchStockList();
}

void TForm1::Delete1Click() {
    const int row = selectedRow(StockDataList);
    if (row < 0) return;
    const QString name = StockDataList->item(row)->text();
    if (dialogs().messageBox(this, QStringLiteral("確認"),
                             QStringLiteral("ストックデータ： ") + name +
                                 QStringLiteral(" を削除します"),
                             MsgButtons::OkCancel, MsgIcon::None) != MsgResult::Ok)
        return;
    if (const StockResult r = StockLibrary(dataDir_).remove({name.toStdString(), row}); !r.ok()) {
        warn(this, QString::fromStdString(r.message));
        return;
    }
    {
        // No other stock gets selected (and opened) in its place.
        const QSignalBlocker quiet(StockDataList);
        delete StockDataList->takeItem(row);
        StockDataList->setCurrentRow(-1);
        StockDataList->clearSelection();
    }
    ClearTree();
    RefreshSearchStockList();
}

void TForm1::MenuWriteFailNameClick() {
    if (!selectedNode()) return;
    if (!writeFileNameDlg) writeFileNameDlg = new TWriteFileNameDlg(this);
    QPointer<TWriteFileNameDlg> dlg = writeFileNameDlg;
    if (dlg->exec() != QDialog::Accepted || !dlg) return;

    const FolderNode* start = selectedNode();
    if (!start) return;
    const std::filesystem::path out = dlg->outputPath();
    if (const StockResult r = StockLibrary(dataDir_).exportNames(tree, start, dlg->options(), out);
        !r.ok())
        warn(this, QString::fromStdString(r.message));
}

} // namespace zt
