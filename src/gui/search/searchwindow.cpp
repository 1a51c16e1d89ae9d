#include "gui/search/searchwindow.h"

#include "gui/common/dialogservice.h"
#include "gui/common/iconcache.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/search/filterrow.h"
#include "gui/search/resultsmodel.h"
#include "library/catalogsearch.h"
#include "platform/utf8.h"
#include "search/csv.h"
#include "search/patterns.h"
#include <QToolButton>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <chrono>
#include <memory>
#include <mutex>

namespace zt {

namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(50);
// The status line shows a few dozen characters: a path longer than this keeps
// its two ends only, so a folder a million levels deep costs what a short one does.
constexpr size_t kStatusEndBytes = 400;

// Rows found on the worker, waiting for the window's thread.
// Rows go to the table in batches by time, not by count: every batch costs
// the table a layout and a repaint, so a fast search handing over rows one
// by one would spend more time showing them than finding them.
constexpr auto kRowsInterval = std::chrono::milliseconds(100);

class HitInbox {
  public:
    // True when the caller is to post one collection: none is on its way,
    // and the last was taken long enough ago (the first row goes at once).
    bool put(std::unique_ptr<ResultRow> row) {
        const std::lock_guard lock(mutex_);
        rows_.push_back(std::move(row));
        if (posted_ || std::chrono::steady_clock::now() - taken_ < kRowsInterval) return false;
        posted_ = true;
        return true;
    }
    // True when rows are left that no posted collection will take (the
    // search's end posts one for them).
    bool leftOver() {
        const std::lock_guard lock(mutex_);
        if (posted_ || rows_.empty()) return false;
        posted_ = true;
        return true;
    }
    std::vector<std::unique_ptr<ResultRow>> take() {
        const std::lock_guard lock(mutex_);
        posted_ = false;
        taken_ = std::chrono::steady_clock::now();
        return std::exchange(rows_, {});
    }

  private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<ResultRow>> rows_;
    bool posted_ = false;
    std::chrono::steady_clock::time_point taken_{};
};

QString statusEnds(std::string_view text) {
    if (text.size() <= 2 * kStatusEndBytes) return toQString(text);
    return toQString(utf8Prefix(text, kStatusEndBytes)) + QStringLiteral("…") +
           toQString(utf8Suffix(text, kStatusEndBytes));
}

} // namespace

QPoint placeBeside(const QRect& owner, const QSize& size, const QRect& screen) {
    const auto onScreen = [&](QPoint p) {
        p.setX(std::max(screen.left(), std::min(p.x(), screen.right() + 1 - size.width())));
        p.setY(std::max(screen.top(), std::min(p.y(), screen.bottom() + 1 - size.height())));
        return p;
    };
    const QPoint candidates[] = {
        {owner.right() + 1, owner.top()},            // right
        {owner.left() - size.width(), owner.top()},  // left
        {owner.left(), owner.bottom() + 1},          // below
        {owner.left(), owner.top() - size.height()}, // above
    };
    QPoint best;
    qint64 bestCover = -1;
    for (const QPoint& wanted : candidates) {
        const QPoint p = onScreen(wanted);
        const QRect covered = QRect(p, size).intersected(owner);
        const qint64 cover = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (bestCover < 0 || cover < bestCover) {
            best = p;
            bestCover = cover;
        }
        if (cover == 0) break; // the first place that covers nothing wins
    }
    return best;
}

SearchWindow::SearchWindow(QAbstractItemModel* stocks, std::filesystem::path dataDir,
                           const IconCache* icons, QWidget* owner)
    : QDialog(owner), dataDir_(std::move(dataDir)), icons_(icons) {
    setObjectName(QStringLiteral("searchWindow"));
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);
    setSizeGripEnabled(true);
    runner_ = new WorkRunner(nullptr);
    runner_->setParent(this);
    buildParameters();
    buildResults();
    stocks_->setModel(stocks);
    // The design size; never so small that a caption of the controls above
    // the list would be cut (the minimum wins when the font needs more).
    const QSize top = top_->minimumSizeHint();
    setMinimumSize(top.width(), top.height() + 4 + 4 * resultsView_->fontMetrics().height() + 20);
    resize(506, 441);
}

SearchWindow::~SearchWindow() {
    // The worker uses the window's model and labels through queued calls:
    // it stops, and is waited for, before any of them goes.
    delete runner_;
}

void SearchWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    focusSearchText();
}

