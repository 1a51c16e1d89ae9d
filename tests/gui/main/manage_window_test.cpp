// Moving, renaming and deleting stocks from the main window, and the file-name export.
#include "gui/dialogs/exportnamesdialog.h"
#include "gui/dialogs/renamestockdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cerrno>
#include <cstring>
#include <functional>

using namespace zt;
using namespace zt::guitest;

namespace {

// Data/<name>.dat: top: top.txt; folder "sub" with sub.tar.gz.
void writeStock(const std::filesystem::path& data, const std::string& name) {
    test::StockBuilder s;
    s.add(s.root(name, {"top.txt"}), "sub", {"sub.tar.gz"});
    QVERIFY(s.write(data, name));
}

QStringList stockNames(const MainWindow& w) {
    return texts(w.stockList()->model());
}

// Types a name into the rename dialog and presses OK.
void enterName(RenameStockDialog& d, const QString& name) {
    child<QLineEdit>(&d, "newNameEdit")->setText(name);
    child<QPushButton>(&d, "okButton")->click();
}

} // namespace

class ManageWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dlg;
    std::unique_ptr<MainWindow> w;

    // Stocks a, b, c with their files; b is open.
    void openB() {
        for (const char* n : {"a", "b", "c"})
            writeStock(data->path(), n);
        data->writeStockList({"a", "b", "c"});
        w = makeWindow(data->path());
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        QVERIFY(w->folderBrowser()->tree().root());
        QCOMPARE(w->folderBrowser()->tree().root()->name, std::string("b"));
    }

  private slots:
    void initTestCase() { initWindowTests(); }
    void init() {
        data = std::make_unique<TempDataDir>();
        dlg = std::make_unique<ScopedDialogs>();
    }
    void cleanup() {
        w.reset();
        dlg.reset();
        data.reset();
    }

    void moveKeepsTheStockOpenAndStopsAtTheEnds() {
        openB();
        if (QTest::currentTestFailed()) return;
        w->folderBrowser()->renameRoot("marker"); // opening the stock again would put back "b"
        const auto root = [this] { return w->folderBrowser()->tree().root()->name; };
        w->moveStockUp();
        QCOMPARE(stockNames(*w), (QStringList{"b", "a", "c"}));
        QCOMPARE(w->stockList()->selectedRow(), 0);
        QVERIFY(!w->busy());
        QCOMPARE(root(), std::string("marker"));
        w->moveStockUp();
        QCOMPARE(stockNames(*w), (QStringList{"b", "a", "c"}));
        w->stockList()->selectRow(2);
        w->moveStockDown();
        QCOMPARE(stockNames(*w), (QStringList{"b", "a", "c"}));
        QCOMPARE(w->stockList()->selectedRow(), 2);
        w->stockList()->selectRow(-1);
        w->moveStockUp(); // nothing selected
        QCOMPARE(stockNames(*w), (QStringList{"b", "a", "c"}));
        QCOMPARE(data->readStockList(), (std::vector<std::string>{"b", "a", "c"}));
    }

    void renameValidatesAndStaysOpenUntilTheNameIsGood() {
        openB();
        if (QTest::currentTestFailed()) return;
        QStringList warnings;
        bool stillOpen = true;
        QString initial;
        whenShown<RenameStockDialog>([&](RenameStockDialog& d) {
            initial = QString::fromStdString(d.newName());
            for (const char* name : {"", "x?y", "a", "A", "C"}) {
                enterName(d, QString::fromUtf8(name));
                stillOpen = stillOpen && d.isVisible();
            }
            for (const auto& m : (*dlg)->shown)
                warnings << m.text;
            enterName(d, QStringLiteral("表"));
        });
        w->renameSelectedStock();

        QCOMPARE(initial, QStringLiteral("b"));
        QVERIFY(stillOpen);
        QCOMPARE(warnings, (QStringList{"名前が空欄です", "\\ / : , ; * ? \" < > |  は使えません",
                                        "その名前は使われています", "その名前は使われています",
                                        "その名前は使われています"}));
        QCOMPARE(stockNames(*w), (QStringList{"a", "表", "c"}));
        QCOMPARE(w->stockList()->selectedRow(), 1);
        QCOMPARE(w->folderBrowser()->tree().root()->name, std::string("表"));
        QCOMPARE(texts(child<QAbstractItemView>(w.get(), "folderTree")->model()),
                 QStringList{"表"});
        QVERIFY(!std::filesystem::exists(data->path() / "b.dat"));
        QVERIFY(test::readFile(data->path() / "表.dat").find("sub.tar.gz") != std::string::npos);
        QVERIFY(w->findChild<RenameStockDialog*>() == nullptr);
    }

    void renameCancelChangesNothing() {
        openB();
        if (QTest::currentTestFailed()) return;
        QString cancelCaption;
        whenShown<RenameStockDialog>([&](RenameStockDialog& d) {
            auto* cancel = child<QPushButton>(&d, "cancelButton");
            cancelCaption = cancel->text();
            d.setNewName("new");
            QTest::keyClick(&d, Qt::Key_Escape); // not bound
            cancel->click();
        });
        w->renameSelectedStock();
        QCOMPARE(cancelCaption, QStringLiteral("Cansel"));
        QCOMPARE(stockNames(*w), (QStringList{"a", "b", "c"}));
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));
        QVERIFY(!std::filesystem::exists(data->path() / "new.dat"));
    }

    void deleteAsksThenEmptiesTheViews() {
        openB();
        if (QTest::currentTestFailed()) return;
        (*dlg)->messageAnswers = {MsgResult::Cancel};
        w->deleteSelectedStock();
        QCOMPARE(w->stockList()->count(), 3);
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));
        QCOMPARE((*dlg)->shown.size(), size_t(1));
        const auto& box = (*dlg)->shown[0];
        QCOMPARE(box.title, QStringLiteral("確認"));
        QCOMPARE(box.text, QStringLiteral("ストックデータ： b を削除します"));
        QVERIFY(box.buttons == MsgButtons::OkCancel && box.icon == MsgIcon::None);

        w->deleteSelectedStock(); // answered OK
        QCOMPARE(stockNames(*w), (QStringList{"a", "c"}));
        QVERIFY(!std::filesystem::exists(data->path() / "b.dat"));
        QCOMPARE(w->stockList()->selectedRow(), -1);
        QVERIFY(w->folderBrowser()->tree().empty());
        QCOMPARE(child<QAbstractItemView>(w.get(), "folderTree")->model()->rowCount(), 0);
        QCOMPARE(child<QAbstractItemView>(w.get(), "contentsView")->model()->rowCount(), 0);
        w.reset();
        QCOMPARE(data->readStockList(), (std::vector<std::string>{"a", "c"}));
    }

    void theSearchWindowFollowsEveryOperation() {
        openB();
        if (QTest::currentTestFailed()) return;
        w->toggleSearchWindow();
        auto* copy = child<QAbstractItemView>(w->searchWindow(), "searchStockList");
        const auto selected = [copy] {
            QStringList out;
            for (const QModelIndex& i : copy->selectionModel()->selectedIndexes())
                out << i.data().toString();
            return out;
        };
        w->moveStockUp();
        QCOMPARE(texts(copy->model()), (QStringList{"b", "a", "c"}));
        QCOMPARE(selected(), QStringList{"b"});

        whenShown<RenameStockDialog>([](RenameStockDialog& d) { enterName(d, "d"); });
        w->renameSelectedStock();
        QCOMPARE(texts(copy->model()), (QStringList{"d", "a", "c"}));
        QCOMPARE(selected(), QStringList{"d"});

        w->deleteSelectedStock();
        QCOMPARE(texts(copy->model()), (QStringList{"a", "c"}));
        QVERIFY(selected().isEmpty());
        w->stockList()->selectRow(1);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        QCOMPARE(selected(), QStringList{"c"});

        std::filesystem::remove(data->path() / "a.dat"); // a stock that cannot be opened
        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        QVERIFY(selected().isEmpty());
    }

    // Dialogs live on the stack of the handler that shows them (or, the kept
    // export dialog, as long as the window): a window closed while their
    // boxes are up frees nothing under them.
    void closingTheProgramWhileTheirBoxesAreUpFreesNothing() {
        auto* boxes = new OwnedBoxDialogs;
        auto previous = setDialogService(std::unique_ptr<DialogService>(boxes));
        boxes->during = [this] {
            w->close(); // as a termination signal does
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        openB();
        whenShown<RenameStockDialog>([](RenameStockDialog& d) {
            enterName(d, QString()); // "名前が空欄です"
            d.reject();
        });
        w->renameSelectedStock();
        QCOMPARE(boxes->shown.size(), size_t(1));
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));

        openB();
        whenShown<ExportNamesDialog>([](ExportNamesDialog& d) {
            child<QPushButton>(&d, "browseButton")->click();
            d.reject();
        });
        w->exportNames();
        QCOMPARE(boxes->saveTitles, QStringList{"書き出し先ファイル選択"});
        setDialogService(std::move(previous));
    }

    void exportWritesAndKeepsItsChoices() {
        openB();
        if (QTest::currentTestFailed()) return;
        QTemporaryDir outDir;
        const QString out = outDir.path() + QStringLiteral("/names.txt");
        (*dlg)->saveAnswers = {out};
        QString firstName, firstFolder;
        const QString startFolder = saveStartFolder(); // the last one saved into, else home
        whenShown<ExportNamesDialog>([&](ExportNamesDialog& d) {
            firstName = child<QLineEdit>(&d, "fileNameEdit")->text();
            firstFolder = child<QLineEdit>(&d, "folderEdit")->text();
            child<QPushButton>(&d, "browseButton")->click();
            d.setTargetKind(2);
            d.setRange(2);
            child<QCheckBox>(&d, "dropExtensionsCheck")->setChecked(true);
            child<QPushButton>(&d, "exportButton")->click();
        });
        w->exportNames();
        QVERIFY(waitIdle(*w)); // written on the worker
        QCOMPARE(firstName, QStringLiteral("FileName.txt"));
        QCOMPARE(firstFolder, startFolder);
        QCOMPARE((*dlg)->saveStarts.value(0), startFolder + QStringLiteral("/FileName.txt"));
        QCOMPARE(saveStartFolder(), outDir.path()); // the next save dialog starts there
        QCOMPARE((*dlg)->saveTitles, QStringList{QStringLiteral("書き出し先ファイル選択")});
        QCOMPARE(test::readFile(out.toStdString()), std::string("top\r\nsub\r\nsub.tar\r\n"));

        // The next export starts with the same choices; a cancel writes nothing.
        bool kept = false;
        whenShown<ExportNamesDialog>([&](ExportNamesDialog& d) {
            auto* fileName = child<QLineEdit>(&d, "fileNameEdit");
            kept = fileName->text() == QStringLiteral("names.txt") &&
                   child<QLineEdit>(&d, "folderEdit")->text() == outDir.path() &&
                   d.targetKind() == 2 && d.range() == 2 &&
                   child<QCheckBox>(&d, "dropExtensionsCheck")->isChecked();
            fileName->setText(QStringLiteral("other.txt"));
            child<QPushButton>(&d, "cancelButton")->click();
        });
        w->exportNames();
        QVERIFY(kept);
        QVERIFY(!QFile::exists(outDir.path() + QStringLiteral("/other.txt")));
        QVERIFY((*dlg)->shown.empty());

        // A file that cannot be created is reported.
        whenShown<ExportNamesDialog>([&](ExportNamesDialog& d) {
            child<QLineEdit>(&d, "fileNameEdit")->setText(QStringLiteral("missing/names.txt"));
            child<QPushButton>(&d, "exportButton")->click();
        });
        w->exportNames();
        QVERIFY(waitIdle(*w));
        QCOMPARE((*dlg)->shown.size(), size_t(1));
        QVERIFY(
            (*dlg)->shown[0].text.endsWith(QStringLiteral("missing/names.txt を作成できません")));
        QCOMPARE((*dlg)->shown[0].detail, QString::fromLocal8Bit(std::strerror(ENOENT))); // why
        QCOMPARE(saveStartFolder(), outDir.path()); // a failed save is not remembered
    }

    void exportNeedsASelectedFolder() {
        data->writeStockList({});
        w = makeWindow(data->path());
        w->exportNames(); // nothing open: no dialog, nothing waits
        QVERIFY(!w->findChild<ExportNamesDialog*>());
    }
};

QTEST_MAIN(ManageWindowTest)
#include "manage_window_test.moc"
