#include "gui/panes/folders/contentsmodel.h"

#include "gui/common/iconcache.h"
#include "platform/utf8.h"

#include <QFontMetrics>
#include <algorithm>
#include <unordered_map>

namespace zt {

ContentsModel::ContentsModel(const IconCache* icons, QObject* parent)
    : QAbstractListModel(parent), icons_(icons) {}

void ContentsModel::setItems(std::vector<ContentsItem> items, ContentsKeys keys) {
    beginResetModel();
    items_ = std::move(items);
    keys_ = keys.size() == items_.size() ? std::move(keys) : ContentsKeys();
    endResetModel();
}

void ContentsModel::clear() {
    if (items_.empty()) return;
    beginResetModel();
    items_.clear();
    items_.shrink_to_fit();
    keys_ = ContentsKeys();
    endResetModel();
}

void ContentsModel::sort(Arrangement arrangement) {
    if (items_.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const void*> keys; // the item each persistent index pointed at
    keys.reserve(size_t(before.size()));
    for (const QModelIndex& i : before)
        keys.push_back(i.isValid() ? itemAt(i)->caption.data() : nullptr);

    if (keys_.size() != items_.size()) keys_ = ContentsKeys(items_);
    keys_.sort(items_, arrangement);

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
    case Qt::ToolTipRole: {
        QString text = QString::fromUtf8(item->caption.data(), qsizetype(item->caption.size()));
        if (sizes_) {
            const uint64_t bytes = item->file ? item->file->size : sizes_->bytesOf(*item->folder);
            text += sizeSuffix(bytes, shareThousandths(bytes, folderBytes_));
        }
        return text;
    }
    case Qt::DecorationRole:
        return icons_ ? icons_->image(item->imageIndex) : QVariant();
    case Qt::SizeHintRole:
        return itemSize_.isValid() ? QVariant(itemSize_) : QVariant();
    default:
        return {};
    }
}

void ContentsModel::setSizes(const FolderSizes* sizes, uint64_t folderBytes) {
    if (sizes == sizes_ && folderBytes == folderBytes_) return;
    sizes_ = sizes;
    folderBytes_ = folderBytes;
    if (!items_.empty())
        emit dataChanged(index(0), index(int(items_.size()) - 1), {Qt::DisplayRole});
}

QString ContentsModel::sizeSuffix(uint64_t bytes, int thousandths) {
    return QStringLiteral("  (%1, %2)")
        .arg(QString::fromStdString(shortSizeText(bytes)),
             QString::fromStdString(shareText(thousandths)));
}

Qt::ItemFlags ContentsModel::flags(const QModelIndex& index) const {
    if (!itemAt(index)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int widestCaption(const std::vector<ContentsItem>& items, const QFont& font) {
    // Shaping 100,000 names one by one takes most of a second, so every name is
    // first measured as the sum of its characters' advances (cached per
    // character), and only the names close to the widest of those sums are
    // measured properly.
    if (items.empty()) return -1;
    const QFontMetrics fm(font);
    std::vector<int16_t> advance(0x10000, -1);
    std::vector<int> rough(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string_view c = items[i].caption;
        int sum = 0;
        for (size_t p = 0; p < c.size();) {
            const char32_t cp = decodeUtf8(c, p);
            if (cp < 0x10000) {
                int16_t& a = advance[cp];
                if (a < 0)
                    a = int16_t(std::clamp(fm.horizontalAdvance(QChar(char16_t(cp))), 0, 0x7FFF));
                sum += a;
            } else {
                sum += fm.horizontalAdvance(QString::fromUcs4(&cp, 1));
            }
        }
        rough[i] = sum;
    }
    const int roughMax = *std::max_element(rough.begin(), rough.end());
    std::vector<int> candidates;
    for (size_t i = 0; i < rough.size(); ++i)
        if (rough[i] * 10 >= roughMax * 8) candidates.push_back(int(i));
    constexpr size_t kMaxExact = 2000;
    if (candidates.size() > kMaxExact) {
        std::nth_element(candidates.begin(), candidates.begin() + kMaxExact, candidates.end(),
                         [&](int a, int b) { return rough[size_t(a)] > rough[size_t(b)]; });
        candidates.resize(kMaxExact);
    }
    int widestRow = candidates.front(), widest = -1;
    for (int row : candidates) {
        const std::string_view c = items[size_t(row)].caption;
        const int w = fm.horizontalAdvance(QString::fromUtf8(c.data(), qsizetype(c.size())));
        if (w > widest) {
            widest = w;
            widestRow = row;
        }
    }
    return widestRow;
}

} // namespace zt
