#pragma once
// The items of the contents list: a flat model over the contents of one
// folder. Captions point into the open stock's tree, so the model must be
// emptied before that tree changes. The items' sort keys are made once per
// fill and serve every later sort.
#include "browser/contents.h"
#include "browser/foldersizes.h"

#include <QAbstractListModel>
#include <QSize>
#include <vector>

class QFont;

namespace zt {

class IconCache;

class ContentsModel : public QAbstractListModel {
    Q_OBJECT

  public:
    // icons is not owned and must outlive the model.
    explicit ContentsModel(const IconCache* icons, QObject* parent = nullptr);

    // Replaces every item at once (one reset of the views). keys were made
    // from items (in their present order) or are empty: made when first needed.
    void setItems(std::vector<ContentsItem> items, ContentsKeys keys = {});
    void clear();
    // Sorts the items again (after a change of arrangement).
    void sort(Arrangement arrangement);

    [[nodiscard]] const std::vector<ContentsItem>& items() const { return items_; }
    [[nodiscard]] const ContentsItem* itemAt(const QModelIndex& index) const;

    // The size every item takes (width = the column width of the list); an
    // invalid size lets the view's delegate decide.
    void setItemSize(QSize size);
    [[nodiscard]] QSize itemSize() const { return itemSize_; }

    // Each caption followed by the item's bytes (a folder's total) and its
    // share of folderBytes; null sizes: captions alone, as at start. sizes
    // is not owned.
    void setSizes(const FolderSizes* sizes, uint64_t folderBytes);
    [[nodiscard]] bool showsSizes() const { return sizes_ != nullptr; }
    // What follows a caption: "  (12.3 MB, 45.6%)".
    [[nodiscard]] static QString sizeSuffix(uint64_t bytes, int thousandths);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const IconCache* icons_;
    std::vector<ContentsItem> items_;
    ContentsKeys keys_;
    QSize itemSize_;
    const FolderSizes* sizes_ = nullptr;
    uint64_t folderBytes_ = 0;
};

// Row of the caption that is widest in font, or -1 for no items.
[[nodiscard]] int widestCaption(const std::vector<ContentsItem>& items, const QFont& font);

} // namespace zt
