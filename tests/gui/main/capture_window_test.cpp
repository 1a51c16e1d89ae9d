// Choosing a source and reading it into a new stock from the main window.
#include "browser/ui/tform1.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/stockfile.h"
#include "ui/uitestutil.h"

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

using namespace zt;
using namespace zt::uitest;
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

QString selectedStock(const TForm1& form) {
    return QString::fromStdString(form.selectedStockName());
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
        auto form = makeForm(data.path());

        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(dlg->folderTitles, QStringList{QStringLiteral("読み込み元フォルダ")});
        QCOMPARE(form->ListBox1->count(), 1);
        QCOMPARE(form->ListBox1->item(0)->text(), QStringLiteral("My Src"));
        QVERIFY(form->ListBox1->item(0)->isSelected());
        QCOMPARE(form->chosenSourceFolder, src.string());
        QVERIFY(form->DriveList->selectedItems().isEmpty());

        doubleClick(form->ListBox1, 0);
        QVERIFY(dlg->shown.empty());
        QCOMPARE(form->StockDataList->count(), 2);
        QCOMPARE(form->StockDataList->item(1)->text(), QStringLiteral("My Src"));
        QCOMPARE(selectedStock(*form), QStringLiteral("My Src"));
        QVERIFY(form->progressDlg == nullptr);
        QVERIFY(form->isEnabled());
        QCOMPARE(form->captureItemCount, 3);
        // Opened: the tree shows the new stock, its root selected.
        QVERIFY(form->tree.root() != nullptr);
        QCOMPARE(form->tree.root()->name, std::string("My Src"));
        QCOMPARE(form->tree.folderCount(), 3);
        QCOMPARE(form->selectedNode(), form->tree.root());
        QVERIFY(fs::exists(data / "My Src.dat"));

        // The same folder again: a second, uniquely named stock. The open one
        // leaves the views before the capture first lets them paint.
        bool emptied = false;
        QTimer::singleShot(0, form.get(), [&] {
            emptied = form->progressDlg && form->tree.empty() &&
                      form->TreeView1->model()->rowCount() == 0;
        });
        form->MenuSuckClick();
        QVERIFY(emptied);
        QCOMPARE(form->StockDataList->item(2)->text(), QStringLiteral("My Src_2"));
        QCOMPARE(selectedStock(*form), QStringLiteral("My Src_2"));
    }

    void driveItemIsReadFromItsMountPoint() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path mount = fs::path(tmp.path().toStdString()) / "mnt\xff"; // not UTF-8
        makeSource(mount);
        ScopedDialogs dlg;
        auto form = makeForm(data.path());

        // A made-up drive item, as the drive list makes them.
        auto* item = new QListWidgetItem(QStringLiteral(" (/) HDドライブ"), form->DriveList);
        item->setData(TForm1::DriveMountRole, QByteArray::fromStdString(mount.string()));
        item->setData(TForm1::DriveLabelRole, QStringLiteral("/"));
        form->ListBox1->addItem(QStringLiteral("stale"));
        form->ListBox1->item(0)->setSelected(true);

        doubleClick(form->DriveList, form->DriveList->count() - 1);
        QVERIFY(form->ListBox1->selectedItems().isEmpty()); // one selection between the two
        QCOMPARE(selectedStock(*form), QStringLiteral("root"));
        QVERIFY(fs::exists(data / "root.dat"));
        QCOMPARE(form->tree.folderCount(), 3);
    }

    void emptySourceWarnsAndMakesNoStock() {
        TempDataDir data;
        QTemporaryDir tmp;
        const fs::path empty = fs::path(tmp.path().toStdString()) / "empty";
        fs::create_directories(empty);
        ScopedDialogs dlg;
        dlg->folderAnswers.push_back(QString::fromStdString(empty.string()));
        auto form = makeForm(data.path());
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        form->MenuSuckClick();
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].title, QStringLiteral("警告"));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("無効な読み込み元指定です"));
        QCOMPARE(form->StockDataList->count(), 0);
        QVERIFY(form->tree.empty());
        QVERIFY(form->isEnabled());
    }

    void cancelledFolderChoiceChangesNothing() {
        TempDataDir data;
        ScopedDialogs dlg; // no answer queued: the browser is cancelled
        auto form = makeForm(data.path());
        form->ListBox1->addItem(QStringLiteral("kept"));
        form->chosenSourceFolder = "/kept";
        form->Button1Click();
        QCOMPARE(form->ListBox1->item(0)->text(), QStringLiteral("kept"));
        QCOMPARE(form->chosenSourceFolder, std::string("/kept"));
    }

    void progressDialogShowsTheRunAndCancelClearsTheTree() {
        for (const bool showPath : {true, false}) {
            TempDataDir data;
            QTemporaryDir tmp;
            const fs::path src = fs::path(tmp.path().toStdString()) / "src";
            makeSource(src, 200);
            ScopedDialogs dlg;
            dlg->folderAnswers.push_back(QString::fromStdString(src.string()));
            auto form = makeForm(data.path());
            form->settings.showPathWhileReading = showPath;
            form->Button1Click();

            // Runs inside the capture, as soon as it lets events run.
            bool seen = false;
            QTimer::singleShot(0, form.get(), [&] {
                TProgressDialog* p = form->progressDlg;
                QVERIFY(p != nullptr);
                seen = true;
                QVERIFY(p->isVisible());
                QVERIFY(!form->isEnabled());
                QCOMPARE(p->Label1->text(), QStringLiteral("ドライブからデータを読み出しています"));
                QVERIFY(!p->ProgressBar1->isVisible());
                QCOMPARE(p->Label2->isVisible(), showPath);
                QTest::mouseClick(p->Button1, Qt::LeftButton);
            });
            form->MenuSuckClick();
            QVERIFY(seen);
            QVERIFY(dlg->shown.empty()); // no message
            QCOMPARE(form->StockDataList->count(), 0);
            QVERIFY(form->tree.empty());
            QVERIFY(form->progressDlg == nullptr);
            QVERIFY(form->isEnabled());
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
        auto form = makeForm(data.path());
        form->Button1Click();
        // The Data folder goes away: the stock file cannot be created.
        fs::remove_all(data.path());
        form->MenuSuckClick();
        QCOMPARE(dlg->shown.size(), size_t(1));
        QVERIFY(dlg->shown[0].text.startsWith(QStringLiteral("ファイル ")));
        QVERIFY(dlg->shown[0].text.endsWith(QStringLiteral(" を作成できません")));
        QCOMPARE(form->StockDataList->count(), 0);
        QVERIFY(form->tree.empty());
        fs::create_directories(data.path()); // for the window's own shut-down
    }

    void driveSettingsFilterTheList() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        form->settings.cdDrives = form->settings.hardDisks = form->settings.removableDisks = false;
        form->FillDriveList();
        QCOMPARE(form->DriveList->count(), 0);
        form->settings.hardDisks = form->settings.cdDrives = form->settings.removableDisks = true;
        form->FillDriveList();
        for (int i = 0; i < form->DriveList->count(); ++i) {
            const QListWidgetItem* it = form->DriveList->item(i);
            QVERIFY(it->text().startsWith(QStringLiteral(" (")));
            QVERIFY(!it->data(TForm1::DriveMountRole).toString().isEmpty());
            QVERIFY(!it->icon().isNull());
        }
    }
};

QTEST_MAIN(CaptureWindowTest)
#include "capture_window_test.moc"
