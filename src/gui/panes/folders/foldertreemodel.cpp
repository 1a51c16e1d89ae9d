#include "gui/panes/folders/foldertreemodel.h"

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
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        if (row != 0 || !tree_->root()) return {};
        return createIndex(0, 0, tree_->root());
    }
    if (parent.column() != 0) return {};
    const FolderNode* p = nodeOf(parent);
    if (size_t(row) >= p->children.size()) return {};
    return createIndex(row, 0, p->children[size_t(row)]);
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
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return tree_->root() != nullptr;
    if (parent.column() != 0) return false;
    return nodeOf(parent)->hasChildren();
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const FolderNode* n = nodeOf(index);
    if (!n) return {};
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
