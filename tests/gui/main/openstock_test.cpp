// Opening a stock in the main window: the progress dialog, cancel, a missing
// stock file, the release of the previous stock.
#include "gui/common/indexbuilder.h"
#include "gui/common/progressdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/folders/foldertreemodel.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/indexstore.h"
#include "testutil.h"

#include <QAbstractItemModel>
#include <QApplication>
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
using namespace zt::guitest;

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

// Opens the stock of a row as a click does, and waits until it is open.
void clickStock(MainWindow& w, int row) {
    w.stockList()->selectRow(row);
    w.openSelectedStock();
    QVERIFY(waitIdle(w));
}

// Notes what the progress dialog looks like when it shows.
class ShowWatch : public QObject {
  public:
    ShowWatch() { qApp->installEventFilter(this); }
    ~ShowWatch() override { qApp->removeEventFilter(this); }
    int maximum = -1;
    bool pathHidden = false, cancelUsable = false;
    QString title;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* d = qobject_cast<ProgressDialog*>(o);
        if (!d || e->type() != QEvent::Show) return false;
        maximum = d->maximum();
        pathHidden = child<QWidget>(d, "progressPath")->isHidden();
        cancelUsable = d->isEnabled() && !child<QWidget>(d, "progressCancel")->isHidden();
        title = d->windowTitle();
        return false;
    }
};

QAbstractItemView* folderView(const MainWindow& w) {
    return child<QAbstractItemView>(&w, "folderTree");
}

