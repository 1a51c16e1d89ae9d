#include "gui/search/resultsmodel.h"

#include "gui/common/iconcache.h"
#include "platform/collate.h"

#include <algorithm>
#include <unordered_map>

namespace zt {

namespace {

int sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

template <class T> int compareValues(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

const std::string& nameKey(const ResultRow& r) {
    if (!r.hasNameKey) {
        r.nameKey = localeSortKey(r.cells.name);
        r.hasNameKey = true;
    }
    return r.nameKey;
}

// Longer paths are compared when sorting rather than keep keys of their
// length (a deep stock's would take its depth squared).
constexpr size_t kPathKeyBytes = 512;

// The path's sort key, or null when the path is too long to keep one.
const std::string* pathKey(const ResultRow& r) {
    if (!r.hasPathKey) {
        const std::string path = r.hit.path();
        if (path.size() <= kPathKeyBytes) r.pathKey = localeSortKey(path);
        r.hasPathKey = true;
    }
    return r.pathKey.empty() ? nullptr : &r.pathKey;
}

// compareLocale of two rows' paths. Below the folder both share a link for,
// the paths are the same text up to a separator, and a collation of two
// texts that agree up to a separator is decided by what follows it; only
// what follows is made and compared.
int comparePaths(const SearchHit& a, const SearchHit& b) {
    if (a.stock != b.stock) return sign(compareLocale(a.path(), b.path()));
    const FolderChain shared = FolderChain::common(a.parent, b.parent);
    const auto below = [&shared](const SearchHit& h) {
        std::string rest;
        FolderChain f = h.parent;
        std::vector<std::string> names;
        for (; f.depth() > shared.depth(); f = f.parent())
            names.push_back(f.name());
        for (auto n = names.rbegin(); n != names.rend(); ++n)
            rest.append(1, '\\').append(*n);
        return rest.append(1, '\\').append(h.name);
    };
    return sign(compareLocale(below(a), below(b)));
}

// Files with a size first (larger first), then empty files, then folders.
int sizeClass(const SearchHit& d) {
    return d.isFolder ? 2 : (d.size == 0 ? 1 : 0);
}

// Files with a time first (earlier first), then files without, then folders.
int modifiedClass(const SearchHit& d) {
    return d.isFolder ? 2 : (d.modified.isZero() ? 1 : 0);
}

} // namespace

int compareResultRows(const ResultRow& a, const ResultRow& b, ResultSortKey key) {
    const SearchHit& x = a.hit;
    const SearchHit& y = b.hit;
    switch (key) {
    case ResultSortKey::None:
        return 0;
    // Sort keys compare with memcmp exactly as compareLocale compares the texts.
    case ResultSortKey::Name:
        return sign(nameKey(a).compare(nameKey(b)));
    case ResultSortKey::Path: {
        const std::string* ka = pathKey(a);
        const std::string* kb = pathKey(b);
        return ka && kb ? sign(ka->compare(*kb)) : comparePaths(x, y);
    }
    case ResultSortKey::Size:
        if (const int c = compareValues(sizeClass(x), sizeClass(y))) return c;
        return sizeClass(x) == 0 ? compareValues(y.size, x.size) : 0;
    case ResultSortKey::Created: {
        const bool zx = x.created.isZero(), zy = y.created.isZero();
        if (zx || zy) return compareValues(zx, zy);
        return compareValues(x.created.ticks, y.created.ticks);
    }
    case ResultSortKey::Modified:
        if (const int c = compareValues(modifiedClass(x), modifiedClass(y))) return c;
        return modifiedClass(x) == 0 ? compareValues(x.modified.ticks, y.modified.ticks) : 0;
    }
    return 0;
}

ResultsModel::ResultsModel(const IconCache* icons, QObject* parent)
    : QAbstractTableModel(parent), icons_(icons) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const ResultRow& r = *rows_[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case NameColumn:
            return QString::fromStdString(r.cells.name);
        case PathColumn:
            return QString::fromStdString(r.hit.path());
        case SizeColumn:
            return QString::fromStdString(r.cells.size);
        case CreatedColumn:
            return QString::fromStdString(r.cells.created);
        case ModifiedColumn:
            return QString::fromStdString(r.cells.modified);
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == NameColumn && icons_)
        return icons_->image(r.image);
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const titles[ColumnCount] = {"名前", "パス", "サイズ", "作成日時",
                                                    "更新日時"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

void ResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    key_ = ResultSortKey::None;
    endResetModel();
}

std::unique_ptr<ResultRow> ResultsModel::makeRow(const SearchHit& hit, int image) {
    auto row = std::make_unique<ResultRow>();
    row->hit = hit;
    row->cells = makeCells(hit);
    row->cells.path.clear();
    row->image = image;
    return row;
}

void ResultsModel::add(const SearchHit& hit, int image) {
    placeRow(makeRow(hit, image));
}

void ResultsModel::addRows(std::vector<std::unique_ptr<ResultRow>> rows) {
    if (rows.empty()) return;
    if (key_ != ResultSortKey::None) {
        for (auto& r : rows)
            placeRow(std::move(r));
        return;
    }
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    for (auto& r : rows)
        rows_.push_back(std::move(r));
    endInsertRows();
}

void ResultsModel::placeRow(std::unique_ptr<ResultRow> row) {
    auto at = rows_.end();
    if (key_ != ResultSortKey::None)
        at =
            std::upper_bound(rows_.begin(), rows_.end(), row, [this](const auto& a, const auto& b) {
                return compareResultRows(*a, *b, key_) < 0;
            });
    const int pos = int(at - rows_.begin());
    beginInsertRows({}, pos, pos);
    rows_.insert(at, std::move(row));
    endInsertRows();
}

void ResultsModel::sortBy(ResultSortKey key) {
    key_ = key;
    if (key == ResultSortKey::None) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<const ResultRow*> before;
    before.reserve(rows_.size());
    for (const auto& r : rows_)
        before.push_back(r.get());
    std::stable_sort(rows_.begin(), rows_.end(), [key](const auto& a, const auto& b) {
        return compareResultRows(*a, *b, key) < 0;
    });
    // Selections and the current row follow their rows.
    std::unordered_map<const ResultRow*, int> now;
    now.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        now[rows_[i].get()] = int(i);
    const QModelIndexList old = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(old.size());
    for (const QModelIndex& i : old)
        moved.push_back(index(now[before[size_t(i.row())]], i.column()));
    changePersistentIndexList(old, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ResultCells ResultsModel::cellsAt(int i) const {
    const ResultRow& r = row(i);
    ResultCells c = r.cells;
    c.path = r.hit.path();
    return c;
}

} // namespace zt