void SearchWindow::focusSearchText() {
    // What the user types next is the text to search for, replacing the last one.
    text_->setFocus(Qt::OtherFocusReason);
    text_->selectAll();
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* e) {
    // Enter on a result jumps to it as a double click does; the default
    // button (検索開始) belongs to the search fields, not to the results.
    if (watched == resultsView_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openSelectedResult();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

bool SearchWindow::searching() const {
    return runner_->busy();
}

void SearchWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layoutResults();
}

void SearchWindow::layoutResults() {
    constexpr int kListLeft = 8;
    const int w = width(), h = height();
    const int topHeight = top_->sizeHint().height();
    top_->setGeometry(0, 0, w, topHeight);
    const int listTop = topHeight + 4;
    const int listWidth = std::max(0, w - 2 * kListLeft);
    const int listHeight = std::max(0, h - listTop - 20);
    resultsView_->setGeometry(kListLeft, listTop, listWidth, listHeight);
    status_->setGeometry(kListLeft, listTop + listHeight + 2, listWidth, 18);
}

void SearchWindow::selectStock(int row) {
    stocks_->clearSelection();
    if (row >= 0 && row < stocks_->model()->rowCount())
        stocks_->selectionModel()->select(stocks_->model()->index(row, 0),
                                          QItemSelectionModel::Select);
}

void SearchWindow::setSearchControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{text_, start_, saveCsv_, targetBox_,
                                                      showStatus_, caseSensitive_, methodBox_,
                                                      allStocks_, filtersToggle_, filterRow_})
        w->setEnabled(enabled);
    stop_->setEnabled(!enabled);
}

SearchRequest SearchWindow::request() const {
    SearchRequest r;
    r.dataDir = dataDir_;
    const QAbstractItemModel* model = stocks_->model();
    for (int i = 0; i < model->rowCount(); ++i)
        if (allStocks_->isChecked() || stocks_->selectionModel()->isRowSelected(i, {}))
            r.stocks.push_back(toUtf8(model->index(i, 0).data().toString()));
    r.text = toUtf8(text_->text());
    r.mode = MatchMode(methods_->checkedId());
    r.target = SearchTarget(targets_->checkedId());
    r.caseSensitive = caseSensitive_->isChecked();
    if (filterRow_->isVisibleTo(top_)) r.filters = filterRow_->filters();
    return r;
}

void SearchWindow::startSearch() {
    if (searching()) return;
    if (!stocks_->selectionModel()->hasSelection() && !allStocks_->isChecked()) {
        warn(this, QStringLiteral("検索対象のストックデータが選ばれていません"));
        return;
    }
    if (text_->text().isEmpty()) {
        warn(this, QStringLiteral("検索文字列が空欄です"));
        return;
    }
    if (MatchMode(methods_->checkedId()) == MatchMode::Regex) {
        // Checked before anything is read: a pattern that does not compile would find nothing.
        const RegexPattern check(toUtf8(text_->text()), caseSensitive_->isChecked());
        if (!check.valid()) {
            warn(this, QStringLiteral("正規表現が正しくありません: ") + toQString(check.error()));
            text_->setFocus();
            return;
        }
    }
    results_->clear();
    setSearchControlsEnabled(false);
    const bool withStatus = showStatus_->isChecked();
    status_->setText(QString());
    status_->setVisible(withStatus);

    struct Run {
        SearchOutcome outcome;
        std::string limitMessage;
        std::vector<std::string> unusableIndexes;
        HitInbox inbox;
    };
    auto run = std::make_shared<Run>();
    WorkLook look;
    look.dialog = false;
    runner_->start(
        look,
        [this, run, withStatus, request = request(), icons = icons_](WorkControl& work) {
            SearchCallbacks cb;
            cb.cancelled = [&work] { return work.cancelled(); };
            std::chrono::steady_clock::time_point shown{};
            if (withStatus)
                cb.status = [this, &work, &shown](std::string_view text) {
                    const auto now = std::chrono::steady_clock::now();
                    if (now - shown < kStatusInterval) return;
                    shown = now;
                    work.post([this, line = statusEnds(text)] { showStatus(line); });
                };
            cb.hit = [this, &work, &run, icons](const SearchHit& hit) {
                const int image = hit.isFolder ? int(IconCache::ClosedFolder)
                                  : icons      ? icons->imageIndexOf(hit.name)
                                               : int(IconCache::GenericFile);
                if (run->inbox.put(ResultsModel::makeRow(hit, image)))
                    work.post([this, run] { results_->addRows(run->inbox.take()); });
            };
            cb.limitExceeded = [&run](std::string_view m) { run->limitMessage = m; };
            run->outcome = searchCatalogue(request, cb, IndexUse::WhenFresh, &run->unusableIndexes);
            if (run->inbox.leftOver())
                work.post([this, run] { results_->addRows(run->inbox.take()); });
        },
        [this, run](const JobEnd& end) {
            if (!run->unusableIndexes.empty()) emit indexesUnusable(run->unusableIndexes);
            searchEnded(run->outcome, run->limitMessage, end.cancelled);
            if (end.threw()) warn(this, end.failure);
        });
}

