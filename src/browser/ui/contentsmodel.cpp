#include "browser/ui/contentsmodel.h"

#include "browser/ui/iconcache.h"

#include <unordered_map>

namespace zt {

ContentsModel::ContentsModel(const IconCache* icons, QObject* parent)
    : QAbstractListModel(parent), icons_(icons) {}

void ContentsModel::setItems(std::vector<ContentsItem> items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void ContentsModel::clear() {
    if (items_.empty()) return;
    beginResetModel();
    items_.clear();
    items_.shrink_to_fit();
    endResetModel();
}

void ContentsModel::sort(int8_t arrangement) {
    if (items_.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const void*> keys; // the item each persistent index pointed at
    keys.reserve(size_t(before.size()));
    for (const QModelIndex& i : before)
        keys.push_back(i.isValid() ? itemAt(i)->caption.data() : nullptr);

    sortContents(items_, arrangement);

    QModelIndexList after;
    after.reserve(before.size());
    if (!before.isEmpty()) {
        // Captions are views into distinct names, so their addresses tell the items apart.
        std::unordered_map<const void*, int> rowOf;
        rowOf.reserve(items_.size());
        for (size_t r = 0; r < items_.size(); ++r)
            rowOf.emplace(items_[r].caption.data(), int(r));
        for (const void* k : keys) {
            const auto it = k ? rowOf.find(k) : rowOf.end();
            after.push_back(it == rowOf.end() ? QModelIndex() : index(it->second, 0));
        }
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const ContentsItem* ContentsModel::itemAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.column() != 0 || index.row() < 0 ||
        size_t(index.row()) >= items_.size())
        return nullptr;
    return &items_[size_t(index.row())];
}

void ContentsModel::setItemSize(QSize size) {
    if (size == itemSize_) return;
    itemSize_ = size;
    if (!items_.empty())
        emit dataChanged(index(0), index(int(items_.size()) - 1), {Qt::SizeHintRole});
}

int ContentsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(items_.size());
}

QVariant ContentsModel::data(const QModelIndex& index, int role) const {
    const ContentsItem* item = itemAt(index);
    if (!item) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromUtf8(item->caption.data(), qsizetype(item->caption.size()));
    case Qt::DecorationRole:
        return icons_ ? icons_->Image(item->imageIndex) : QVariant();
    case Qt::SizeHintRole:
        return itemSize_.isValid() ? QVariant(itemSize_) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags ContentsModel::flags(const QModelIndex& index) const {
    if (!itemAt(index)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace zt
