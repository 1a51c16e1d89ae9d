// Opening a stock in the main window: the progress dialog, cancel, a missing
// stock file, the release of the previous stock.
#include "browser/ui/tform1.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "catalogue/ui/foldertreemodel.h"
#include "testutil.h"
#include "ui/uitestutil.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

using namespace zt;
using namespace zt::uitest;

namespace {

// Writes Data/<name>.dat: a root file and the given top folders, each holding
// `sub` subfolders.
void writeStock(const std::filesystem::path& data, const std::string& name,
                const std::vector<std::string>& top, int sub = 0) {
    test::StockBuilder s;
    FolderNode* root = s.root(name, {"readme.txt"});
    for (const auto& t : top) {
        FolderNode* n = s.add(root, t);
        for (int i = 0; i < sub; ++i)
            s.add(n, "s" + std::to_string(i));
    }
    QVERIFY(s.write(data, name));
}

QStringList childTexts(const FolderNode* n) {
    QStringList out;
    for (const FolderNode* c : n->children)
        out << QString::fromStdString(c->name);
    return out;
}

void clickStock(TForm1& w, int row) {
    w.StockDataList->setCurrentRow(row);
    w.StockDataListClick();
}

// Runs check on every pass of the event loop while the progress dialog exists
// (the load lets pending messages run between folders).
void whileDialogShows(TForm1& w, std::function<void(TProgressDialog&)> check) {
    auto* timer = new QTimer(&w);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &w, [&w, timer, check] {
        if (auto* d = w.findChild<TProgressDialog*>())
            check(*d);
        else
            timer->deleteLater();
    });
    timer->start();
}

} // namespace

class OpenStockTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void opensSortedWithTheRootSelected() {
        TempDataDir data;
        writeStock(data.path(), "Disc", {"B", "b", "A", "a"}, 1);
        data.writeStockList({"Other", "Disc"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());

        int maximum = -1;
        bool windowDisabled = false, label2Hidden = false, cancelUsable = false;
        QString caption;
        whileDialogShows(*w, [&](TProgressDialog& d) {
            maximum = d.ProgressBar1->maximum();
            windowDisabled = !w->isEnabled();
            label2Hidden = d.Label2->isHidden();
            cancelUsable = d.Button1->isEnabled() && d.isEnabled();
            caption = d.windowTitle();
        });
        clickStock(*w, 1);

        QCOMPARE(maximum, 8);
        QVERIFY(windowDisabled);
        QVERIFY(label2Hidden);
        QVERIFY(cancelUsable);
        QCOMPARE(caption, QStringLiteral("処理中"));
        QVERIFY(w->isEnabled());
        QCOMPARE(w->progressDlg, nullptr);
        QCOMPARE(w->findChild<TProgressDialog*>(), nullptr);

        QVERIFY(w->tree.root());
        QCOMPARE(w->tree.root()->name, std::string("Disc"));
        QCOMPARE(childTexts(w->tree.root()), (QStringList{"a", "A", "b", "B"}));
        QCOMPARE(w->selectedNode(), w->tree.root());
        QCOMPARE(w->treeModel->selectedNode(), w->tree.root());
        QCOMPARE(w->TreeView1->currentIndex(), w->treeModel->indexOf(w->tree.root()));
        QCOMPARE(w->stockFileVersion, kStockFormatMark);
        QCOMPARE(int(w->tree.nodeCount()), 9);
        QCOMPARE(w->selectedStockName(), std::string("Disc"));
        QVERIFY(dlg->shown.empty());
        // The root's contents are shown: four folders and the file.
        QCOMPARE(w->ListView1->model()->rowCount(), 5);
    }

