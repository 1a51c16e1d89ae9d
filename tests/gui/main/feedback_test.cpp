// The main window as a keyboard user meets it: the focus through jobs, the
// place after going up, the right press, and what the window says back (the
// status bar, disabled commands, a failed open).
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "testutil.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QToolButton>

using namespace zt;
using namespace zt::guitest;

namespace {

// Stocks a, b, c: each a top folder with top.txt (3 bytes) and a folder "sub" with two files.
void writeStocks(const TempDataDir& data) {
    for (const char* n : {"a", "b", "c"}) {
        test::StockBuilder s;
        FolderNode* root = s.root(n, {"top.txt"});
        root->firstFile->size = 3;
        s.add(root, "sub", {"x.txt", "y.txt"});
        QVERIFY(s.write(data.path(), n));
    }
    data.writeStockList({"a", "b", "c"});
}

QAbstractItemView* listOf(MainWindow& w) {
    return child<QAbstractItemView>(&w, "stockList");
}

QPoint rowCentre(QAbstractItemView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

class FeedbackTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dlg;
    std::unique_ptr<MainWindow> w;

  private slots:
    void initTestCase() { initWindowTests(); }
    void init() {
        data = std::make_unique<TempDataDir>();
        writeStocks(*data);
        dlg = std::make_unique<ScopedDialogs>();
        w = makeWindow(data->path());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() {
        w.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dlg.reset();
        data.reset();
    }

    void arrowsOpenEachStockAndTheKeysWorkAtOnce() {
        QAbstractItemView* list = listOf(*w);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 0));
        QVERIFY(waitIdle(*w));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        for (const char* next : {"b", "c"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QVERIFY(waitIdle(*w));
            QCOMPARE(w->folderBrowser()->tree().root()->name, std::string(next));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        }
        // Delete right after: the box asks about the stock just opened.
        (*dlg)->messageAnswers.push_back(MsgResult::Cancel);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(int((*dlg)->shown.size()), 1);
        QVERIFY((*dlg)->shown[0].text.contains(QStringLiteral(" c ")));
    }

    void goingUpMakesTheFolderLeftCurrent() {
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        FolderBrowserPane* f = w->folderBrowser();
        const FolderNode* sub = f->tree().root()->children.at(0);
        f->selectFolder(sub, true);
        auto* contents = child<QAbstractItemView>(w.get(), "contentsView");
        contents->setFocus();
        QTest::keyClick(contents, Qt::Key_Backspace);
        QCOMPARE(f->selectedFolder(), f->tree().root());
        const FolderBrowserPane::ItemPath item = f->selectedItemPath().value();
        QCOMPARE(item.parts, std::vector<std::string>{"sub"});
        QVERIFY(item.isFolder);
    }

    void aRightPressKeepsTheOpenStockSelected() {
        QAbstractItemView* list = listOf(*w);
        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, rowCentre(list, 2));
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, rowCentre(list, 2));
        QCOMPARE(w->stockList()->selectedName(), std::string("a"));
        QVERIFY(!w->busy());

        // Deleting another stock (selected with the list's own keys while a
        // job held the open one back) leaves the open one shown and selected.
        w->stockList()->selectRow(2);
        child<QAction>(w.get(), "deleteStockAction")->trigger();
        QCOMPARE(texts(w->stockList()->model()), QStringList({"a", "b"}));
        QCOMPARE(w->folderBrowser()->tree().root()->name, std::string("a"));
        QCOMPARE(w->stockList()->selectedName(), std::string("a"));
        QCOMPARE(w->lastSaid(), QStringLiteral("削除しました: c"));
    }

    void theStatusBarAndDisabledCommandsTellTheState() {
        const auto enabled = [this](const char* name) {
            return child<QObject>(w.get(), name)->property("enabled").toBool();
        };
        // Nothing selected: nothing to read, export, delete or go up from.
        for (const char* name :
             {"captureButton", "captureAction", "exportButton", "exportNamesAction", "deleteButton",
              "renameStockAction", "updateStockAction", "upButton"})
            QVERIFY2(!enabled(name), name);
        auto* counts = child<QLabel>(w.get(), "countsLabel");
        QCOMPARE(counts->text(), QString());

        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        for (const char* name : {"exportButton", "deleteButton", "renameStockAction"})
            QVERIFY2(enabled(name), name);
        QVERIFY(!enabled("upButton")); // at the top
        QCOMPARE(counts->text(), QStringLiteral("a: フォルダ 1、ファイル 3、3 バイト"));
        w->folderBrowser()->selectFolder(w->folderBrowser()->tree().root()->children.at(0), true);
        QVERIFY(enabled("upButton"));
        QVERIFY(
            counts->text().endsWith(QStringLiteral("｜　sub: フォルダ 0、ファイル 2、0 バイト")));

        // A capture says what it read.
        std::filesystem::create_directory(data->path().parent_path() / "src-dir");
        test::writeFile(data->path().parent_path() / "src-dir" / "one.txt", "1");
        w->sources()->setChosenFolder((data->path().parent_path() / "src-dir").string());
        QVERIFY(enabled("captureButton"));
        child<QToolButton>(w.get(), "captureButton")->click();
        QVERIFY(waitIdle(*w));
        QVERIFY2((*dlg)->shown.empty(),
                 qPrintable((*dlg)->shown.empty() ? QString() : (*dlg)->shown[0].text));
        QVERIFY2(w->lastSaid().startsWith(QStringLiteral("読み出しました: ")) &&
                     w->lastSaid().endsWith(QStringLiteral(" (1 ファイル)")),
                 qPrintable(w->lastSaid()));
    }

    void aFailedOpenOnTheDesktopIsSaid() {
        // The stock's source is this test's folder: its item is "there".
        const auto src = data->path().parent_path() / "medium";
        std::filesystem::create_directory(src);
        test::writeFile(src / "doc.txt", "d");
        w->sources()->setChosenFolder(src.string());
        child<QToolButton>(w.get(), "captureButton")->click();
        QVERIFY(waitIdle(*w));
        auto* contents = child<QAbstractItemView>(w.get(), "contentsView");
        contents->setCurrentIndex(contents->model()->index(0, 0));
        (*dlg)->desktopOpens = false;
        child<QAction>(w.get(), "openOnMediumAction")->trigger();
        QCOMPARE(int((*dlg)->shown.size()), 1);
        QVERIFY((*dlg)->shown[0].text.startsWith(QStringLiteral("開けませんでした: ")));
        QVERIFY((*dlg)->shown[0].text.endsWith(QStringLiteral("doc.txt")));
        QVERIFY(!(*dlg)->shown[0].detail.isEmpty());
    }
};

QTEST_MAIN(FeedbackTest)
#include "feedback_test.moc"
