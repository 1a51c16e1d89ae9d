#include "gui/panes/folders/folderbrowserpane.h"

#include "browser/contents.h"
#include "gui/common/dialogservice.h"
#include "gui/common/iconcache.h"
#include "gui/common/keys.h"
#include "gui/common/workrunner.h"
#include "gui/panes/folders/contentsmodel.h"
#include "gui/panes/folders/foldertreemodel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace zt {

namespace {

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

QWidget* captioned(const QString& caption, QWidget* view) {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new QLabel(caption, panel));
    view->setParent(panel);
    layout->addWidget(view, 1);
    panel->setMinimumWidth(50);
    return panel;
}

} // namespace

FolderBrowserPane::FolderBrowserPane(const IconCache* icons, WorkRunner* runner, QWidget* parent)
    : QWidget(parent), icons_(icons), runner_(runner) {
    setObjectName(QStringLiteral("folderBrowserPane"));
    treeModel_ = new FolderTreeModel(&tree_, icons_, this);
    contents_ = new ContentsModel(icons_, this);
    // The contents items point into the tree: they go before it changes.
    connect(treeModel_, &QAbstractItemModel::modelAboutToBeReset, contents_, &ContentsModel::clear);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("folderSplitter"));
    splitter_->addWidget(buildTreePanel());
    splitter_->addWidget(buildContentsPanel());
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setHandleWidth(4);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
}

FolderBrowserPane::~FolderBrowserPane() {
    stopFill(); // the worker reads this pane's tree
}

QWidget* FolderBrowserPane::buildTreePanel() {
    treeView_ = new QTreeView;
    treeView_->setObjectName(QStringLiteral("folderTree"));
    treeView_->setHeaderHidden(true);
    treeView_->setIndentation(19);
    treeView_->setIconSize(QSize(16, 16));
    treeView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeView_->setSelectionMode(QAbstractItemView::SingleSelection);
    treeView_->setContextMenuPolicy(Qt::CustomContextMenu);
    treeView_->setUniformRowHeights(true);
    treeView_->setModel(treeModel_);
    treeView_->setAccessibleName(QStringLiteral("フォルダ"));
    new KeepTreeSelection(treeView_);
    enableContextMenuKeys(treeView_);
    connect(treeView_, &QWidget::customContextMenuRequested, this,
            &FolderBrowserPane::showTreeMenu);
    connect(treeView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        treeModel_->setSelectedNode(const_cast<FolderNode*>(selectedFolder()));
        if (!changingTree_) refillContents();
        emit folderSelected(selectedFolder());
    });
    return captioned(QStringLiteral("　フォルダ"), treeView_);
}

QWidget* FolderBrowserPane::buildContentsPanel() {
    contentsView_ = new QListView;
    contentsView_->setObjectName(QStringLiteral("contentsView"));
    // Small icons flowing down and then across, like a small-icon list view.
    contentsView_->setViewMode(QListView::ListMode);
    contentsView_->setFlow(QListView::TopToBottom);
    contentsView_->setWrapping(true);
    contentsView_->setResizeMode(QListView::Adjust);
    contentsView_->setMovement(QListView::Static);
    // Every item has the size of the widest one, so laying out and scrolling a
    // folder of 100,000 files never measures them one by one.
    contentsView_->setUniformItemSizes(true);
    contentsView_->setLayoutMode(QListView::Batched);
    contentsView_->setBatchSize(5000);
    contentsView_->setIconSize(QSize(16, 16));
    contentsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    contentsView_->setSelectionMode(QAbstractItemView::SingleSelection);
    contentsView_->setContextMenuPolicy(Qt::CustomContextMenu);
    contentsView_->setModel(contents_);
    contentsView_->setAccessibleName(QStringLiteral("フォルダの中身"));
    contentsView_->installEventFilter(this);
    enableContextMenuKeys(contentsView_);
    connect(contentsView_, &QWidget::customContextMenuRequested, this,
            &FolderBrowserPane::showContentsMenu);
    connect(contentsView_, &QListView::doubleClicked, this, &FolderBrowserPane::openContentsItem);
    return captioned(QStringLiteral("　　フォルダの中身"), contentsView_);
}

void FolderBrowserPane::beginTreeChange() {
    stopFill();
    emit treeAboutToChange();
    changingTree_ = true;
    pendingItem_ = nullptr;
    treeModel_->beginTreeReset();
    sizes_.reset();
    treeModel_->setSizes(nullptr);
    contents_->setSizes(nullptr, 0);
}

void FolderBrowserPane::endTreeChange() {
    treeModel_->endTreeReset();
    changingTree_ = false;
    emit treeChanged();
}

void FolderBrowserPane::setTree(FolderTree tree) {
    beginTreeChange();
    tree_ = std::move(tree);
    endTreeChange();
}

void FolderBrowserPane::clear() {
    beginTreeChange();
    tree_.clear();
    endTreeChange();
    contents_->clear();
}

