// The stock list of the main window and opening a stock.
#include "browser/ui/tform1.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/stockfile.h"
#include "library/stocklibrary.h"
#include "catalogue/ui/foldertreemodel.h"
#include "platform/textfile.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/pump.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTreeView>

namespace zt {

namespace {

// Tells a row change made with the keyboard (which opens the stock, as a click
// does) from one made by the program (loading, moving or renaming stocks).
class StockKeyWatcher : public QObject {
  public:
    explicit StockKeyWatcher(QListWidget* list) : QObject(list) { list->installEventFilter(this); }
    // True only while the list handles a key press.
    [[nodiscard]] bool takeKeyChange() {
        const bool was = inKey_;
        inKey_ = false;
        return was;
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        // The flag is set just before the list handles a key press; any later
        // event to the list ends it.
        inKey_ = e->type() == QEvent::KeyPress;
        return false;
    }

  private:
    bool inKey_ = false;
};

// A press on the empty part of the folder tree keeps the selected folder, as a
// tree control does; without this the view drops the selection and the
// contents list goes blank.
class KeepTreeSelection : public QObject {
  public:
    explicit KeepTreeSelection(QTreeView* view) : QObject(view), view_(view) {
        view->viewport()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
            return false;
        const auto* me = static_cast<QMouseEvent*>(e);
        return !view_->indexAt(me->position().toPoint()).isValid();
    }

  private:
    QTreeView* view_; // not owned: the view is this filter's parent
};

} // namespace

void TForm1::setupStockViews() {
    // The icon list may be made after this; the model is given it as soon as
    // the tree is first filled (see beginTreeChange).
    treeModel = new FolderTreeModel(&tree, iconCache, this);
    TreeView1->setModel(treeModel);
    TreeView1->setUniformRowHeights(true);
    new KeepTreeSelection(TreeView1);
    connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        treeModel->setSelectedNode(selectedNode());
        if (!clearingTree) TreeView1Change();
    });

    connect(StockDataList, &QListWidget::itemClicked, this, &TForm1::StockDataListClick);
    auto* keys = new StockKeyWatcher(StockDataList);
    connect(StockDataList, &QListWidget::currentRowChanged, this, [this, keys](int row) {
        if (keys->takeKeyChange() && row >= 0) StockDataListClick();
    });
}

std::vector<std::string> TForm1::stockNames() const {
    std::vector<std::string> names;
    names.reserve(size_t(StockDataList->count()));
    for (int i = 0; i < StockDataList->count(); ++i)
        names.push_back(StockDataList->item(i)->text().toStdString());
    return names;
}

std::string TForm1::selectedStockName() const {
    const int row = StockDataList->currentRow();
    if (row < 0 || !StockDataList->item(row)->isSelected()) return {};
    return StockDataList->item(row)->text().toStdString();
}

void TForm1::loadStockList() {
    StockDataList->clear();
    const auto names = StockLibrary(dataDir_).names(false);
    if (!names.ok()) {
        warn(this, QString::fromStdString(names.message));
        return;
    }
    for (const auto& n : names.value)
        StockDataList->addItem(QString::fromStdString(n));
}

void TForm1::saveStockList() {
    // Every change to the list was written under the Data folder's lock when
    // it was made; nothing of this window's is left to save.
}

void TForm1::ClearTree() {
    clearingTree = true;
    beginTreeChange();
    tree.clear();
    endTreeChange();
    clearingTree = false;
    // No folder is selected now, so this empties the contents list.
    RefillContents();
}

FolderNode* TForm1::selectedNode() const {
    if (!TreeView1 || !TreeView1->selectionModel()) return nullptr;
    const QModelIndexList selected = TreeView1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : FolderTreeModel::nodeOf(selected.first());
}

void TForm1::selectNode(FolderNode* node, bool expand) {
    QItemSelectionModel* sel = TreeView1->selectionModel();
    if (!node) {
        sel->clearSelection();
        sel->clearCurrentIndex();
        return;
    }
    const QModelIndex index = treeModel->indexOf(node);
    sel->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (expand) TreeView1->expand(index);
    TreeView1->scrollTo(index);
}

void TForm1::beginTreeChange() {
    if (!treeModel) return;
    if (!treeModel->icons()) treeModel->setIcons(iconCache);
    treeModel->beginTreeReset();
}

void TForm1::endTreeChange() {
    if (treeModel) treeModel->endTreeReset();
}

void TForm1::StockDataListClick() {
    OpenSelectedStock();
}

void TForm1::OpenSelectedStock() {
    if (progressDlg) return; // a load is already running
    const std::string name = selectedStockName();
    if (name.empty()) return;

    ClearTree();

    TreeView1->setUpdatesEnabled(false);
    beginTreeChange();
    const auto onHeader = [this](int folderCount) {
        progressDlg = new TProgressDialog(this);
        connect(progressDlg, &TProgressDialog::cancelRequested, this, &TForm1::CancelNotification);
        progressDlg->ProgressBar1->setMaximum(std::max(0, folderCount));
        setEnabled(false);
        progressDlg->setEnabled(true); // a window of its own: it stays usable
        progressDlg->show();
        cancelFlag = false;
        LetPendingMessagesRunNow(); // draw the dialog before the work starts
    };
    const auto onFolder = [this] {
        progressDlg->StepIt();
        LetPendingMessagesRun();
        return !cancelFlag;
    };
    auto opened = StockLibrary(dataDir_).open(name, {onHeader, onFolder});
    stockFileVersion = opened.value.formatMark;
    tree = std::move(opened.value.tree);
    endTreeChange();
    TreeView1->setUpdatesEnabled(true);

    // The dialog goes before the root is selected: showing a large folder's
    // contents may need a progress dialog of its own.
    setEnabled(true);
    if (progressDlg) {
        progressDlg->hide();
        delete progressDlg;
        progressDlg = nullptr;
    }

    if (!opened.ok() && opened.failure != StockFailure::Cancelled) {
        // Deleted or damaged meanwhile, or a name that may not name a file.
        warn(this, QString::fromStdString(opened.message));
        StockDataList->setCurrentRow(-1);
        StockDataList->clearSelection();
    } else if (cancelFlag || opened.failure == StockFailure::Cancelled) {
        ClearTree();
        StockDataList->setCurrentRow(-1);
        StockDataList->clearSelection();
    } else if (tree.root()) {
        selectNode(tree.root(), false);
    }
    if (searchDlg) RefreshSearchStockList();
}

} // namespace zt