int contentsRows(const MainWindow& w) {
    return child<QAbstractItemView>(&w, "contentsView")->model()->rowCount();
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
        auto w = makeWindow(data.path());

        // The dialog shows once the header said how many folders follow.
        ShowWatch watch;
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(!w->isEnabled());
        QVERIFY(waitIdle(*w));
        QCOMPARE(watch.maximum, 8);
        QVERIFY(watch.pathHidden && watch.cancelUsable);
        QCOMPARE(watch.title, QStringLiteral("処理中"));
        QVERIFY(w->isEnabled());
        QCOMPARE(w->findChild<ProgressDialog*>(), nullptr);

        const FolderTree& tree = w->folderBrowser()->tree();
        QVERIFY(tree.root());
        QCOMPARE(tree.root()->name, std::string("Disc"));
        QCOMPARE(childTexts(tree.root()), (QStringList{"a", "A", "b", "B"}));
        QCOMPARE(w->folderBrowser()->selectedFolder(), tree.root());
        auto* model = qobject_cast<FolderTreeModel*>(folderView(*w)->model());
        QCOMPARE(model->selectedNode(), tree.root());
        QCOMPARE(folderView(*w)->currentIndex(), model->indexOf(tree.root()));
        QCOMPARE(int(tree.nodeCount()), 9);
        QCOMPARE(w->stockList()->selectedName(), std::string("Disc"));
        QVERIFY(dlg->shown.empty());
        // The root's contents are shown: four folders and the file.
        QCOMPARE(contentsRows(*w), 5);
    }

    void cancelInTheMiddleDiscardsTheTree() {
        TempDataDir data;
        writeStock(data.path(), "Big", {"x"}, 100000);
        data.writeStockList({"Big"});
        QVERIFY(buildIndex(data.path(), "Big")); // the window has none to build
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());

        // Held at the thousandth folder: with the index builder held off, the
        // job polls once a folder.
        QVERIFY(w->indexBuilder()->holdOff({}));
        JobGate gate(runnerOf(*w), 1000);
        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(gate.waitHeld());
        auto* d = w->findChild<ProgressDialog*>();
        QVERIFY(d && d->isVisible());
        const int maximum = d->maximum();
        QTest::mouseClick(child<QWidget>(d, "progressCancel"), Qt::LeftButton);
        const int clickedAt = d->value();
        gate.release();
        QVERIFY(waitIdle(*w));

        QVERIFY2(clickedAt > 0 && clickedAt < maximum, qPrintable(QString::number(clickedAt)));
        QVERIFY(w->folderBrowser()->tree().empty());
        QCOMPARE(folderView(*w)->model()->rowCount(), 0);
        QCOMPARE(w->folderBrowser()->selectedFolder(), nullptr);
        QCOMPARE(w->stockList()->selectedRow(), -1);
        QCOMPARE(contentsRows(*w), 0);
        QVERIFY(w->isEnabled());
        QCOMPARE(w->findChild<ProgressDialog*>(), nullptr);

        // The same stock opens fully afterwards: the flag is cleared for each load.
        clickStock(*w, 0);
        QCOMPARE(w->folderBrowser()->tree().folderCount(), 100001);
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
        auto w = makeWindow(data.path());
        clickStock(*w, 0);
        QVERIFY(!w->folderBrowser()->tree().empty());
        QCOMPARE(contentsRows(*w), 2);

        clickStock(*w, 1);
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].title, QStringLiteral("警告"));
        const QString gone = QString::fromStdString((data.path() / "Gone.dat").string());
        QCOMPARE(dlg->shown[0].text, QStringLiteral("ファイル %1 は開けません").arg(gone));
        QVERIFY(w->folderBrowser()->tree().empty());
        QCOMPARE(w->folderBrowser()->selectedFolder(), nullptr);
        QCOMPARE(w->stockList()->selectedName(), std::string());
        QCOMPARE(contentsRows(*w), 0);
        QVERIFY(w->isEnabled());

        // A name of the program's own files, or one that leads out of Data or
        // into a subfolder, is shown but never read as a stock.
        QCOMPARE(texts(w->stockList()->model()).value(3), QStringLiteral("../x"));
        for (int row : {2, 3, 4}) {
            clickStock(*w, row);
            QCOMPARE(dlg->shown.size(), size_t(row));
            QVERIFY(dlg->shown.back().text.startsWith(QStringLiteral("ストック名 ")));
            QVERIFY(w->folderBrowser()->tree().empty());
            QCOMPARE(w->stockList()->selectedName(), std::string());
        }
    }

    void onlyTheLastStockStaysAlive() {
        TempDataDir data;
        writeStock(data.path(), "One", {"a", "b"}, 2);      // 1 + 2 + 4 folders
        writeStock(data.path(), "Two", {"p", "q", "r"}, 1); // 1 + 3 + 3 folders
        data.writeStockList({"One", "Two"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const FolderTree& tree = w->folderBrowser()->tree();
        clickStock(*w, 0);
        QCOMPARE(int(tree.nodeCount()), 7);
        clickStock(*w, 1);
        QCOMPARE(int(tree.nodeCount()), 7);
        QCOMPARE(tree.root()->name, std::string("Two"));
        clickStock(*w, 0);
        QCOMPARE(tree.root()->name, std::string("One"));
        QCOMPARE(int(tree.nodeCount()), 7);
    }

    void keyboardMovesOpenTheStockButProgramChangesDoNot() {
        TempDataDir data;
        writeStock(data.path(), "One", {"a"});
        writeStock(data.path(), "Two", {"p", "q"});
        data.writeStockList({"One", "Two"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const FolderTree& tree = w->folderBrowser()->tree();
        w->stockList()->selectRow(0);
        w->stockList()->selectRow(1);
        QVERIFY(tree.empty());

        auto* list = child<QAbstractItemView>(w.get(), "stockList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
        QVERIFY(waitIdle(*w));
        QCOMPARE(w->stockList()->selectedRow(), 0);
        QVERIFY(tree.root());
        QCOMPARE(tree.root()->name, std::string("One"));
        // Moving the selection by program (as reordering does) opens nothing.
        w->stockList()->selectRow(1);
        QVERIFY(!w->busy());
        QCOMPARE(tree.root()->name, std::string("One"));
    }

    void selectingAFolderMovesTheOpenImage() {
        TempDataDir data;
        writeStock(data.path(), "Disc", {"a", "b"});
        data.writeStockList({"Disc"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        clickStock(*w, 0);
        FolderBrowserPane* pane = w->folderBrowser();
        auto* model = qobject_cast<FolderTreeModel*>(folderView(*w)->model());
        const FolderNode* b = pane->tree().root()->children[1];
        pane->selectFolder(b, true);
        QCOMPARE(pane->selectedFolder(), b);
        QCOMPARE(model->selectedNode(), b);
        pane->selectFolder(nullptr, false);
        QCOMPARE(pane->selectedFolder(), nullptr);
        QCOMPARE(model->selectedNode(), nullptr);
    }

    void aClickOnTheEmptyPartOfTheTreeKeepsTheSelection() {
        TempDataDir data;
        writeStock(data.path(), "Disc", {"a"});
        data.writeStockList({"Disc"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        clickStock(*w, 0);
        const FolderNode* root = w->folderBrowser()->tree().root();
        QCOMPARE(w->folderBrowser()->selectedFolder(), root);
        QAbstractItemView* view = folderView(*w);
        const QPoint below(5, view->viewport()->height() - 5);
        QVERIFY(!view->indexAt(below).isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(w->folderBrowser()->selectedFolder(), root);
    }
};

QTEST_MAIN(OpenStockTest)
#include "openstock_test.moc"