void FolderBrowserPane::renameRoot(const std::string& name) {
    if (!tree_.root()) return;
    tree_.root()->name = name;
    treeModel_->nodeTextChanged(tree_.root());
}

const FolderNode* FolderBrowserPane::selectedFolder() const {
    const QModelIndexList selected = treeView_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : FolderTreeModel::nodeOf(selected.first());
}

void FolderBrowserPane::selectFolder(const FolderNode* node, bool expand) {
    QItemSelectionModel* sel = treeView_->selectionModel();
    if (!node) {
        sel->clearSelection();
        sel->clearCurrentIndex();
        return;
    }
    const QModelIndex index = treeModel_->indexOf(node);
    sel->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (expand) treeView_->expand(index);
    treeView_->scrollTo(index);
}

void FolderBrowserPane::selectPath(const std::vector<std::string>& folders) {
    const FolderNode* node = tree_.root();
    if (!node) return;
    for (const std::string& name : folders) {
        const auto next = std::find_if(node->children.begin(), node->children.end(),
                                       [&](const FolderNode* c) { return c->name == name; });
        if (next == node->children.end()) break;
        node = *next;
    }
    selectFolder(node, true);
}

void FolderBrowserPane::goUp() {
    const FolderNode* node = selectedFolder();
    if (node && node->parent) selectFolder(node->parent, true);
}

void FolderBrowserPane::selectItem(const FolderNode* folder, const FileRecord* file) {
    if (!folder) return;
    const FolderNode* holder = file ? folder : folder->parent;
    if (!holder) {
        selectFolder(folder, false);
        return;
    }
    pendingItem_ = file ? static_cast<const void*>(file) : static_cast<const void*>(folder);
    if (selectedFolder() != holder)
        selectFolder(holder, false); // refills, then selects the item
    else if (!filling_)
        selectPendingItem();
}

void FolderBrowserPane::selectPendingItem() {
    const void* wanted = pendingItem_;
    pendingItem_ = nullptr;
    if (!wanted) return;
    const auto& items = contents_->items();
    for (size_t i = 0; i < items.size(); ++i) {
        const void* its = items[i].file ? static_cast<const void*>(items[i].file)
                                        : static_cast<const void*>(items[i].folder);
        if (its != wanted) continue;
        const QModelIndex index = contents_->index(int(i));
        contentsView_->selectionModel()->setCurrentIndex(index,
                                                         QItemSelectionModel::ClearAndSelect);
        contentsView_->scrollTo(index);
        return;
    }
}

const ContentsItem* FolderBrowserPane::selectedContentsItem() const {
    const QModelIndex current = contentsView_->currentIndex();
    if (!contentsView_->selectionModel()->isSelected(current)) return nullptr;
    return contents_->itemAt(current);
}

std::shared_ptr<const FolderSizes> FolderBrowserPane::sizes() {
    if (!sizes_ && tree_.root()) adoptSizes(std::make_shared<const FolderSizes>(tree_));
    return sizes_;
}

void FolderBrowserPane::adoptSizes(std::shared_ptr<const FolderSizes> sizes) {
    sizes_ = std::move(sizes);
    if (!showSizes_) return;
    treeModel_->setSizes(sizes_.get());
    const FolderNode* node = selectedFolder();
    contents_->setSizes(sizes_.get(), node && sizes_ ? sizes_->bytesOf(*node) : 0);
    showItems({}, true);
}

void FolderBrowserPane::setShowSizes(bool show) {
    if (show == showSizes_) return;
    showSizes_ = show;
    if (show) (void)sizes();
    treeModel_->setSizes(show ? sizes_.get() : nullptr);
    treeView_->setHeaderHidden(!show);
    if (show) treeView_->resizeColumnToContents(0);
    const FolderNode* node = selectedFolder();
    contents_->setSizes(show ? sizes_.get() : nullptr, node && sizes_ ? sizes_->bytesOf(*node) : 0);
    showItems({}, true);
}

void FolderBrowserPane::openContentsItem() {
    const ContentsItem* item = contents_->itemAt(contentsView_->currentIndex());
    const bool selected =
        contentsView_->selectionModel()->isSelected(contentsView_->currentIndex());
    if (item && selected && item->folder) selectFolder(item->folder, true);
}

void FolderBrowserPane::setArrangement(Arrangement arrangement) {
    arrangement_ = arrangement;
    contents_->sort(arrangement);
}

void FolderBrowserPane::stopFill() {
    if (filling_ && runner_) runner_->abandon();
    filling_ = false;
}

