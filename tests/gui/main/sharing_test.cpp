// Several processes on one Data folder: the window follows the stock list the
// command line changes, never overwrites a list it could not read, and keeps
// every stock when many captures run at once. Also settings from another
// machine that do not fit this screen.
#include "gui/common/termsignals.h"
#include "gui/dialogs/adoptstocksdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/contentsmodel.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "settings/settings.h"
#include "testutil.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <climits>
#include <csignal>
#include <fstream>

using namespace zt;
using namespace zt::guitest;
namespace fs = std::filesystem;

namespace {

void writeStock(const fs::path& data, const std::string& name) {
    test::StockBuilder s;
    s.add(s.root(name, {"top.txt"}), "sub", {"inner.txt"});
    QVERIFY(s.write(data, name));
}

QStringList stockNames(const MainWindow& w) {
    return texts(w.stockList()->model());
}

std::string cli(const fs::path& data, const std::string& args) {
    return "--data '" + data.string() + "' " + args;
}

} // namespace

class SharingTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void theListFollowsRenamesAndDeletesMadeElsewhere() {
        TempDataDir data;
        for (const char* n : {"a", "b", "c"})
            writeStock(data.path(), n);
        data.writeStockList({"a", "b", "c"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));

        // Another stock renamed: the selection stays on the open one.
        QCOMPARE(test::runCli(cli(data.path(), "rename a z")).status, 0);
        QTRY_COMPARE(stockNames(*w), QStringList({"z", "b", "c"}));
        QCOMPARE(w->stockList()->selectedName(), std::string("b"));
        // The open stock renamed: its new name is shown, the tree's top follows.
        QCOMPARE(test::runCli(cli(data.path(), "rename b 表")).status, 0);
        QTRY_COMPARE(stockNames(*w), QStringList({"z", "表", "c"}));
        QCOMPARE(w->stockList()->selectedName(), std::string("表"));
        QCOMPARE(w->folderBrowser()->tree().root()->name, std::string("表"));
        // The open stock deleted: tree and contents emptied, nothing selected.
        QCOMPARE(test::runCli(cli(data.path(), "delete 表")).status, 0);
        QTRY_COMPARE(stockNames(*w), QStringList({"z", "c"}));
        QVERIFY(w->folderBrowser()->tree().empty());
        QCOMPARE(w->folderBrowser()->contents()->rowCount(), 0);
        QCOMPARE(w->stockList()->selectedRow(), -1);
        // The open stock deleted and a new one captured into its row, both
        // before the window looks: another stock, not a rename.
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        QTemporaryDir tmp;
        fs::create_directories(fs::path(tmp.path().toStdString()) / "src/sub");
        QCOMPARE(test::runCli(cli(data.path(), "delete c")).status, 0);
        QCOMPARE(
            test::runCli(cli(data.path(), "capture --quiet '" + tmp.path().toStdString() + "/src'"))
                .status,
            0);
        QTRY_COMPARE(stockNames(*w), QStringList({"z", "src"}));
        QVERIFY(w->folderBrowser()->tree().empty());
        QCOMPARE(w->stockList()->selectedRow(), -1);
        QVERIFY(dlg->shown.empty());
    }

    void aRenameAmongOtherChangesKeepsTheOpenStock() {
        TempDataDir data;
        for (const char* n : {"a", "b", "c", "d"})
            writeStock(data.path(), n);
        data.writeStockList({"a", "b", "c", "d"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        // No event runs between these: the window sees them as one change.
        for (const char* args : {"rename b x", "delete a", "move d up"})
            QCOMPARE(test::runCli(cli(data.path(), args)).status, 0);
        QTRY_COMPARE(stockNames(*w), QStringList({"x", "d", "c"}));
        QCOMPARE(w->stockList()->selectedName(), std::string("x"));
        QCOMPARE(w->folderBrowser()->tree().root()->name, std::string("x"));
        QVERIFY(dlg->shown.empty());
    }

    void twoWindowsOnOneDataFolderStayConsistent() {
        TempDataDir data;
        for (const char* n : {"a", "b"})
            writeStock(data.path(), n);
        data.writeStockList({"a", "b"});
        ScopedDialogs dlg;
        auto first = makeWindow(data.path());
        auto second = makeWindow(data.path());
        first->stockList()->selectRow(1);
        first->moveStockUp();
        QTRY_COMPARE(stockNames(*second), QStringList({"b", "a"}));
        dlg->messageAnswers = {MsgResult::Ok};
        first->deleteSelectedStock();
        QTRY_COMPARE(stockNames(*second), QStringList({"a"}));
        QCOMPARE(stockNames(*first), QStringList({"a"}));
    }

    void twentyCapturesAtOnceAndASignalLoseNoStock() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path src = fs::path(tmp.path().toStdString()) / "src";
        for (int i = 0; i < 50; ++i)
            fs::create_directories(src / ("d" + std::to_string(i)));
        std::ofstream(src / "f.txt") << "x";
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        closeOnTerminationSignals(w.get());
        w->sources()->setChosenFolder(src.string());

        const char* program = std::getenv("ZT_CLI");
        QVERIFY(program);
        QString script;
        for (int i = 0; i < 20; ++i)
            script += QStringLiteral("'%1' --data '%2' capture --quiet '%3' & ")
                          .arg(program, QString::fromStdString(data.path().string()),
                               QString::fromStdString(src.string()));
        QProcess captures;
        captures.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script + "wait"});
        w->captureSelectedSource();
        QTRY_VERIFY_WITH_TIMEOUT(captures.state() == QProcess::NotRunning, 60000);
        QVERIFY(waitIdle(*w));
        std::raise(SIGTERM);
        QTRY_VERIFY(!w->isVisible());
        closeOnTerminationSignals(nullptr);

        const auto listed = data.readStockList();
        QCOMPARE(int(listed.size()), 21);
        for (const std::string& name : listed)
            QVERIFY2(fs::exists(data / (name + ".dat")), name.c_str());
        QVERIFY(dlg->shown.empty());
    }

    void aListThatCannotBeReadIsNeverRewritten() {
        TempDataDir data;
        fs::remove(data / "StockList.dat");
        fs::create_directory(data / "StockList.dat");
        QTemporaryDir tmp;
        const fs::path src = fs::path(tmp.path().toStdString()) / "src";
        fs::create_directories(src / "d");
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const QString list = QString::fromStdString((data / "StockList.dat").string());
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("ファイル %1 は開けません").arg(list));
        // A capture is refused by the library, and says so.
        w->sources()->setChosenFolder(src.string());
        w->captureSelectedSource();
        QVERIFY(waitIdle(*w));
        QCOMPARE(dlg->shown.size(), size_t(2));
        QCOMPARE(w->stockList()->count(), 0);
        QVERIFY(w->close());
        w.reset();
        QVERIFY(fs::is_directory(data / "StockList.dat"));
        QVERIFY(fs::is_empty(data / "StockList.dat"));
    }

    void unlistedStocksAreAdoptedAndRefusalsShown() {
        TempDataDir data;
        writeStock(data.path(), "kept");
        writeStock(data.path(), "lost");
        std::ofstream(data / "junk.dat") << "not a stock";
        data.writeStockList({"kept"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QStringList offered;
        whenShown<AdoptStocksDialog>([&](AdoptStocksDialog& d) {
            offered = texts(child<QAbstractItemView>(&d, "unlistedStocks")->model());
            d.accept();
        });
        w->adoptUnlistedStocks();
        QCOMPARE(offered, QStringList({"junk", "lost"}));
        QCOMPARE(stockNames(*w), QStringList({"kept", "lost"}));
        QCOMPARE(data.readStockList(), (std::vector<std::string>{"kept", "lost"}));
        QCOMPARE(dlg->shown.size(), size_t(1));
        QVERIFY(dlg->shown[0].text.endsWith(QStringLiteral("junk.dat はストックではありません")));
    }

    void boundsThatDoNotFitTheScreenAreBroughtToFit() {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        struct Case {
            const char* what;
            int width, height, left, top;
        };
        const Case cases[] = {
            {"huge", 2147483647, 2147483647, 2147483647, 2147483647},
            {"wrapped", int(99999999999LL & 0x7FFFFFFF), INT_MIN, INT_MIN, 5},
            {"negative", -500, -1, -100000, -100000},
            // Saved at 100 % on this screen's size, restored where pixels are twice as big.
            {"off the edge", avail.width() * 3 / 4, avail.height() * 3 / 4, avail.right() - 50,
             avail.bottom() - 50},
        };
        for (const Case& c : cases) {
            TempDataDir data;
            Settings s;
            s.width = c.width;
            s.height = c.height;
            s.left = c.left;
            s.top = c.top;
            s.leftColumnWidth = s.stockListHeight = s.folderTreeWidth = c.width;
            QVERIFY(saveSettingsFile(data.path(), s));
            ScopedDialogs dlg;
            auto w = makeWindow(data.path());
            QVERIFY2(w->width() <= std::max(avail.width(), w->minimumWidth()), c.what);
            QVERIFY2(w->height() <= std::max(avail.height(), w->minimumHeight()), c.what);
            QVERIFY2(w->width() >= w->minimumWidth() && w->height() >= w->minimumHeight(), c.what);
            QTRY_VERIFY2(avail.contains(w->frameGeometry()), c.what); // wholly on the screen
            QVERIFY2(w->stockList()->width() <= w->width(), c.what);
        }
    }
};

QTEST_MAIN(SharingTest)
#include "sharing_test.moc"
