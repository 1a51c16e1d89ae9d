#pragma once
// The search window "検索": modeless and resizable, owned by the main window.
// It shows the main window's stock list model (with a selection of its own),
// the search parameters, the results, their sort and the CSV export. The
// search runs on a worker; a double click on a result asks the main window to
// open that stock at that folder. Closing it hides it and says so; the main
// window then destroys it, which stops and waits for a search still running.
#include "search/engine.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <filesystem>
#include <string>

class QAbstractItemModel;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class QToolButton;

namespace zt {

class FilterRow;
class IconCache;
class ResultsModel;
class WorkRunner;

// Where a window of frame size `size` goes beside `owner` (a frame rectangle)
// on a screen's free area: to the owner's right when it fits there, else the
// place right, left, below or above (moved onto the screen) that covers the
// least of the owner.
[[nodiscard]] QPoint placeBeside(const QRect& owner, const QSize& size, const QRect& screen);

// The status line after a search: "N 件見つかりました" or "見つかりませんでした",
// with "（中断）" when it was stopped.
[[nodiscard]] QString hitCountText(int count, bool stopped);

class SearchWindow : public QDialog {
    Q_OBJECT

  public:
    // stocks: the stock list's model; icons: not owned, may be null.
    SearchWindow(QAbstractItemModel* stocks, std::filesystem::path dataDir, const IconCache* icons,
                 QWidget* owner);
    ~SearchWindow() override;

    [[nodiscard]] ResultsModel* results() const { return results_; }
    [[nodiscard]] bool searching() const;

    // Selects the stock of this row alone (-1: none), following the main list.
    void selectStock(int row);
    // The parameters, as the controls set them.
    void setSearchText(const QString& text);
    void setAllStocks(bool all);
    void setMode(MatchMode mode);
    // Shows or hides the optional filters; hidden, none of them applies.
    void setFiltersShown(bool shown);
    // The search as the controls say now.
    [[nodiscard]] SearchRequest request() const;

    void startSearch(); // checks the parameters first
    void stopSearch();
    void saveResults(); // as CSV, to a file the user chooses
    void sortByColumn(int column);
    void openSelectedResult();
    // The focus into 検索文字列, its text selected: done whenever the window shows.
    void focusSearchText();

  signals:
    // The user closed the window (it is hidden already).
    void closed();
    // Open this hit's stock at the hit's folder.
    void openRequested(const zt::SearchHit& hit);
    // A search found these stocks' indexes stale or damaged: to be built again.
    void indexesUnusable(const std::vector<std::string>& stocks);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void reject() override; // Esc leaves the window open

  private:
    void buildParameters();
    QLayout* buildStockColumn();
    void buildResults();
    void layoutResults();
    void setSearchControlsEnabled(bool enabled);
    void searchEnded(const SearchOutcome& outcome, const std::string& limitMessage, bool stopped);
    void showStatus(const QString& text);

    std::filesystem::path dataDir_;
    const IconCache* icons_;
    WorkRunner* runner_ = nullptr;
    ResultsModel* results_ = nullptr;
    bool saving_ = false;    // a CSV save reads the rows on the worker
    QWidget* top_ = nullptr; // the parameters above the result list
    QLabel* stocksCaption_ = nullptr;
    QListView* stocks_ = nullptr;
    QCheckBox* allStocks_ = nullptr;
    QLineEdit* text_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QCheckBox* showStatus_ = nullptr;
    QCheckBox* caseSensitive_ = nullptr;
    QToolButton* filtersToggle_ = nullptr;
    FilterRow* filterRow_ = nullptr;
    QGroupBox* targetBox_ = nullptr;
    QGroupBox* methodBox_ = nullptr;
    QButtonGroup* targets_ = nullptr;
    QButtonGroup* methods_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QTableView* resultsView_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace zt
