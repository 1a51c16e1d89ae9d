#pragma once
// The search window "検索": modeless and resizable, owned by the main window.
// It holds the search parameters, its own copy of the stock list, the
// results, their sort, the jump from a result to the main window and the CSV
// export. Closing it hides it and tells the main window, which destroys it.
#include "search/engine.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;
class QWidget;

namespace zt {

class TForm1;
class ResultsModel;

// Where a window of frame size `size` goes beside `owner` (a frame rectangle)
// on a screen's free area: to the owner's right when it fits there, else the
// place right, left, below or above (moved onto the screen) that covers the
// least of the owner.
[[nodiscard]] QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen);

class TSearchDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TSearchDlg(TForm1* owner);
    ~TSearchDlg() override;

    // ---- Controls (owned by their Qt parents) ----
    QLabel* Label3 = nullptr;        // "検索ストック"
    QListWidget* ListBox1 = nullptr; // stocks to search (multi-select)
    QCheckBox* CB_AllStock = nullptr;
    QLabel* Label1 = nullptr; // "検索文字列"
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr; // 検索開始
    QPushButton* Button2 = nullptr; // 中断
    QCheckBox* CB_DoingState = nullptr;
    QCheckBox* CB_SLWord = nullptr;
    QGroupBox* RG_TargetKind = nullptr;
    QGroupBox* RG_SearchKind = nullptr;
    QButtonGroup* targetButtons = nullptr; // ids 0..2 of RG_TargetKind's items
    QButtonGroup* methodButtons = nullptr; // ids 0..3 of RG_SearchKind's items
    QTableView* ListView1 = nullptr;
    QLabel* DoingStateLabel = nullptr;
    QPushButton* Button3 = nullptr; // 結果をCSV形式で保存

    [[nodiscard]] ResultsModel* results() const { return model_; }
    [[nodiscard]] bool searching() const { return searching_; }

    // Refills ListBox1 from the main window's stock list, selecting the entry
    // the main list has selected.
    void RefreshStockList();
    // Hides the dialog and destroys it once no search is running any more
    // (a running search is stopped first).
    void Release();

  signals:
    // The user closed the dialog (it is hidden already).
    void closed();

  public slots:
    void Button1Click(); // start
    void Button2Click(); // stop
    void Button3Click(); // save as CSV
    void CB_AllStockClick();
    void ListView1ColumnClick(int column);
    void ListView1DblClick();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void reject() override; // Esc closes like the close box
    // A deferred delete that arrives while a handler of the dialog is still
    // running (a search, a message box, the save dialog) waits until it ends.
    bool event(QEvent* e) override;

  private:
    void buildControls();
    void setSearchControlsEnabled(bool enabled);
    void layoutResults();
    [[nodiscard]] int imageFor(const SearchHit& hit) const;

    TForm1* form_;
    ResultsModel* model_ = nullptr;
    QWidget* top_ = nullptr; // the parameters above the result list
    bool searching_ = false;
    bool stopFlag_ = false;
    bool releasePending_ = false;
    bool deleteEventHeld_ = false;
    int busy_ = 0; // handlers of this dialog on the stack (searching or showing a modal box)
    class Busy;
    std::string statusText_;
    bool statusDirty_ = false;
    QElapsedTimer statusTimer_;
};

} // namespace zt
