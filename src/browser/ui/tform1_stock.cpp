// The stock list of the main window and opening a stock.
#include "browser/ui/tform1.h"
#include "catalogue/stocklist.h"
#include "platform/ui/dialogs.h"

#include <QListWidget>
#include <QTreeView>

namespace zt {

void TForm1::setupStockViews()
{
    connect(StockDataList, &QListWidget::itemClicked, this, &TForm1::StockDataListClick);
}

std::vector<std::string> TForm1::stockNames() const
{
    std::vector<std::string> names;
    names.reserve(size_t(StockDataList->count()));
    for (int i = 0; i < StockDataList->count(); ++i)
        names.push_back(StockDataList->item(i)->text().toStdString());
    return names;
}

std::string TForm1::selectedStockName() const
{
    const int row = StockDataList->currentRow();
    if (row < 0 || !StockDataList->item(row)->isSelected()) return {};
    return StockDataList->item(row)->text().toStdString();
}

void TForm1::LoadStockList()
{
    StockDataList->clear();
    const auto names = zt::LoadStockList(dataDir_);
    if (!names) {
        warn(this, QString::fromStdString(MessageCannotOpen(StockListPath(dataDir_))));
        return;
    }
    for (const auto& n : *names) StockDataList->addItem(QString::fromStdString(n));
}

void TForm1::SaveStockList()
{
    if (!zt::SaveStockList(dataDir_, stockNames()))
        warn(this, QString::fromStdString(MessageCannotCreate(StockListPath(dataDir_))));
}

void TForm1::ClearTree()
{
    clearingTree = true;
    tree.Clear();
    chain.Release();
    clearingTree = false;
}

FolderNode* TForm1::selectedNode() const { return nullptr; }

void TForm1::selectNode(FolderNode*, bool) {}

void TForm1::beginTreeChange() {}

void TForm1::endTreeChange() {}

void TForm1::StockDataListClick() { OpenSelectedStock(); }

void TForm1::OpenSelectedStock() {}

} // namespace zt
