// The search window: its controls, validation, a search on the worker,
// sorting, the jump into the main window, CSV and closing.
#include "catalogue/stockfile.h"
#include "catalogue/stockpath.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/workrunner.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/resultsmodel.h"
#include "gui/search/searchwindow.h"
#include "index/nameindex.h"
#include "library/indexstore.h"
#include "library/names.h"
#include "search/csv.h"
#include "settings/settings.h"
#include "testutil.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <sstream>

using namespace zt;
using namespace zt::guitest;

namespace {

constexpr uint64_t kDay = 864000000000ull;
constexpr uint64_t kT0 = 130000000000000000ull;

struct Item {
    std::string path; // "a/b/name"; a trailing "/" makes a folder
    uint64_t size = 0, created = 0, written = 0;
};

void writeStock(const std::filesystem::path& dataDir, const std::string& name,
                const std::vector<Item>& items) {
    test::StockBuilder s;
    FolderTree& tree = s.tree;
    s.root(name);
    for (const Item& it : items) {
        FolderNode* at = tree.root();
        std::stringstream parts(it.path);
        std::string part;
        std::vector<std::string> names;
        while (std::getline(parts, part, '/'))
            names.push_back(part);
        const bool folder = it.path.back() == '/';
        for (size_t i = 0; i < names.size(); ++i) {
            const bool last = i + 1 == names.size();
            if (last && !folder) {
                FileRecord* f = tree.addFile(at, names[i]);
                f->size = it.size;
                f->created = FileTime{it.created};
                f->modified = FileTime{it.written};
                break;
            }
            FolderNode* next = nullptr;
            for (FolderNode* c : at->children)
                if (c->name == names[i]) next = c;
            if (!next) {
                next = tree.addChild(at, names[i]);
                if (last) {
                    next->created = FileTime{it.created};
                    next->modified = FileTime{it.written};
                }
            }
            at = next;
        }
    }
    if (!writeStockFile(*stockFilePath(dataDir, name), tree)) throw std::runtime_error("write");
}

QStringList column(const ResultsModel* m, int c) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, c).data().toString();
    return out;
}

} // namespace

class SearchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dlgs;
    std::unique_ptr<MainWindow> w;

    SearchWindow* open() {
        child<QAction>(w.get(), "searchAction")->trigger();
        return w->searchWindow();
    }
    // Starts a search with the button and waits for it to end.
    static void search(SearchWindow* d, const QString& text, bool all = true) {
        d->setAllStocks(all);
        d->setSearchText(text);
        QTest::mouseClick(child<QPushButton>(d, "startSearchButton"), Qt::LeftButton);
        QTRY_VERIFY(!d->searching());
    }
    static QAbstractItemView* stocksOf(SearchWindow* d) {
        return child<QAbstractItemView>(d, "searchStockList");
    }
    static void selectStocks(SearchWindow* d, std::initializer_list<int> rows) {
        QAbstractItemView* list = stocksOf(d);
        list->clearSelection();
        for (int r : rows)
            list->selectionModel()->select(list->model()->index(r, 0), QItemSelectionModel::Select);
    }
    void writeManyHits(int count, const char* stockList) {
        std::vector<Item> many;
        for (int i = 0; i < count; ++i)
            many.push_back({"f" + std::to_string(i) + "/hit" + std::to_string(i)});
        writeStock(data->path(), "Many", many);
        data->writeStockList({"Many", stockList});
        w->reloadStockList();
    }

  private slots:
    void initTestCase() { initWindowTests(); }

    void init() {
        data = std::make_unique<TempDataDir>();
        writeStock(data->path(), "Alpha",
                   {{"docs/readme.txt", 5000, kT0 + 2 * kDay, kT0 + 3 * kDay},
                    {"docs/empty-a.txt", 0, 0, kT0},
                    {"docs/sub/", 0, kT0 + kDay, kT0},
                    {"docs/sub/Big.bin", 3000000, kT0 + 5 * kDay, 0},
                    {"empty-b.txt", 0, kT0, kT0 + 9 * kDay}});
        writeStock(
            data->path(), "Beta",
            {{"x/y/", 0, kT0, kT0}, {"x/y/beta-file.txt", 10, kT0, kT0}, {"x/z/", 0, kT0, kT0}});
        data->writeStockList({"Alpha", "Beta", "Gone"});
        dlgs = std::make_unique<ScopedDialogs>();
        w = makeWindow(data->path());
    }
    void cleanup() {
        w.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dlgs.reset();
        data.reset();
    }

    void opensWithItsControlsAndFollowsTheToggle() {
        SearchWindow* d = open();
        QVERIFY(d && d->isVisible());
        QVERIFY(child<QAction>(w.get(), "searchAction")->isChecked());
        QVERIFY(child<QToolButton>(w.get(), "searchButton")->isChecked());
        QVERIFY(w->settings().searchDialogShown);
        QCOMPARE(d->windowTitle(), QStringLiteral("検索"));
        QCOMPARE(stocksOf(d)->model()->rowCount(), 3);
        QCOMPARE(stocksOf(d)->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!child<QCheckBox>(d, "allStocksCheck")->isChecked());
        QVERIFY(child<QCheckBox>(d, "showStatusCheck")->isChecked());
        QVERIFY(!child<QCheckBox>(d, "caseSensitiveCheck")->isChecked());
        QVERIFY(child<QPushButton>(d, "startSearchButton")->isDefault());
        QVERIFY(!child<QPushButton>(d, "stopSearchButton")->isEnabled());
        auto* save = child<QPushButton>(d, "saveCsvButton");
        QVERIFY(save->isEnabled());
        QCOMPARE(save->text(), QStringLiteral("結果をCSV形式で保存"));
        const auto checked = [d](const char* group) {
            for (auto* b : child<QGroupBox>(d, group)->findChildren<QRadioButton*>())
                if (b->isChecked()) return b->text();
            return QString();
        };
        QCOMPARE(checked("targetGroup"), QStringLiteral("ファイル・フォルダ"));
        QCOMPARE(checked("methodGroup"), QStringLiteral("デフォルト"));
        d->setMode(MatchMode::Suffix);
        QCOMPARE(checked("methodGroup"), QStringLiteral("後方一致"));
        QCOMPARE(child<QLabel>(d, "statusLabel")->text(), QString());
        QStringList headers;
        for (int c = 0; c < 5; ++c)
            headers << d->results()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(headers, QStringList({"名前", "パス", "サイズ", "作成日時", "更新日時"}));

        // The stock list follows the main list's selection.
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        const QModelIndexList selected = stocksOf(d)->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data().toString(), QStringLiteral("Beta"));
        QTest::mouseClick(child<QCheckBox>(d, "allStocksCheck"), Qt::LeftButton);
        QVERIFY(!stocksOf(d)->isEnabled());

        // Toggling off destroys it once the events have run.
        const QPointer<SearchWindow> guard(d);
        child<QToolButton>(w.get(), "searchButton")->click();
        QVERIFY(!w->searchWindow());
        QVERIFY(!child<QAction>(w.get(), "searchAction")->isChecked());
        QVERIFY(!child<QToolButton>(w.get(), "searchButton")->isChecked());
        QVERIFY(!w->settings().searchDialogShown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void validatesStocksBeforeText() {
        SearchWindow* d = open();
        d->setSearchText({});
        selectStocks(d, {});
        auto* start = child<QPushButton>(d, "startSearchButton");
        QTest::mouseClick(start, Qt::LeftButton);
        selectStocks(d, {0});
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(!d->searching());
        QCOMPARE(int((*dlgs)->shown.size()), 2);
        QCOMPARE((*dlgs)->shown[0].text,
                 QStringLiteral("検索対象のストックデータが選ばれていません"));
        QCOMPARE((*dlgs)->shown[1].text, QStringLiteral("検索文字列が空欄です"));
        QCOMPARE((*dlgs)->shown[1].title, QStringLiteral("警告"));
    }

    void regularExpressionsAreCheckedFirstAndCountsShown() {
        SearchWindow* d = open();
        auto* status = child<QLabel>(d, "statusLabel");
        d->setMode(MatchMode::Regex);
        QCOMPARE(d->request().mode, MatchMode::Regex);
        search(d, "(docs");
        QCOMPARE(int((*dlgs)->shown.size()), 1);
        QVERIFY2((*dlgs)->shown[0].text.startsWith(
                     QStringLiteral("正規表現が正しくありません: 括弧 ( ) の対応がとれていません")),
                 qPrintable((*dlgs)->shown[0].text));
        QCOMPARE(d->results()->rowCount(), 0);
        search(d, "^(readme|Big)\\.");
        QCOMPARE(d->results()->rowCount(), 2);
        QVERIFY(status->text().startsWith(QStringLiteral("2 件見つかりました　"))); // then "Gone"
        search(d, "^zzz");
        QVERIFY(status->text().startsWith(QStringLiteral("見つかりませんでした")));
        QVERIFY(status->isVisible());
        QCOMPARE(hitCountText(12345, true), QStringLiteral("12,345 件見つかりました（中断）"));
    }

    void worksFromTheKeyboard() {
        // Ctrl+F from the stock list: typing goes into 検索文字列, replacing its text.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* list = child<QWidget>(w.get(), "stockList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        SearchWindow* d = w->searchWindow();
        QVERIFY(d);
        auto* text = child<QLineEdit>(d, "searchTextEdit");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(text));
        d->setSearchText(QStringLiteral("old"));
        d->focusSearchText();
        QCOMPARE(text->selectedText(), QStringLiteral("old"));
        QTest::keyClicks(text, "i");
        QCOMPARE(text->text(), QStringLiteral("i"));
        d->setAllStocks(true);
        QTest::keyClick(text, Qt::Key_Return); // the default button, from the search field
        QTRY_VERIFY(!d->searching());
        const int rows = d->results()->rowCount();
        QVERIFY(rows >= 2);

        // Every control once, the result list one stop, both ways round.
        for (bool backwards : {false, true}) {
            const QString problem = tabWalkProblem(d, text, backwards);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }

        // Enter on a result jumps to it; the results stay as they were.
        auto* view = child<QTableView>(d, "resultsView");
        int big = -1;
        for (int r = 0; r < rows; ++r)
            if (d->results()->row(r).cells.name == "Big.bin") big = r;
        view->setFocus();
        view->selectRow(big);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Up); // the arrows move inside the list
        QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), big);
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(waitIdle(*w));
        QCOMPARE(w->stockList()->selectedName(), std::string("Alpha"));
        QCOMPARE(w->folderBrowser()->selectedFolder()->name, std::string("sub"));
        QCOMPARE(d->results()->rowCount(), rows);
        QVERIFY(!d->searching());

        // Esc neither closes the window nor drops the results.
        QTest::keyClick(text, Qt::Key_Escape);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(d->isVisible());
        QCOMPARE(w->searchWindow(), d);
        QCOMPARE(d->results()->rowCount(), rows);
        QCOMPARE(d->size(), d->size().expandedTo(d->minimumSize()));
    }

    void searchesChosenStocksAndNamesUnreadableOnes() {
        SearchWindow* d = open();
        selectStocks(d, {1});
        search(d, "E", false);
        QCOMPARE(column(d->results(), 1), QStringList({"\\Beta\\x\\y\\beta-file.txt"}));
        search(d, "e");
        QCOMPARE(column(d->results(), 1),
                 QStringList({"\\Alpha\\empty-b.txt", "\\Alpha\\docs\\readme.txt",
                              "\\Alpha\\docs\\empty-a.txt", "\\Beta\\x\\y\\beta-file.txt"}));
        auto* status = child<QLabel>(d, "statusLabel");
        QVERIFY(status->isVisible());
        QVERIFY(status->text().contains("Gone"));
        QVERIFY(child<QLineEdit>(d, "searchTextEdit")->isEnabled());
        QVERIFY(child<QPushButton>(d, "startSearchButton")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "stopSearchButton")->isEnabled());
        QCOMPARE(d->results()->index(2, 2).data().toString(), QStringLiteral("0KB"));
        QCOMPARE(d->results()->index(1, 2).data().toString(), QStringLiteral("5KB"));
    }

    // Damage a quick look does not see (the folder table): the search scans
    // the stock instead and the background indexer builds the index again.
    void anIndexFoundDamagedIsBuiltAgainAfterTheSearch() {
        QTRY_VERIFY(w->indexBuilder()->idle());
        const auto file = indexFilePath(data->path(), "Alpha");
        std::string bytes = test::readFile(file);
        const auto header = NameIndexHeader::parse(bytes);
        QVERIFY(header && header->foldersLength > 0);
        bytes[header->foldersPos] ^= 0x40;
        test::writeFile(file, bytes);
        QCOMPARE(indexState(data->path(), "Alpha"), IndexState::Fresh);
        SearchWindow* d = open();
        search(d, "readme");
        QCOMPARE(column(d->results(), 1), QStringList({"\\Alpha\\docs\\readme.txt"}));
        QTRY_VERIFY(w->indexBuilder()->idle());
        QCOMPARE(indexState(data->path(), "Alpha", IndexCheck::Thorough), IndexState::Fresh);
    }

    void sortsByEveryKeyStably() {
        SearchWindow* d = open();
        QAbstractItemModelTester tester(d->results(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        search(d, "t");
        auto* m = d->results();
        QCOMPARE(column(m, 0),
                 QStringList({"empty-b.txt", "readme.txt", "empty-a.txt", "beta-file.txt"}));

        // Size: larger first, then the empty files in the order they had.
        QHeaderView* header = child<QTableView>(d, "resultsView")->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
        const QStringList bySize = {"readme.txt", "beta-file.txt", "empty-b.txt", "empty-a.txt"};
        QCOMPARE(column(m, 0), bySize);
        d->sortByColumn(2);
        QCOMPARE(column(m, 0), bySize);
        // Created: earlier first (equal times keep their order), no date last.
        d->sortByColumn(3);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-b.txt", "readme.txt", "empty-a.txt"}));
        // Modified: earlier first.
        d->sortByColumn(4);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-a.txt", "readme.txt", "empty-b.txt"}));
        d->sortByColumn(0);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-a.txt", "empty-b.txt", "readme.txt"}));
        d->sortByColumn(1);
        QCOMPARE(column(m, 1),
                 QStringList({"\\Alpha\\docs\\empty-a.txt", "\\Alpha\\docs\\readme.txt",
                              "\\Alpha\\empty-b.txt", "\\Beta\\x\\y\\beta-file.txt"}));
        // A new search starts unsorted.
        search(d, "t");
        QCOMPARE(column(m, 0).first(), QStringLiteral("empty-b.txt"));
    }

    void sizeAndModifiedPutFoldersLast() {
        SearchWindow* d = open();
        search(d, "b");
        auto* m = d->results();
        QCOMPARE(column(m, 0), QStringList({"empty-b.txt", "sub", "Big.bin", "beta-file.txt"}));
        d->sortByColumn(2);
        QCOMPARE(column(m, 0), QStringList({"Big.bin", "beta-file.txt", "empty-b.txt", "sub"}));
        d->sortByColumn(4);
        QCOMPARE(column(m, 0), QStringList({"beta-file.txt", "empty-b.txt", "Big.bin", "sub"}));
        // A folder row: no size, no modified date, a created date.
        QCOMPARE(m->index(3, 2).data().toString(), QString());
        QCOMPARE(m->index(3, 4).data().toString(), QString());
        QVERIFY(!m->index(3, 3).data().toString().isEmpty());
    }

    void searchRunsOnTheWorkerAndStops() {
        writeManyHits(20000, "Alpha");
        SearchWindow* d = open();
        d->setAllStocks(true);
        d->setSearchText("hit");
        // Held at the hundredth folder, long before the limit.
        JobGate gate(*d->findChild<WorkRunner*>(), 100);
        d->startSearch();
        QVERIFY(d->searching());
        QVERIFY(!child<QLineEdit>(d, "searchTextEdit")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "startSearchButton")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "saveCsvButton")->isEnabled());
        QVERIFY(!child<QGroupBox>(d, "targetGroup")->isEnabled());
        QVERIFY(!child<QCheckBox>(d, "allStocksCheck")->isEnabled());
        QVERIFY(child<QPushButton>(d, "stopSearchButton")->isEnabled());
        d->close(); // refused while searching
        QVERIFY(d->isVisible() && w->searchWindow() == d);
        QVERIFY(gate.waitHeld());
        QTest::mouseClick(child<QPushButton>(d, "stopSearchButton"), Qt::LeftButton);
        gate.release();
        QTRY_VERIFY(!d->searching());
        QVERIFY(d->results()->rowCount() < kSearchResultLimit); // stopped early
        QVERIFY(child<QPushButton>(d, "startSearchButton")->isEnabled());
        QVERIFY(!child<QPushButton>(d, "stopSearchButton")->isEnabled());
    }

    // The window is released only after its search returned: toggled off
    // during a search, it stops the search and waits for it as it goes.
    void togglingOffDuringASearchStopsItFirst() {
        writeManyHits(20000, "Alpha");
        SearchWindow* d = open();
        const QPointer<SearchWindow> guard(d);
        d->setAllStocks(true);
        d->setSearchText("hit");
        JobGate gate(*d->findChild<WorkRunner*>(), 100); // released by the stop alone
        d->startSearch();
        QVERIFY(gate.waitHeld());
        QVERIFY(d->searching());
        child<QAction>(w.get(), "searchAction")->trigger();
        QVERIFY(!w->searchWindow() && !d->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void theLimitStopsTheSearchWithItsMessage() {
        std::vector<Item> many;
        for (int i = 0; i <= kSearchResultLimit; ++i)
            many.push_back({"a/hit" + std::to_string(i)});
        many.push_back({"b/hit"});
        writeStock(data->path(), "Many", many);
        data->writeStockList({"Many"});
        w->reloadStockList();
        SearchWindow* d = open();
        search(d, "hit");
        QCOMPARE((*dlgs)->shown.size(), size_t(1));
        QCOMPARE((*dlgs)->shown[0].text, QString::fromUtf8(kMessageLimitExceeded.data()));
        QCOMPARE(d->results()->rowCount(), kSearchResultLimit + 1);
    }

    void doubleClickJumpsIntoTheMainWindow() {
        SearchWindow* d = open();
        search(d, "i"); // Big.bin in Alpha, beta-file.txt in Beta
        auto* m = d->results();
        int big = -1, beta = -1;
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->row(r).cells.name == "Big.bin") big = r;
            if (m->row(r).cells.name == "beta-file.txt") beta = r;
        }
        QVERIFY(big >= 0 && beta >= 0);

        // Another stock: selected and opened, the file's folder selected.
        auto* view = child<QTableView>(d, "resultsView");
        view->selectRow(big);
        d->openSelectedResult();
        QVERIFY(waitIdle(*w));
        QCOMPARE(w->stockList()->selectedName(), std::string("Alpha"));
        QVERIFY(w->folderBrowser()->selectedFolder());
        QCOMPARE(w->folderBrowser()->selectedFolder()->name, std::string("sub"));

        // The open stock is not opened again (a change on disk stays unseen),
        // but the selection moves.
        writeStock(data->path(), "Alpha", {{"docs/sub/Big.bin"}, {"new/"}});
        w->folderBrowser()->selectFolder(w->folderBrowser()->tree().root(), false);
        view->clearSelection();
        const QPoint at = view->visualRect(m->index(big, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!w->busy());
        QCOMPARE(w->folderBrowser()->tree().root()->children.size(), size_t(1));
        QCOMPARE(w->folderBrowser()->selectedFolder()->name, std::string("sub"));

        // A stock gone from the list meanwhile: no stock change, the path is
        // followed in the open stock as far as it goes.
        data->writeStockList({"Alpha", "Gone"});
        w->reloadStockList();
        view->selectRow(beta);
        d->openSelectedResult();
        QVERIFY(!w->busy());
        QCOMPARE(w->stockList()->selectedName(), std::string("Alpha"));
        QCOMPARE(w->folderBrowser()->selectedFolder(), w->folderBrowser()->tree().root());
    }

    void savesCsvOrReportsTheFailure() {
        SearchWindow* d = open();
        search(d, "e");
        d->sortByColumn(2);
        const auto path = *data / "out.csv";
        (*dlgs)->saveAnswers.push_back(QString::fromStdString(path.string()));
        QTest::mouseClick(child<QPushButton>(d, "saveCsvButton"), Qt::LeftButton);
        QTRY_VERIFY(!d->searching()); // saved on the worker
        QCOMPARE((*dlgs)->saveTitles.value(0), QStringLiteral("検索結果をCSV形式で保存"));
        std::vector<ResultCells> cells;
        for (int i = 0; i < d->results()->rowCount(); ++i)
            cells.push_back(d->results()->cellsAt(i));
        QCOMPARE(test::readFile(path), resultsCsvBytes(cells));
        QVERIFY((*dlgs)->shown.empty());

        (*dlgs)->saveAnswers.push_back(QString::fromStdString((*data / "no/such/x.csv").string()));
        QTest::mouseClick(child<QPushButton>(d, "saveCsvButton"), Qt::LeftButton);
        QTRY_COMPARE(int((*dlgs)->shown.size()), 1);
        QCOMPARE((*dlgs)->shown[0].title, QStringLiteral("ERROR"));
        QCOMPARE((*dlgs)->shown[0].text, QStringLiteral("ファイルが開けません"));
        QVERIFY((*dlgs)->shown[0].icon == MsgIcon::Exclamation);

        // Only the folder of a save that succeeded is where the next one
        // starts; never a pseudo file system, nor a folder that is gone.
        const QString saved = QString::fromStdString(data->path().string());
        QCOMPARE(saveStartFolder(), saved);
        rememberSavedFile(QStringLiteral("/proc/nope.csv"));
        rememberSavedFile(QStringLiteral("/sys/kernel/x.csv"));
        QCOMPARE(saveStartFolder(), saved);
        const auto gone = data->path() / "gone";
        std::filesystem::create_directory(gone);
        rememberSavedFile(QString::fromStdString((gone / "a.csv").string()));
        std::filesystem::remove(gone);
        QCOMPARE(saveStartFolder(), QDir::homePath());
    }

    void opensBesideTheMainWindowAndKeepsItsCaptions() {
        // Right of the owner when there is room, else where it covers least.
        const QRect screen(0, 0, 1000, 700);
        QCOMPARE(placeBeside({100, 100, 300, 300}, {400, 300}, screen), QPoint(400, 100));
        QCOMPARE(placeBeside({550, 100, 300, 300}, {400, 300}, screen), QPoint(150, 100));
        QCOMPARE(placeBeside({0, 0, 1000, 300}, {400, 300}, screen), QPoint(0, 300));
        const QPoint squeezed = placeBeside({100, 100, 700, 500}, {500, 400}, screen);
        QCOMPARE(squeezed, QPoint(500, 100)); // pushed back onto the screen at the right

        // Shown at start-up (setting on): beside the main window, not over it.
        w.reset();
        Settings s;
        s.left = s.top = 0;
        s.width = s.height = 200;
        s.searchDialogShown = true;
        QVERIFY(saveSettingsFile(data->path(), s));
        w = makeWindow(data->path());
        QTRY_VERIFY(w->searchWindow() && w->searchWindow()->isVisible());
        SearchWindow* d = w->searchWindow();
        QVERIFY(!d->frameGeometry().intersects(w->frameGeometry()));

        // However small it is made, every caption above the list shows whole.
        d->resize(10, 10);
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        for (QGroupBox* g :
             {child<QGroupBox>(d, "targetGroup"), child<QGroupBox>(d, "methodGroup")})
            QVERIFY(g->width() >= g->minimumSizeHint().width());
    }

    void filtersAreHiddenUntilOpenedAndThenFillTheRequest() {
        SearchWindow* d = open();
        auto* results = child<QTableView>(d, "resultsView");
        auto* row = child<QWidget>(d, "filterRow");
        const QRect closed = results->geometry();
        QVERIFY(!row->isVisible());
        d->setMode(MatchMode::Wildcard);
        QCOMPARE(d->request().mode, MatchMode::Wildcard);
        child<QCheckBox>(d, "minSizeCheck")->setChecked(true);
        QVERIFY(!d->request().filters.any()); // hidden filters never apply

        QTest::mouseClick(child<QToolButton>(d, "filtersToggle"), Qt::LeftButton);
        QVERIFY(row->isVisible());
        QVERIFY(results->y() >= row->mapTo(d, QPoint(0, row->height())).y());
        child<QSpinBox>(d, "minSizeSpin")->setValue(2);
        QVERIFY(!child<QComboBox>(d, "maxSizeUnit")->isEnabled()); // off until checked
        child<QCheckBox>(d, "maxSizeCheck")->setChecked(true);
        child<QSpinBox>(d, "maxSizeSpin")->setValue(3);
        child<QComboBox>(d, "maxSizeUnit")->setCurrentIndex(1); // MB
        const QDate day(2024, 3, 10);
        for (const char* name : {"fromDate", "toDate"}) {
            child<QCheckBox>(d, (std::string(name) + "Check").c_str())->setChecked(true);
            child<QDateEdit>(d, (std::string(name) + "Edit").c_str())->setDate(day);
        }
        const SearchFilters f = d->request().filters;
        QCOMPARE(f.minSize, std::optional<uint64_t>(2048));
        QCOMPARE(f.maxSize, std::optional<uint64_t>(3 << 20));
        const auto midnight = [](QDate date) {
            return fileTimeFromUnix(QDateTime(date, QTime(0, 0)).toSecsSinceEpoch()).ticks;
        };
        QCOMPARE(f.modifiedFrom->ticks, midnight(day));
        QCOMPARE(f.modifiedBefore->ticks, midnight(day.addDays(1)));

        d->setFiltersShown(false);
        QCOMPARE(results->geometry(), closed);
        QVERIFY(!d->request().filters.any());
    }

    void closeBoxHidesAndTheMainWindowReleasesIt() {
        SearchWindow* d = open();
        const QPointer<SearchWindow> guard(d);
        QVERIFY(d->close());
        QVERIFY(!d->isVisible());
        QVERIFY(!w->searchWindow());
        QVERIFY(!child<QAction>(w.get(), "searchAction")->isChecked());
        QVERIFY(!child<QToolButton>(w.get(), "searchButton")->isChecked());
        QVERIFY(!w->settings().searchDialogShown);
        QVERIFY(!guard.isNull()); // not inside its own close handling
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
        // It can be opened again.
        QVERIFY(open());
    }
};

QTEST_MAIN(SearchWindowTest)
#include "searchwindow_test.moc"
