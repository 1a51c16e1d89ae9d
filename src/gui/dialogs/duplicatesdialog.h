#pragma once
// "重複ファイル": the files stored more than once across the stocks (the same
// name and size), in groups, largest groups first. A file can be jumped to in
// the main window (Enter, a double click, "ファイルへ移動"), and the whole
// list saved as CSV, as the command line's dupes writes it.
#include "library/dupes.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeView;

namespace zt {

class WorkRunner;

// Groups over their files: a group is a top row, its files its children.
class DuplicatesModel : public QAbstractItemModel {
    Q_OBJECT

  public:
    enum Column { Name, Path, Size, Created, Modified, ColumnCount };

    explicit DuplicatesModel(std::vector<DupeGroup> groups, QObject* parent = nullptr);

    [[nodiscard]] const std::vector<DupeGroup>& groups() const { return groups_; }
    // The file of this index; null for a group row.
    [[nodiscard]] const DupeFile* fileAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<DupeGroup> groups_;
};

class DuplicatesDialog : public QDialog {
    Q_OBJECT

  public:
    DuplicatesDialog(QWidget* owner, std::vector<DupeGroup> groups);

    [[nodiscard]] const DuplicatesModel* model() const { return model_; }
    // The file to jump to once the dialog closed with it (accepted).
    [[nodiscard]] const std::optional<SearchHit>& jumpTo() const { return jumpTo_; }
    void jumpToCurrent();
    void saveCsv(); // on a worker of the dialog's own
    [[nodiscard]] bool saving() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    DuplicatesModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    QPushButton* jump_ = nullptr;
    WorkRunner* runner_ = nullptr; // destroyed with the dialog: waits for a save
    std::optional<SearchHit> jumpTo_;
};

} // namespace zt
