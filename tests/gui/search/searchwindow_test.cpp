// The search window: its controls, validation, a search with the window
// responsive, sorting, the jump into the main window, CSV and closing.
#include "library/names.h"
#include "browser/ui/tform1.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "search/csv.h"
#include "search/ui/resultsmodel.h"
#include "search/ui/searchdlg.h"
#include "settings/settings.h"
#include "testutil.h"
#include "ui/uitestutil.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <sstream>

using namespace zt;
using namespace zt::uitest;

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

class SearchDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dlgs;
    std::unique_ptr<TForm1> form;

    TSearchDlg* open() {
        form->MenuSearch->trigger();
        return form->searchDlg;
    }
    void search(TSearchDlg* d, const QString& text, bool all = true) {
        d->CB_AllStock->setChecked(all);
        d->Edit1->setText(text);
        QTest::mouseClick(d->Button1, Qt::LeftButton);
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
        form = makeForm(data->path());
    }
    void cleanup() {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dlgs.reset();
        data.reset();
    }

    void opensWithItsControlsAndFollowsTheToggle() {
        TSearchDlg* d = open();
        QVERIFY(d && d->isVisible());
        QVERIFY(form->MenuSearch->isChecked() && form->ToolButtonSearch->isChecked());
        QVERIFY(form->settings.searchDialogShown);
        QCOMPARE(d->windowTitle(), QStringLiteral("検索"));
        QCOMPARE(d->ListBox1->count(), 3);
        QCOMPARE(d->ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!d->CB_AllStock->isChecked() && d->CB_DoingState->isChecked());
        QVERIFY(!d->CB_SLWord->isChecked());
        QVERIFY(d->Button1->isDefault() && !d->Button2->isEnabled() && d->Button3->isEnabled());
        QCOMPARE(d->Button3->text(), QStringLiteral("結果をCSV形式で保存"));
        QCOMPARE(d->targetButtons->checkedId(), 0);
        QCOMPARE(d->methodButtons->checkedId(), 0);
        QCOMPARE(d->methodButtons->button(3)->text(), QStringLiteral("後方一致"));
        QCOMPARE(d->DoingStateLabel->text(), QString());
        QStringList headers;
        for (int c = 0; c < 5; ++c)
            headers << d->results()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(headers, QStringList({"名前", "パス", "サイズ", "作成日時", "更新日時"}));

        // The copy of the stock list follows the main list's selection.
        form->StockDataList->setCurrentRow(1);
        form->RefreshSearchStockList();
        QCOMPARE(d->ListBox1->selectedItems().size(), 1);
        QCOMPARE(d->ListBox1->selectedItems().first()->text(), QStringLiteral("Beta"));
        QTest::mouseClick(d->CB_AllStock, Qt::LeftButton);
        QVERIFY(!d->ListBox1->isEnabled() && !d->Label3->isEnabled());

        // Toggling off destroys it once the events have run.
        const QPointer<TSearchDlg> guard(d);
        form->ToolButtonSearch->click();
        QVERIFY(!form->searchDlg && !form->MenuSearch->isChecked());
        QVERIFY(!form->ToolButtonSearch->isChecked() && !form->settings.searchDialogShown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void validatesStocksBeforeText() {
        TSearchDlg* d = open();
        d->Edit1->clear();
        d->ListBox1->clearSelection();
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        d->ListBox1->item(0)->setSelected(true);
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        QCOMPARE(int((*dlgs)->shown.size()), 2);
        QCOMPARE((*dlgs)->shown[0].text,
                 QStringLiteral("検索対象のストックデータが選ばれていません"));
        QCOMPARE((*dlgs)->shown[1].text, QStringLiteral("検索文字列が空欄です"));
        QCOMPARE((*dlgs)->shown[1].title, QStringLiteral("警告"));
    }

    void searchesChosenStocksAndNamesUnreadableOnes() {
        TSearchDlg* d = open();
        d->ListBox1->item(1)->setSelected(true);
        search(d, "E", false);
        QCOMPARE(column(d->results(), 1), QStringList({"\\Beta\\x\\y\\beta-file.txt"}));
        search(d, "e");
        QCOMPARE(column(d->results(), 1),
                 QStringList({"\\Alpha\\empty-b.txt", "\\Alpha\\docs\\readme.txt",
                              "\\Alpha\\docs\\empty-a.txt", "\\Beta\\x\\y\\beta-file.txt"}));
        QVERIFY(d->DoingStateLabel->isVisible());
        QVERIFY(d->DoingStateLabel->text().contains("Gone"));
        QVERIFY(d->Edit1->isEnabled() && d->Button1->isEnabled() && !d->Button2->isEnabled());
        QCOMPARE(d->results()->index(2, 2).data().toString(), QStringLiteral("0KB"));
        QCOMPARE(d->results()->index(1, 2).data().toString(), QStringLiteral("5KB"));
    }

    void sortsByEveryKeyStably() {
        TSearchDlg* d = open();
        search(d, "t");
        auto* m = d->results();
        QCOMPARE(column(m, 0),
                 QStringList({"empty-b.txt", "readme.txt", "empty-a.txt", "beta-file.txt"}));

        // Size: larger first, then the empty files in the order they had.
        QHeaderView* header = d->ListView1->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
        const QStringList bySize = {"readme.txt", "beta-file.txt", "empty-b.txt", "empty-a.txt"};
        QCOMPARE(column(m, 0), bySize);
        d->ListView1ColumnClick(2);
        QCOMPARE(column(m, 0), bySize);
        // Created: earlier first (equal times keep their order), no date last.
        d->ListView1ColumnClick(3);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-b.txt", "readme.txt", "empty-a.txt"}));
        // Modified: earlier first.
        d->ListView1ColumnClick(4);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-a.txt", "readme.txt", "empty-b.txt"}));
        d->ListView1ColumnClick(0);
        QCOMPARE(column(m, 0),
                 QStringList({"beta-file.txt", "empty-a.txt", "empty-b.txt", "readme.txt"}));
        d->ListView1ColumnClick(1);
        QCOMPARE(column(m, 1),
                 QStringList({"\\Alpha\\docs\\empty-a.txt", "\\Alpha\\docs\\readme.txt",
                              "\\Alpha\\empty-b.txt", "\\Beta\\x\\y\\beta-file.txt"}));
        // A new search starts unsorted.
        search(d, "t");
        QCOMPARE(column(m, 0).first(), QStringLiteral("empty-b.txt"));
    }

    void sizeAndModifiedPutFoldersLast() {
        TSearchDlg* d = open();
        search(d, "b");
        auto* m = d->results();
        QCOMPARE(column(m, 0), QStringList({"empty-b.txt", "sub", "Big.bin", "beta-file.txt"}));
        d->ListView1ColumnClick(2);
        QCOMPARE(column(m, 0), QStringList({"Big.bin", "beta-file.txt", "empty-b.txt", "sub"}));
        d->ListView1ColumnClick(4);
        QCOMPARE(column(m, 0), QStringList({"beta-file.txt", "empty-b.txt", "Big.bin", "sub"}));
        // A folder row: no size, no modified date, a created date.
        QCOMPARE(m->index(3, 2).data().toString(), QString());
        QCOMPARE(m->index(3, 4).data().toString(), QString());
        QVERIFY(!m->index(3, 3).data().toString().isEmpty());
    }

    void searchRunsWithTheWindowResponsiveAndStops() {
        std::vector<Item> many;
        for (int i = 0; i < 400; ++i)
            many.push_back({"f" + std::to_string(i) + "/hit" + std::to_string(i)});
        writeStock(data->path(), "Many", many);
        data->writeStockList({"Many", "Alpha"});
        form->loadStockList();
        TSearchDlg* d = open();
        bool checked = false;
        QTimer::singleShot(0, d, [&] {
            checked = true;
            QVERIFY(d->searching());
            QVERIFY(!d->Edit1->isEnabled() && !d->Button1->isEnabled() && !d->Button3->isEnabled());
            QVERIFY(!d->RG_TargetKind->isEnabled() && !d->CB_AllStock->isEnabled());
            QVERIFY(d->Button2->isEnabled() && d->ListBox1->isEnabled());
            d->close(); // refused while searching
            QVERIFY(d->isVisible() && form->searchDlg == d);
            QTest::mouseClick(d->Button2, Qt::LeftButton);
        });
        search(d, "hit");
        QVERIFY(checked);
        QVERIFY(d->results()->rowCount() < 400); // stopped early, Alpha not searched
        QVERIFY(!d->searching() && d->Button1->isEnabled() && !d->Button2->isEnabled());
    }

    void togglingOffDuringASearchStopsItFirst() {
        std::vector<Item> many;
        for (int i = 0; i < 400; ++i)
            many.push_back({"f" + std::to_string(i) + "/hit"});
        writeStock(data->path(), "Many", many);
        data->writeStockList({"Many"});
        form->loadStockList();
        TSearchDlg* d = open();
        const QPointer<TSearchDlg> guard(d);
        QTimer::singleShot(0, form.get(), [&] { form->MenuSearch->trigger(); });
        search(d, "hit");
        QVERIFY(!form->searchDlg && !form->MenuSearch->isChecked());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void theMainWindowClosingWhileABoxIsUpReleasesTheDialogAfterwards() {
        std::vector<Item> many;
        for (int i = 0; i <= kSearchResultLimit; ++i)
            many.push_back({"a/hit" + std::to_string(i)});
        many.push_back({"b/hit"});
        writeStock(data->path(), "Many", many);
        data->writeStockList({"Many"});
        auto* boxes = new OwnedBoxDialogs;
        auto previous = setDialogService(std::unique_ptr<DialogService>(boxes));
        boxes->during = [this] {
            form->close(); // as a termination signal does
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        // The limit box during a search, then the save dialog.
        for (bool whileSearching : {true, false}) {
            form = makeForm(data->path());
            TSearchDlg* d = form->searchDlg ? form->searchDlg : open(); // open at the last exit
            QVERIFY(d);
            const QPointer<TSearchDlg> guard(d);
            if (whileSearching)
                search(d, "hit");
            else
                QTest::mouseClick(d->Button3, Qt::LeftButton);
            QVERIFY(guard && !d->isVisible() && !d->searching());
            QCOMPARE(boxes->shown.size(), size_t(1)); // the limit message
            QTRY_VERIFY(guard.isNull());
        }
        setDialogService(std::move(previous));
    }

    void doubleClickJumpsIntoTheMainWindow() {
        TSearchDlg* d = open();
        search(d, "i"); // Big.bin in Alpha, beta-file.txt in Beta
        auto* m = d->results();
        int big = -1, beta = -1;
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->row(r).cells.name == "Big.bin") big = r;
            if (m->row(r).cells.name == "beta-file.txt") beta = r;
        }
        QVERIFY(big >= 0 && beta >= 0);

        // Another stock: selected and opened, the file's folder selected.
        d->ListView1->selectRow(big);
        d->ListView1DblClick();
        QCOMPARE(form->selectedStockName(), std::string("Alpha"));
        QVERIFY(form->selectedNode());
        QCOMPARE(form->selectedNode()->name, std::string("sub"));

        // The open stock is not opened again (a change on disk stays unseen),
        // but the selection moves.
        writeStock(data->path(), "Alpha", {{"docs/sub/Big.bin"}, {"new/"}});
        form->selectNode(form->tree.root(), false);
        d->ListView1->clearSelection();
        const QModelIndex idx = m->index(big, 0);
        const QPoint at = d->ListView1->visualRect(idx).center();
        QTest::mouseClick(d->ListView1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(d->ListView1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(form->tree.root()->children.size(), size_t(1));
        QCOMPARE(form->selectedNode()->name, std::string("sub"));

        // A stock deleted from the list meanwhile: no stock change, the path is
        // followed in the open stock as far as it goes.
        delete form->StockDataList->takeItem(1);
        d->ListView1->selectRow(beta);
        d->ListView1DblClick();
        QCOMPARE(form->selectedStockName(), std::string("Alpha"));
        QCOMPARE(form->selectedNode(), form->tree.root());
    }

    void savesCsvOrReportsTheFailure() {
        TSearchDlg* d = open();
        search(d, "e");
        d->ListView1ColumnClick(2);
        const auto path = *data / "out.csv";
        (*dlgs)->saveAnswers.push_back(QString::fromStdString(path.string()));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
        QCOMPARE((*dlgs)->saveTitles.value(0), QStringLiteral("検索結果をCSV形式で保存"));
        const auto cells = d->results()->cellsInOrder();
        QCOMPARE(test::readFile(path), resultsCsvBytes(cells));
        QVERIFY((*dlgs)->shown.empty());

        (*dlgs)->saveAnswers.push_back(QString::fromStdString((*data / "no/such/x.csv").string()));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
        QCOMPARE(int((*dlgs)->shown.size()), 1);
        QCOMPARE((*dlgs)->shown[0].title, QStringLiteral("ERROR"));
        QCOMPARE((*dlgs)->shown[0].text, QStringLiteral("ファイルが開けません"));
        QVERIFY((*dlgs)->shown[0].icon == MsgIcon::Exclamation);
    }

    void opensBesideTheMainWindowAndKeepsItsCaptions() {
        // Right of the owner when there is room, else where it covers least.
        const QRect screen(0, 0, 1000, 700);
        QCOMPARE(PlaceBeside({100, 100, 300, 300}, {400, 300}, screen), QPoint(400, 100));
        QCOMPARE(PlaceBeside({550, 100, 300, 300}, {400, 300}, screen), QPoint(150, 100));
        QCOMPARE(PlaceBeside({0, 0, 1000, 300}, {400, 300}, screen), QPoint(0, 300));
        const QPoint squeezed = PlaceBeside({100, 100, 700, 500}, {500, 400}, screen);
        QCOMPARE(squeezed, QPoint(500, 100)); // pushed back onto the screen at the right

        // Shown at start-up (setting on): beside the main window, not over it.
        form.reset();
        Settings s;
        s.left = s.top = 0;
        s.width = s.height = 200;
        s.searchDialogShown = true;
        QVERIFY(saveSettingsFile(data->path(), s));
        form = makeForm(data->path());
        QTRY_VERIFY(form->searchDlg && form->searchDlg->isVisible());
        TSearchDlg* d = form->searchDlg;
        QVERIFY(!d->frameGeometry().intersects(form->frameGeometry()));

        // However small it is made, every caption above the list shows whole.
        d->resize(10, 10);
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        for (QGroupBox* g : {d->RG_TargetKind, d->RG_SearchKind})
            QVERIFY(g->width() >= g->minimumSizeHint().width());
    }

    void closeBoxHidesAndTheMainWindowReleasesIt() {
        TSearchDlg* d = open();
        const QPointer<TSearchDlg> guard(d);
        QVERIFY(d->close());
        QVERIFY(!d->isVisible());
        QVERIFY(!form->searchDlg);
        QVERIFY(!form->MenuSearch->isChecked() && !form->ToolButtonSearch->isChecked());
        QVERIFY(!form->settings.searchDialogShown);
        QVERIFY(!guard.isNull()); // not inside its own close handling
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
        // It can be opened again.
        QVERIFY(open());
    }
};

QTEST_MAIN(SearchDlgTest)
#include "searchdlg_test.moc"
