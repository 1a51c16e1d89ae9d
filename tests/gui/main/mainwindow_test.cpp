// The main window: start-up and shut-down, the resize rule, menus and tool bar.
#include "gui/common/flowtoolbar.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/termsignals.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/stocklibrary.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <filesystem>

using namespace zt;
using namespace zt::guitest;

namespace {

QStringList actionTexts(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QStringList stockNames(const MainWindow& w) {
    return texts(w.stockList()->model());
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void startsWithCaptionAndStocksInOrder() {
        TempDataDir data;
        data.writeStockList({"Zeta", "あいう", "Alpha", "D_2"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());

        QCOMPARE(w->windowTitle(), QStringLiteral("Zu Tomelark"));
        QCOMPARE(stockNames(*w), QStringList({"Zeta", "あいう", "Alpha", "D_2"}));
        QVERIFY(dlg->shown.empty());
        // Nothing is opened at start.
        QCOMPARE(w->stockList()->selectedRow(), -1);
    }

    void designBoundsAndPaneSizes() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QCOMPARE(w->size(), QSize(716, 466));
        QCOMPARE(w->stockList()->width(), 129);
        QCOMPARE(w->stockList()->height(), 100);
        QCOMPARE(w->folderBrowser()->folderTreeWidth(), 208);
        // The source pane's bottom strip: the one-line chosen folder over its
        // width, the browse and image buttons side by side under it.
        auto* folder = child<QWidget>(w.get(), "chosenFolderList");
        auto* browse = child<QWidget>(w.get(), "browseFolderButton");
        auto* images = child<QWidget>(w.get(), "imageFileButton");
        QCOMPARE(folder->parentWidget()->height(), 41);
        QCOMPARE(folder->width(), folder->parentWidget()->width());
        QCOMPARE(browse->width() + images->width(), folder->parentWidget()->width());
        QCOMPARE(images->x(), browse->width());
        QCOMPARE(images->y(), browse->y());
        QCOMPARE(folder->height(), 19);
        QCOMPARE(browse->y(), 20);
        QCOMPARE(browse->height(), 21);
    }

    void closingKeepsStocksAnotherProcessAdded() {
        TempDataDir data;
        data.writeStockList({"C", "D"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        data.writeStockList({"C", "D", "新しい"}); // a capture made by the command line
        QVERIFY(w->close());
        QCOMPARE(data.readStockList(), (std::vector<std::string>{"C", "D", "新しい"}));
        w.reset();
        QVERIFY(dlg->shown.empty());
    }

    void sigtermClosesAndSavesTheSettings() {
        TempDataDir data;
        data.writeStockList({"A"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        closeOnTerminationSignals(w.get());
        std::filesystem::remove(data / "Setting.dat");
        data.writeStockList({"A", "B"});
        std::raise(SIGTERM);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        QCOMPARE(data.readStockList(), (std::vector<std::string>{"A", "B"}));
        closeOnTerminationSignals(nullptr);
    }

    void sigtermEndsAnOpenModalDialogFirst() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        closeOnTerminationSignals(w.get());
        std::filesystem::remove(data / "Setting.dat");
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        QDialog modal(w.get());
        QCOMPARE(modal.exec(), int(QDialog::Rejected)); // would wait for the user without the fix
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        closeOnTerminationSignals(nullptr);
    }

    void sigtermDuringAStartUpWarningEndsItAndClosesTheWindow() {
        TempDataDir data;
        std::filesystem::remove(data / "StockList.dat"); // start-up warns
        std::filesystem::remove(data / "Setting.dat");
        auto* boxes = new OwnedBoxDialogs;
        auto previous = setDialogService(std::unique_ptr<DialogService>(boxes));
        bool boxEnded = false;
        boxes->during = [&] {
            QDialog box; // waits for the user, as the program's own boxes do
            QTimer::singleShot(0, [] { std::raise(SIGTERM); });
            box.exec();
            boxEnded = true;
        };
        MainWindow w(data.path());
        closeOnTerminationSignals(&w);
        w.startUp();
        QCoreApplication::sendPostedEvents();
        QVERIFY(boxEnded);
        QVERIFY(w.isShutDown());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        closeOnTerminationSignals(nullptr);
        setDialogService(std::move(previous));
    }

    void aFailedSaveAtASignalGoesToStandardErrorWithoutABox() {
        TempDataDir data;
        std::filesystem::remove(data / "Setting.dat");
        std::filesystem::create_directory(data / "Setting.dat"); // cannot be replaced
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        closeOnTerminationSignals(w.get());
        std::raise(SIGTERM);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(w->shutDownFailed());
        QVERIFY(dlg->shown.empty());
        closeOnTerminationSignals(nullptr);
    }

    void closeDuringLongWorkStopsItAndClosesOnceItEnded() {
        // A close (the close box, or a termination signal) while a stock opens
        // stops the work; the window closes and saves once the worker ended.
        TempDataDir data;
        test::StockBuilder big;
        FolderNode* root = big.root("Big");
        for (int i = 0; i < 2000; ++i)
            big.add(root, "d" + std::to_string(i));
        QVERIFY(big.write(data.path(), "Big"));
        data.writeStockList({"Big"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        closeOnTerminationSignals(w.get());
        std::filesystem::remove(data / "Setting.dat");
        // Held in the middle until the close cancels it (one poll a folder
        // with the index builder held off).
        QVERIFY(w->indexBuilder()->holdOff({}));
        JobGate gate(runnerOf(*w), 1000);
        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(gate.waitHeld());
        QVERIFY(w->busy() && !w->isEnabled());
        std::raise(SIGTERM);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!w->busy());
        QVERIFY(w->folderBrowser()->tree().empty());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        QVERIFY(dlg->shown.empty());
        closeOnTerminationSignals(nullptr);
    }

    void missingStockListIsReported() {
        TempDataDir data;
        std::filesystem::remove(data / "StockList.dat");
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QCOMPARE(w->stockList()->count(), 0);
        QCOMPARE(dlg->shown.size(), size_t(1));
        const auto& box = dlg->shown.front();
        QCOMPARE(box.title, QStringLiteral("警告"));
        const QString path = QString::fromStdString((data / "StockList.dat").string());
        QCOMPARE(box.text, QStringLiteral("ファイル %1 は開けません").arg(path));
        QCOMPARE(box.buttons, MsgButtons::Ok);
    }

    void resizeRuleFollowsToolBarRows() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QWidget* client = w->centralWidget();
        auto* bar = child<FlowToolBar>(w.get(), "toolBar");
        auto* frame = child<QWidget>(w.get(), "paneFrame");

        QCOMPARE(bar->rows(), 1);
        QCOMPARE(bar->height(), 49);
        QCOMPARE(frame->geometry(), QRect(5, 59, client->width() - 10, client->height() - 59 - 5));

        w->resize(320, 400);
        QTRY_COMPARE(bar->rows(), 2);
        QCOMPARE(bar->height(), 98);
        QCOMPARE(frame->y(), 108);
        QCOMPARE(frame->x(), 5);
        QCOMPARE(frame->width(), client->width() - 10);
        QCOMPARE(frame->height(), client->height() - 108 - 5);
        // Every button stays inside the bar.
        for (auto* b : bar->findChildren<QToolButton*>())
            QVERIFY(bar->rect().contains(b->geometry()));

        // However narrow the window is asked to be, the bar needs at most two rows.
        w->resize(50, 400);
        QTRY_VERIFY(w->width() >= w->minimumWidth());
        QVERIFY(bar->rows() <= 2);

        w->resize(716, 466);
        QTRY_COMPARE(bar->height(), 49);
        QCOMPARE(frame->y(), 59);
    }

    void menusAndToolBar() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const auto menu = [&](const char* name) { return child<QMenu>(w.get(), name)->actions(); };

        QCOMPARE(actionTexts(w->menuBar()->actions()),
                 QStringList({"終了(&X)", "操作(&O)", "表示(&V)", "設定(&S)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(actionTexts(menu("operationsMenu")),
                 QStringList({"ドライブからデータを読み込む(&S)", "ファイル名を書き出す(&W)", "-",
                              "ストックを更新...", "一覧にないストックを追加...", "重複ファイル...",
                              "名前索引を確認...", "ストックを検証..."}));
        QCOMPARE(actionTexts(menu("viewMenu")),
                 QStringList({"検索ダイアログ(&F)", "容量マップ(&M)", "-", "アイコンの整列(&I)",
                              "フォルダの大きさ(&Z)"}));
        QCOMPARE(actionTexts(menu("arrangeMenu")), QStringList({"名前順(&N)", "種類順で整列(&T)"}));
        QCOMPARE(actionTexts(menu("stockMenu")),
                 QStringList({"上へ", "下へ", "-", "名前の変更", "-", "削除", "-",
                              "ストックを更新...", "名前索引を確認", "プロパティ",
                              "ストックを検証..."}));
        QCOMPARE(actionTexts(menu("contentsMenu")),
                 QStringList({"開く", "フォルダを開く", "-", "プロパティ"}));
        QCOMPARE(actionTexts(menu("folderMenu")), QStringList({"プロパティ"}));
        QVERIFY(child<QAction>(w.get(), "searchAction")->isCheckable());

        // Arrangement: by name at start; one item at a time; both may be clear.
        auto* byName = child<QAction>(w.get(), "byNameAction");
        auto* byKind = child<QAction>(w.get(), "byKindAction");
        QVERIFY(byName->isChecked() && !byKind->isChecked());
        byKind->setChecked(true);
        QVERIFY(!byName->isChecked());
        byKind->setChecked(false);
        QVERIFY(!byName->isChecked() && !byKind->isChecked());

        QStringList captions, hints;
        QList<QToolButton*> buttons;
        for (const char* name : {"exitButton", "captureButton", "exportButton", "deleteButton",
                                 "upButton", "searchButton", "optionsButton"}) {
            QToolButton* b = child<QToolButton>(w.get(), name);
            buttons << b;
            captions << b->text();
            hints << b->toolTip();
            QVERIFY(!b->icon().isNull());
            QCOMPARE(b->size(), QSize(52, 43));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
        QCOMPARE(captions,
                 QStringList({"終了", "読み出し", "書き出し", "削除", "上へ", "検索", "設定"}));
        QCOMPARE(hints, QStringList({"終了", "ドライブからデータを読み込む", "ファイル名の書き出し",
                                     "ストックデータの削除", "フォルダを一つ上へ", "検索ダイアログ",
                                     "設定"}));
        QVERIFY(buttons[5]->isCheckable());
        // Left to right in one row, separators between the groups.
        QVERIFY(buttons[1]->x() > buttons[0]->x() + 52);
        QCOMPARE(buttons[2]->x(), buttons[1]->x() + 52);
        QCOMPARE(buttons[0]->x(), FlowToolBar::kIndent);

        QCOMPARE(child<QLabel>(w.get(), "stockListCaption")->text(), QStringLiteral("ストック"));
        QCOMPARE(child<QLabel>(w.get(), "sourceCaption")->text(), QStringLiteral("読み出し元"));
        QStringList labels;
        for (const QLabel* l : w->folderBrowser()->findChildren<QLabel*>())
            labels << l->text();
        labels.sort();
        QCOMPARE(labels, QStringList({"　　フォルダの中身", "　フォルダ"}));
        QCOMPARE(child<QPushButton>(w.get(), "browseFolderButton")->text(),
                 QStringLiteral("フォルダ参照..."));
        QCOMPARE(child<QPushButton>(w.get(), "moveStockUpButton")->toolTip(),
                 QStringLiteral("上へ移動"));
        QCOMPARE(child<QPushButton>(w.get(), "moveStockDownButton")->toolTip(),
                 QStringLiteral("下へ移動"));
        auto* remove = child<QPushButton>(w.get(), "deleteStockButton");
        QCOMPARE(remove->toolTip(), QStringLiteral("ストックを削除"));
        QVERIFY(!remove->icon().isNull());
    }

    void helpAndExit() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        child<QAction>(w.get(), "helpAction")->trigger();
        QCOMPARE(dlg->helpTopics, std::vector<int>{1});
        child<QAction>(w.get(), "exitAction")->trigger();
        QVERIFY(!w->isVisible());

        auto again = makeWindow(data.path());
        QTest::mouseClick(child<QToolButton>(again.get(), "exitButton"), Qt::LeftButton);
        QVERIFY(!again->isVisible());
    }

    void japaneseTextUsesAJapaneseFont() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const QString family =
            QFontInfo(child<QLabel>(w.get(), "stockListCaption")->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
                 qPrintable(family));
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
