#pragma once
// A lazy item model over a FolderTree: rows are the tree's own nodes, nothing
// is copied. The folder tree shows the open stock through it.
#include <QAbstractItemModel>

namespace zt {

class FolderTree;
class FolderNode;
class FolderSizes;
class IconCache;

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT

  public:
    // tree and icons are not owned and must outlive the model.
    FolderTreeModel(const FolderTree* tree, const IconCache* icons, QObject* parent = nullptr);

    // Wrap every change of the tree's structure. The selected node is forgotten
    // at the start: the nodes it points at may not survive the change.
    void beginTreeReset();
    void endTreeReset() { endResetModel(); }
    // A node's text changed (a renamed stock).
    void nodeTextChanged(FolderNode* node);
    // The node drawn with the open-folder image.
    void setSelectedNode(FolderNode* node);
    [[nodiscard]] const FolderNode* selectedNode() const { return selected_; }
    // The images come from icons (none are shown while it is null).
    void setIcons(const IconCache* icons);
    [[nodiscard]] const IconCache* icons() const { return icons_; }

    // With sizes, two more columns: each folder's total and its share of its
    // parent's (the top's of the whole); null (as at start): the names alone.
    // sizes is not owned.
    void setSizes(const FolderSizes* sizes);

    [[nodiscard]] QModelIndex indexOf(const FolderNode* node) const;
    [[nodiscard]] static FolderNode* nodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const FolderTree* tree_;               // not owned
    const IconCache* icons_;               // not owned
    const FolderNode* selected_ = nullptr; // not owned
    const FolderSizes* sizes_ = nullptr;   // not owned
};

} // namespace zt