    void cancelInTheMiddleDiscardsTheTree() {
        TempDataDir data;
        writeStock(data.path(), "Big", {"x"}, 100000);
        data.writeStockList({"Big"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());

        int clickedAt = -1, maximum = -1;
        whileDialogShows(*w, [&](TProgressDialog& d) {
            if (clickedAt < 0 && d.ProgressBar1->value() > 0) {
                clickedAt = d.ProgressBar1->value();
                maximum = d.ProgressBar1->maximum();
                d.Button1->click();
            }
        });
        clickStock(*w, 0);

        QVERIFY2(clickedAt > 0 && clickedAt < maximum, qPrintable(QString::number(clickedAt)));
        QVERIFY(w->cancelFlag);
        QVERIFY(w->tree.empty());
        QVERIFY(w->tree.empty());
        QCOMPARE(w->treeModel->rowCount(), 0);
        QCOMPARE(w->selectedNode(), nullptr);
        QCOMPARE(w->StockDataList->currentRow(), -1);
        QVERIFY(w->StockDataList->selectedItems().isEmpty());
        QCOMPARE(w->ListView1->model()->rowCount(), 0);
        QVERIFY(w->isEnabled());
        QCOMPARE(w->findChild<TProgressDialog*>(), nullptr);

        // The same stock opens fully afterwards: the flag is cleared for each load.
        clickStock(*w, 0);
        QCOMPARE(w->tree.folderCount(), 100001);
    }

    void aStockFileThatCannotBeOpenedIsReported() {
        TempDataDir data;
        writeStock(data.path(), "Here", {"f"});
        data.writeStockList({"Here", "Gone", "StockList", "../x", "a/b"});
        // Stock files where the unsafe names would lead: never to be read.
        writeStock(data.path().parent_path(), "x", {"outside"});
        std::filesystem::create_directory(data / "a");
        writeStock(data / "a", "b", {"inside"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        clickStock(*w, 0);
        QVERIFY(!w->tree.empty());
        QCOMPARE(w->ListView1->model()->rowCount(), 2);

        clickStock(*w, 1);
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].title, QStringLiteral("警告"));
        const QString gone = QString::fromStdString((data.path() / "Gone.dat").string());
        QCOMPARE(dlg->shown[0].text, QStringLiteral("ファイル %1 は開けません").arg(gone));
        QVERIFY(w->tree.empty());
        QVERIFY(w->tree.empty());
        QCOMPARE(w->selectedNode(), nullptr);
        QCOMPARE(w->selectedStockName(), std::string());
        QCOMPARE(w->ListView1->model()->rowCount(), 0);
        QVERIFY(w->isEnabled());

        // A name of the program's own files, or one that leads out of Data or
        // into a subfolder, is shown but never read as a stock.
        QCOMPARE(w->StockDataList->item(3)->text(), QStringLiteral("../x"));
        for (int row : {2, 3, 4}) {
            clickStock(*w, row);
            QCOMPARE(dlg->shown.size(), size_t(row));
            QVERIFY(dlg->shown.back().text.startsWith(QStringLiteral("ストック名 ")));
            QVERIFY(w->tree.empty());
            QCOMPARE(w->selectedStockName(), std::string());
        }
    }

    void onlyTheLastStocksListsStayAlive() {
        TempDataDir data;
        writeStock(data.path(), "One", {"a", "b"}, 2);      // 1 + 2 + 4 lists
        writeStock(data.path(), "Two", {"p", "q", "r"}, 1); // 1 + 3 + 3 lists
        data.writeStockList({"One", "Two"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        clickStock(*w, 0);
        QCOMPARE(int(w->tree.nodeCount()), 7);
        clickStock(*w, 1);
        QCOMPARE(int(w->tree.nodeCount()), 7);
        QCOMPARE(int(w->tree.nodeCount()), 7);
        QCOMPARE(w->tree.root()->name, std::string("Two"));
        clickStock(*w, 0);
        QCOMPARE(w->tree.root()->name, std::string("One"));
        QCOMPARE(int(w->tree.nodeCount()), 7);
    }

    void keyboardMovesOpenTheStockButProgramChangesDoNot() {
        TempDataDir data;
        writeStock(data.path(), "One", {"a"});
        writeStock(data.path(), "Two", {"p", "q"});
        data.writeStockList({"One", "Two"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        w->StockDataList->setCurrentRow(0);
        w->StockDataList->setCurrentRow(1);
        QVERIFY(w->tree.empty());

        w->StockDataList->setFocus();
        QTest::keyClick(w->StockDataList, Qt::Key_Up);
        QCOMPARE(w->StockDataList->currentRow(), 0);
        QVERIFY(w->tree.root());
        QCOMPARE(w->tree.root()->name, std::string("One"));
        // Moving an item by program (as reordering does) opens nothing.
        w->StockDataList->setCurrentRow(1);
        QCOMPARE(w->tree.root()->name, std::string("One"));
    }

    void selectingAFolderMovesTheOpenImage() {
        TempDataDir data;
        writeStock(data.path(), "Disc", {"a", "b"});
        data.writeStockList({"Disc"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        clickStock(*w, 0);
        FolderNode* b = w->tree.root()->children[1];
        w->selectNode(b, true);
        QCOMPARE(w->selectedNode(), b);
        QCOMPARE(w->treeModel->selectedNode(), b);
        w->selectNode(nullptr, false);
        QCOMPARE(w->selectedNode(), nullptr);
        QCOMPARE(w->treeModel->selectedNode(), nullptr);
    }

    void aClickOnTheEmptyPartOfTheTreeKeepsTheSelection() {
        TempDataDir data;
        writeStock(data.path(), "Disc", {"a"});
        data.writeStockList({"Disc"});
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        clickStock(*w, 0);
        FolderNode* root = w->tree.root();
        QCOMPARE(w->selectedNode(), root);
        const QPoint below(5, w->TreeView1->viewport()->height() - 5);
        QVERIFY(!w->TreeView1->indexAt(below).isValid());
        QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(w->selectedNode(), root);
    }
};

QTEST_MAIN(OpenStockTest)
#include "openstock_test.moc"