void FolderBrowserPane::refillContents() {
    stopFill();
    contents_->clear();
    const FolderNode* node = selectedFolder();
    if (!node) return; // nothing selected (the tree was emptied): an empty list
    if (showSizes_ && sizes_) contents_->setSizes(sizes_.get(), sizes_->bytesOf(*node));

    const IconCache* icons = iconsByType_ ? icons_ : nullptr;
    const auto imageOf = [icons](std::string_view name) {
        return icons ? icons->imageIndexOf(name) : int(IconCache::GenericFile);
    };
    if (node->fileCount <= kProgressThreshold || !runner_ || runner_->busy()) {
        showItems(listContents(*node, imageOf), false);
        selectPendingItem();
        return;
    }
    struct Fill {
        std::vector<ContentsItem> items;
        ContentsKeys keys;
        bool stopped = false;
    };
    auto fill = std::make_shared<Fill>();
    WorkLook look;
    look.maximum = node->fileCount;
    look.cancel = false;
    const Arrangement arrangement = arrangement_;
    filling_ = true;
    runner_->start(
        look,
        [node, imageOf, fill, arrangement](WorkControl& work) {
            const auto cancelled = [&work](int listed) {
                work.setProgress(listed);
                return work.cancelled();
            };
            fill->items = listContents(*node, imageOf, cancelled, &fill->stopped);
            if (fill->stopped) return;
            fill->keys = ContentsKeys(fill->items);
            fill->keys.sort(fill->items, arrangement);
        },
        [this, fill](const JobEnd& end) {
            filling_ = false;
            if (end.threw()) warn(this, end.failure); // the list stays empty
            if (fill->stopped || end.threw()) return;
            contents_->setItems(std::move(fill->items), std::move(fill->keys));
            showItems({}, true);
            selectPendingItem();
        });
}

// Puts items in the list (sorted here unless sorted says they are in the
// list already) and sizes every item as the widest one.
void FolderBrowserPane::showItems(std::vector<ContentsItem> items, bool sorted) {
    if (!sorted) {
        ContentsKeys keys(items);
        keys.sort(items, arrangement_);
        contents_->setItems(std::move(items), std::move(keys));
    }
    const int widestRow = widestCaption(contents_->items(), contentsView_->font());
    contents_->setItemSize(QSize());
    if (widestRow >= 0) {
        QSize hint = contentsView_->sizeHintForIndex(contents_->index(widestRow));
        // The widest size text any item can have, so no row measures its own.
        if (contents_->showsSizes())
            hint.rwidth() += contentsView_->fontMetrics().horizontalAdvance(
                ContentsModel::sizeSuffix(999'999'999, 1000));
        contents_->setItemSize(QSize(std::min(hint.width(), 0xFFFF), hint.height()));
    }
}

void FolderBrowserPane::showContentsMenu(const QPoint& pos) {
    if (!contentsView_->selectionModel()->hasSelection() || !contentsMenu_) return;
    contentsMenu_->popup(contentsView_->viewport()->mapToGlobal(pos));
}

void FolderBrowserPane::showTreeMenu(const QPoint& pos) {
    if (const FolderNode* under = FolderTreeModel::nodeOf(treeView_->indexAt(pos));
        under && under != selectedFolder())
        selectFolder(under, false);
    if (!selectedFolder() || !treeMenu_) return;
    treeMenu_->popup(treeView_->viewport()->mapToGlobal(pos));
}

std::optional<PropertyRecord> FolderBrowserPane::selectedItemProperties() const {
    const QModelIndex current = contentsView_->currentIndex();
    const ContentsItem* item = contents_->itemAt(current);
    const FolderNode* node = selectedFolder();
    if (!item || !node || !contentsView_->selectionModel()->isSelected(current))
        return std::nullopt;
    return propertiesOfItem(*node, item->caption);
}

std::optional<FolderBrowserPane::ItemPath> FolderBrowserPane::selectedItemPath() const {
    const QModelIndex current = contentsView_->currentIndex();
    const ContentsItem* item = contents_->itemAt(current);
    const FolderNode* node = selectedFolder();
    if (!item || !node || !contentsView_->selectionModel()->isSelected(current))
        return std::nullopt;
    ItemPath out;
    for (; node && node->parent; node = node->parent)
        out.parts.push_back(node->name);
    std::reverse(out.parts.begin(), out.parts.end());
    out.parts.emplace_back(item->caption);
    out.isFolder = item->isFolder();
    return out;
}

std::optional<PropertyRecord> FolderBrowserPane::selectedFolderProperties() const {
    const FolderNode* node = selectedFolder();
    if (!node) return std::nullopt;
    return propertiesOfFolder(*node);
}

bool FolderBrowserPane::eventFilter(QObject* watched, QEvent* e) {
    // Enter opens the selected folder, as a double click does.
    if (watched == contentsView_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openContentsItem();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

QList<QWidget*> FolderBrowserPane::focusOrder() const {
    return {treeView_, contentsView_};
}

int FolderBrowserPane::folderTreeWidth() const {
    return splitter_->sizes().value(0);
}

void FolderBrowserPane::setFolderTreeWidth(int width) {
    splitter_->setSizes({std::max(50, width), std::max(width, 1000) + 1000});
}

} // namespace zt
