// Choosing a source and reading it into a new stock from the main window.
#include "gui/common/progressdialog.h"
#include "gui/common/workrunner.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "settings/settings.h"
#include "testutil.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace zt;
using namespace zt::guitest;
namespace fs = std::filesystem;

namespace {

// A source folder: a file, an empty folder and a nested one.
void makeSource(const fs::path& src, int extraFolders = 0) {
    fs::create_directories(src / "sub/inner");
    fs::create_directories(src / "empty");
    std::ofstream(src / "top.txt") << "12345";
    std::ofstream(src / "sub/inner/f.bin") << "xy";
    for (int i = 0; i < extraFolders; ++i)
        fs::create_directories(src / ("d" + std::to_string(i)));
}

void doubleClick(QListWidget* list, int row) {
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

QString selectedStock(const MainWindow& w) {
    return QString::fromStdString(w.stockList()->selectedName());
}

QStringList stockNames(const MainWindow& w) {
    return texts(w.stockList()->model());
}

// Captures the selected source and waits for the capture and the open after it.
void capture(MainWindow& w) {
    w.captureSelectedSource();
    QVERIFY(waitIdle(w));
}

} // namespace

class CaptureWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void chosenFolderIsCapturedListedSelectedAndOpened() {
        TempDataDir data;
        data.writeStockList({"Old"});
        QTemporaryDir tmp;
        const fs::path src = fs::path(tmp.path().toStdString()) / "My Src";
        makeSource(src);
        ScopedDialogs dlg;
        dlg->folderAnswers.push_back(QString::fromStdString(src.string()));
        auto w = makeWindow(data.path());
        auto* folderList = child<QListWidget>(w.get(), "chosenFolderList");

        QTest::mouseClick(child<QPushButton>(w.get(), "browseFolderButton"), Qt::LeftButton);
        QCOMPARE(dlg->folderTitles, QStringList{QStringLiteral("読み込み元フォルダ")});
        QCOMPARE(dlg->folderStarts, QStringList{QString()}); // no drive selected: home
        QCOMPARE(folderList->count(), 1);
        QCOMPARE(folderList->item(0)->text(), QStringLiteral("My Src"));
        QVERIFY(folderList->item(0)->isSelected());
        // With a drive selected the browser starts at its mount point.
        w->sources()->addDrive(QStringLiteral("(X:)"), "/media/x", "X", 0);
        auto* drives = child<QListWidget>(w.get(), "driveList");
        drives->setCurrentRow(drives->count() - 1);
        w->sources()->chooseFolder();
        QCOMPARE(dlg->folderStarts.value(1), QStringLiteral("/media/x"));
        folderList->setCurrentRow(0); // cancelled: the folder stays chosen
        folderList->item(0)->setSelected(true);
        drives->clearSelection();
        QCOMPARE(w->sources()->chosenFolder(), src.string());
        QVERIFY(child<QListWidget>(w.get(), "driveList")->selectedItems().isEmpty());

        doubleClick(folderList, 0);
        QVERIFY(waitIdle(*w));
        QVERIFY(dlg->shown.empty());
        QCOMPARE(stockNames(*w), QStringList({"Old", "My Src"}));
        QCOMPARE(selectedStock(*w), QStringLiteral("My Src"));
        QVERIFY(w->isEnabled());
        // Opened: the tree shows the new stock, its root selected.
        const FolderTree& tree = w->folderBrowser()->tree();
        QVERIFY(tree.root() != nullptr);
        QCOMPARE(tree.root()->name, std::string("My Src"));
        QCOMPARE(tree.folderCount(), 3);
        QCOMPARE(w->folderBrowser()->selectedFolder(), tree.root());
        QVERIFY(fs::exists(data / "My Src.dat"));

        // The same folder again: a second, uniquely named stock. The open one
        // leaves the views as the capture starts.
        w->captureSelectedSource();
        QVERIFY(w->busy() && w->folderBrowser()->tree().empty());
        QCOMPARE(child<QAbstractItemView>(w.get(), "folderTree")->model()->rowCount(), 0);
        QVERIFY(waitIdle(*w));
        QCOMPARE(stockNames(*w).value(2), QStringLiteral("My Src_2"));
        QCOMPARE(selectedStock(*w), QStringLiteral("My Src_2"));
    }

