#include "gui/panes/folders/foldertreemodel.h"

#include "browser/foldersizes.h"
#include "catalogue/foldertree.h"
#include "gui/common/iconcache.h"

namespace zt {

FolderTreeModel::FolderTreeModel(const FolderTree* tree, const IconCache* icons, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), icons_(icons) {}

void FolderTreeModel::beginTreeReset() {
    beginResetModel();
    selected_ = nullptr;
}

FolderNode* FolderTreeModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<FolderNode*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const FolderNode* node) const {
    if (!node) return {};
    return createIndex(node->row, 0, const_cast<FolderNode*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column < 0 || column >= columnCount() || row < 0) return {};
    if (!parent.isValid()) {
        if (row != 0 || !tree_->root()) return {};
        return createIndex(0, column, tree_->root());
    }
    if (parent.column() != 0) return {};
    const FolderNode* p = nodeOf(parent);
    if (size_t(row) >= p->children.size()) return {};
    return createIndex(row, column, p->children[size_t(row)]);
}

void FolderTreeModel::setSizes(const FolderSizes* sizes) {
    if (sizes == sizes_) return;
    if (!sizes_ && sizes) {
        beginInsertColumns({}, 1, 2);
        sizes_ = sizes;
        endInsertColumns();
    } else if (sizes_ && !sizes) {
        beginRemoveColumns({}, 1, 2);
        sizes_ = nullptr;
        endRemoveColumns();
    } else {
        sizes_ = sizes;
        if (tree_->root()) emit dataChanged(index(0, 1), index(0, 2));
        emit layoutChanged(); // every row's numbers, without losing what is open
    }
}

QVariant FolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case 0:
        return QStringLiteral("フォルダ");
    case 1:
        return QStringLiteral("大きさ");
    case 2:
        return QStringLiteral("割合");
    default:
        return {};
    }
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const FolderNode* n = nodeOf(child);
    if (!n || !n->parent) return {};
    return indexOf(n->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return tree_->root() ? 1 : 0;
    if (parent.column() != 0) return 0;
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return sizes_ ? 3 : 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return tree_->root() != nullptr;
    if (parent.column() != 0) return false;
    return nodeOf(parent)->hasChildren();
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const FolderNode* n = nodeOf(index);
    if (!n) return {};
    if (index.column() > 0) {
        if (!sizes_) return {};
        if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const uint64_t bytes = sizes_->bytesOf(*n);
        if (index.column() == 1) return QString::fromStdString(shortSizeText(bytes));
        const uint64_t whole = n->parent ? sizes_->bytesOf(*n->parent) : bytes;
        return QString::fromStdString(shareText(shareThousandths(bytes, whole)));
    }
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(n->name);
    case Qt::DecorationRole:
        if (!icons_) return {};
        return icons_->image(n == selected_ ? IconCache::OpenFolder : IconCache::ClosedFolder);
    default:
        return {};
    }
}

void FolderTreeModel::nodeTextChanged(FolderNode* node) {
    const QModelIndex i = indexOf(node);
    if (i.isValid()) emit dataChanged(i, i, {Qt::DisplayRole});
}

void FolderTreeModel::setSelectedNode(FolderNode* node) {
    if (node == selected_) return;
    const FolderNode* old = selected_;
    selected_ = node;
    for (const FolderNode* n : {old, static_cast<const FolderNode*>(node)}) {
        const QModelIndex i = indexOf(n);
        if (i.isValid()) emit dataChanged(i, i, {Qt::DecorationRole});
    }
}

void FolderTreeModel::setIcons(const IconCache* icons) {
    if (icons == icons_) return;
    icons_ = icons;
    // Only the images change; every index stays valid, so views just redraw.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

} // namespace zt