void SearchWindow::showStatus(const QString& text) {
    status_->setText(status_->fontMetrics().elidedText(text, Qt::ElideMiddle, status_->width()));
}

void SearchWindow::searchEnded(const SearchOutcome& outcome, const std::string& limitMessage,
                               bool stopped) {
    setSearchControlsEnabled(true);
    if (!limitMessage.empty()) warn(this, toQString(limitMessage));
    // The count says the search ran (one that found nothing would look like
    // one never started); stocks whose file could not be read are named, and
    // names a regular expression took too long on are counted.
    QStringList lines;
    lines << hitCountText(results_->rowCount(), stopped);
    if (!outcome.skippedStocks.empty()) {
        QString names;
        for (const std::string& s : outcome.skippedStocks)
            names += (names.isEmpty() ? "" : "、") + toQString(s);
        lines << QStringLiteral("読み込めないストックは飛ばしました: ") + names;
    }
    if (outcome.namesTimedOut > 0) lines << toQString(messageNamesTimedOut(outcome.namesTimedOut));
    status_->setText(lines.join(QStringLiteral("　")));
    status_->setToolTip(lines.join(QStringLiteral("\n")));
    status_->show();
}

QString hitCountText(int count, bool stopped) {
    QString text =
        count == 0
            ? QStringLiteral("見つかりませんでした")
            : QStringLiteral("%1 件見つかりました").arg(QLocale(QLocale::English).toString(count));
    if (stopped) text += QStringLiteral("（中断）");
    return text;
}

void SearchWindow::stopSearch() {
    runner_->cancel();
}

void SearchWindow::saveResults() {
    const auto file =
        dialogs().saveFileName(this, QStringLiteral("検索結果をCSV形式で保存"), saveStartFolder(),
                               QStringLiteral("CSVファイル (*.csv)"), QStringLiteral("csv"));
    if (!file || file->isEmpty() || searching()) return;
    // On the worker, like a search: the file may be slow to take the bytes
    // (a pipe, a network folder), and the window stays responsive. The rows
    // are read where they are; nothing reorders them until the save ends.
    setSearchControlsEnabled(false);
    saving_ = true;
    auto saved = std::make_shared<bool>(false);
    WorkLook look;
    look.dialog = false;
    runner_->start(
        look,
        [saved, path = std::filesystem::path(file->toStdString()),
         model = static_cast<const ResultsModel*>(results_)](WorkControl&) {
            const auto cellsAt = [model](size_t i) { return model->cellsAt(int(i)); };
            *saved = saveResultsCsv(path, size_t(model->rowCount()), cellsAt);
        },
        [this, saved, file = *file](const JobEnd& end) {
            saving_ = false;
            setSearchControlsEnabled(true);
            if (*saved && !end.threw()) rememberSavedFile(file); // only a folder that took a file
            if (end.threw())
                warn(this, end.failure);
            else if (!*saved)
                dialogs().messageBox(this, QStringLiteral("ERROR"),
                                     toQString(kMessageCannotOpenFile), MsgButtons::Ok,
                                     MsgIcon::Exclamation);
        });
}

void SearchWindow::sortByColumn(int column) {
    static const ResultSortKey keys[] = {ResultSortKey::Name, ResultSortKey::Path,
                                         ResultSortKey::Size, ResultSortKey::Created,
                                         ResultSortKey::Modified};
    if (column < 0 || column >= ResultsModel::ColumnCount || saving_) return;
    results_->sortBy(keys[column]);
}

void SearchWindow::openSelectedResult() {
    const QModelIndexList rows = resultsView_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    emit openRequested(results_->row(rows.first().row()).hit);
}

void SearchWindow::closeEvent(QCloseEvent* e) {
    if (searching()) { // no closing while a search runs
        e->ignore();
        return;
    }
    hide();
    e->accept();
    emit closed();
}

void SearchWindow::reject() {
    // Esc does not close the window and discard the results: only the close
    // box, the menu item and the tool button do.
}

} // namespace zt
