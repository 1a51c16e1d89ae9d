#pragma once
// The stock list pane: the caption "ストック" with the move and delete
// buttons, over the list of stocks. A click on a stock, or a row change made
// with the keyboard, asks for it to be opened; a change made by the program
// (loading, moving or renaming stocks) does not.
#include <QWidget>
#include <string>
#include <vector>

class QAbstractItemModel;
class QAction;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStringListModel;

namespace zt {

class StockListPane : public QWidget {
    Q_OBJECT

  public:
    explicit StockListPane(QWidget* parent = nullptr);

    [[nodiscard]] std::vector<std::string> names() const;
    [[nodiscard]] int count() const;
    // The selected row, or -1 when nothing is selected.
    [[nodiscard]] int selectedRow() const;
    // The selected stock's name; empty when nothing is selected.
    [[nodiscard]] std::string selectedName() const;

    // Shows these names; nothing is selected afterwards.
    void setNames(const std::vector<std::string>& names);
    // Selects a row (-1: none) without asking for it to be opened.
    void selectRow(int row);
    void moveRow(int from, int to); // the moved row stays selected
    void renameRow(int row, const std::string& name);
    void removeRow(int row); // nothing is selected afterwards

    // The list's model, which the search window shows as well.
    [[nodiscard]] QAbstractItemModel* model() const;
    // The menu a right click (or the Menu key) on the list opens (not owned).
    void setContextMenu(QMenu* menu);
    // An action whose shortcut works while the list has the focus.
    void addListAction(QAction* action);
    // The widgets that take the focus, in tab order.
    [[nodiscard]] QList<QWidget*> focusOrder() const;

  signals:
    void openRequested();
    // The selected row changed (by the user or the program).
    void selectionChanged();
    void moveUpClicked();
    void moveDownClicked();
    void deleteClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QWidget* buildHeader();

    QStringListModel* model_ = nullptr;
    QListView* list_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    bool inKeyPress_ = false; // the list is handling a key press
};

} // namespace zt
