#pragma once
// The rows of the search window's result list: one record per hit with its
// cell texts and image, sortable by five keys. Sorting is stable, so sorting
// twice by the same key keeps the order; the keys are computed once per row.
#include "search/engine.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

namespace zt {

class IconCache;

enum class ResultSortKey { None = 0, Name = 1, Size = 2, Path = 3, Created = 4, Modified = 5 };

struct ResultRow {
    SearchHit hit;
    ResultCells cells; // but the path, made when shown: a deep stock's paths together
                       // would take its depth squared
    int image = 0;
    // Locale sort keys of the name and path, made when first needed (the
    // path's only for a short path, for the same reason).
    mutable std::string nameKey, pathKey;
    mutable bool hasNameKey = false, hasPathKey = false;
};

// Negative when a goes first, positive when b does, 0 when they are equal.
[[nodiscard]] int compareResultRows(const ResultRow& a, const ResultRow& b, ResultSortKey key);

class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { NameColumn, PathColumn, SizeColumn, CreatedColumn, ModifiedColumn, ColumnCount };

    explicit ResultsModel(const IconCache* icons, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation o, int role) const override;

    void clear(); // also forgets the sort key
    // Adds a row: at the end, or at its place in the order when a key is set
    // (after the rows it equals).
    void add(const SearchHit& hit, int image);
    // A row with its cell texts, made on the search's worker.
    [[nodiscard]] static std::unique_ptr<ResultRow> makeRow(const SearchHit& hit, int image);
    // Adds rows as add() does, one insertion for the lot when no key is set.
    void addRows(std::vector<std::unique_ptr<ResultRow>> rows);
    void sortBy(ResultSortKey key);

    [[nodiscard]] const ResultRow& row(int i) const { return *rows_[size_t(i)]; }
    // The cells of the row shown at i, its path included.
    [[nodiscard]] ResultCells cellsAt(int i) const;

  private:
    void placeRow(std::unique_ptr<ResultRow> row);

    const IconCache* icons_;
    std::vector<std::unique_ptr<ResultRow>> rows_;
    ResultSortKey key_ = ResultSortKey::None;
};

} // namespace zt