    // Several images chosen at once: one job, one stock each named after its
    // disc; the one that is no image is told of and the others are kept.
    void chosenImagesMakeOneStockEach() {
        if (!test::haveTool("xorriso")) QSKIP("xorriso is not installed");
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path dir = tmp.path().toStdString();
        makeSource(dir / "tree");
        QVERIFY(test::makeImage(test::ImageKind::IsoRockRidgeJoliet, dir / "tree", dir / "a.iso", "DISC_A"));
        QVERIFY(test::makeImage(test::ImageKind::IsoRockRidgeJoliet, dir / "tree", dir / "b.iso", "DISC_B"));
        std::ofstream(dir / "bad.iso") << "no image";
        ScopedDialogs dlg;
        dlg->fileAnswers.push_back(QStringList{QString::fromStdString((dir / "a.iso").string()),
                                               QString::fromStdString((dir / "bad.iso").string()),
                                               QString::fromStdString((dir / "b.iso").string())});
        auto w = makeWindow(data.path());
        QTest::mouseClick(child<QPushButton>(w.get(), "imageFileButton"), Qt::LeftButton);
        QVERIFY(waitIdle(*w));
        QCOMPARE(dlg->fileTitles, QStringList{QStringLiteral("イメージファイル")});
        QVERIFY(dlg->fileFilters.value(0).contains(QStringLiteral("*.iso *.img *.udf *.bin")));
        QCOMPARE(stockNames(*w), QStringList({"DISC_A", "DISC_B"}));
        QCOMPARE(selectedStock(*w), QStringLiteral("DISC_B"));
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("ディスクイメージとして読めません: ") +
                                         QString::fromStdString((dir / "bad.iso").string()));
        QCOMPARE(w->folderBrowser()->tree().folderCount(), 3);
    }

    void driveItemIsReadFromItsMountPoint() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path mount = fs::path(tmp.path().toStdString()) / "mnt\xff"; // not UTF-8
        makeSource(mount);
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        auto* drives = child<QListWidget>(w.get(), "driveList");
        auto* folderList = child<QListWidget>(w.get(), "chosenFolderList");

        // A made-up drive item, as the drive list makes them.
        w->sources()->addDrive(QStringLiteral(" (/) HDドライブ"), mount.string(), "/", 4);
        folderList->addItem(QStringLiteral("stale"));
        folderList->item(0)->setSelected(true);

        doubleClick(drives, drives->count() - 1);
        QVERIFY(waitIdle(*w));
        QVERIFY(folderList->selectedItems().isEmpty()); // one selection between the two
        QCOMPARE(selectedStock(*w), QStringLiteral("root"));
        QVERIFY(fs::exists(data / "root.dat"));
        QCOMPARE(w->folderBrowser()->tree().folderCount(), 3);
    }

    void emptySourceWarnsAndMakesNoStock() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path empty = fs::path(tmp.path().toStdString()) / "empty";
        fs::create_directories(empty);
        ScopedDialogs dlg;
        dlg->folderAnswers.push_back(QString::fromStdString(empty.string()));
        auto w = makeWindow(data.path());
        w->sources()->chooseFolder();
        capture(*w);
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].title, QStringLiteral("警告"));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("無効な読み込み元指定です"));
        QCOMPARE(w->stockList()->count(), 0);
        QVERIFY(w->folderBrowser()->tree().empty());
        QVERIFY(w->isEnabled());
    }

    void cancelledFolderChoiceChangesNothing() {
        TempDataDir data;
        ScopedDialogs dlg; // no answer queued: the browser is cancelled
        auto w = makeWindow(data.path());
        w->sources()->setChosenFolder("/kept");
        w->sources()->chooseFolder();
        QCOMPARE(child<QListWidget>(w.get(), "chosenFolderList")->item(0)->text(),
                 QStringLiteral("kept"));
        QCOMPARE(w->sources()->chosenFolder(), std::string("/kept"));
    }

    void progressDialogShowsTheRunAndCancelClearsTheTree() {
        for (const bool showPath : {true, false}) {
            TempDataDir data;
            Settings settings;
            settings.showPathWhileReading = showPath;
            QVERIFY(saveSettingsFile(data.path(), settings));
            QTemporaryDir tmp;
            const fs::path src = fs::path(tmp.path().toStdString()) / "src";
            makeSource(src, 50);
            ScopedDialogs dlg;
            dlg->folderAnswers.push_back(QString::fromStdString(src.string()));
            auto w = makeWindow(data.path());
            w->sources()->chooseFolder();

            // Held at the tenth folder (one poll a folder: nothing is indexed).
            JobGate gate(runnerOf(*w), 10);
            w->captureSelectedSource();
            auto* p = w->findChild<ProgressDialog*>();
            QVERIFY(p && p->isVisible());
            QVERIFY(!w->isEnabled());
            QCOMPARE(p->message(), QStringLiteral("ドライブからデータを読み出しています"));
            QVERIFY(!child<QWidget>(p, "progressBar")->isVisible());
            QCOMPARE(child<QWidget>(p, "progressPath")->isVisible(), showPath);
            QVERIFY(gate.waitHeld());
            QTest::mouseClick(child<QWidget>(p, "progressCancel"), Qt::LeftButton);
            gate.release();
            QVERIFY(waitIdle(*w));
            QVERIFY(dlg->shown.empty()); // no message
            QCOMPARE(w->stockList()->count(), 0);
            QVERIFY(w->folderBrowser()->tree().empty());
            QVERIFY(!w->findChild<ProgressDialog*>());
            QVERIFY(w->isEnabled());
            QVERIFY(!fs::exists(data / "src.dat"));
        }
    }

    void failedWriteIsReportedAndNotListed() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path src = fs::path(tmp.path().toStdString()) / "src";
        makeSource(src);
        ScopedDialogs dlg;
        dlg->folderAnswers.push_back(QString::fromStdString(src.string()));
        auto w = makeWindow(data.path());
        w->sources()->chooseFolder();
        // The Data folder goes away: its lock file, the first to fail, is named.
        fs::remove_all(data.path());
        capture(*w);
        QCOMPARE(dlg->shown.size(), size_t(1));
        QVERIFY(dlg->shown[0].text.startsWith(QStringLiteral("ロックファイル ")));
        QVERIFY(dlg->shown[0].text.endsWith(QStringLiteral(" を開けません")));
        QCOMPARE(w->stockList()->count(), 0);
        QVERIFY(w->folderBrowser()->tree().empty());
        fs::create_directories(data.path()); // for the window's own shut-down
    }

    // A capture that throws (here from its cancel poll) is a failure the
    // user is told of, with the exception's text; nothing is stored.
    void aCaptureThatThrowsIsReportedAndNotListed() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path src = fs::path(tmp.path().toStdString()) / "src";
        makeSource(src);
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->sources()->setChosenFolder(src.string());
        runnerOf(*w).setCancelProbe([](long long poll, const std::atomic<bool>&) {
            if (poll == 2) throw std::runtime_error("read failed");
        });
        capture(*w);
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("予期しないエラーが発生しました"));
        QCOMPARE(dlg->shown[0].detail, QStringLiteral("read failed"));
        QCOMPARE(w->stockList()->count(), 0);
        QVERIFY(!fs::exists(data / "src.dat"));
    }

    void driveSettingsFilterTheList() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        auto* drives = child<QListWidget>(w.get(), "driveList");
        w->sources()->fillDrives(false, false, false);
        QCOMPARE(drives->count(), 0);
        w->sources()->fillDrives(true, true, true);
        for (int i = 0; i < drives->count(); ++i) {
            QVERIFY(drives->item(i)->text().startsWith(QStringLiteral(" (")));
            QVERIFY(!drives->item(i)->icon().isNull());
        }
    }
};

QTEST_MAIN(CaptureWindowTest)
#include "capture_window_test.moc"
