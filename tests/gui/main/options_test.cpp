// Settings at start-up and shut-down of the main window, and the options dialog.
#include "browser/ui/tform1.h"
#include "platform/codec.h"
#include "settings/settings.h"
#include "settings/ui/optiondlg.h"
#include "testutil.h"
#include "ui/uitestutil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <functional>

using namespace zt;
using namespace zt::uitest;

namespace {

// Data/Setting.dat for s, with a version and an arrangement the writer would not write.
void writeSettings(const std::filesystem::path& data, const Settings& s, int arrangement,
                   int version = 1200) {
    std::string bytes = serializeSettings(s);
    bytes.replace(bytes.find("1200"), 4, std::to_string(version));
    // The arrangement is the last value line.
    const size_t last = bytes.rfind("\r\n", bytes.size() - 3);
    bytes = bytes.substr(0, last + 2) + std::to_string(arrangement) + "\r\n";
    std::ofstream(data / "Setting.dat", std::ios::binary) << bytes;
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void dialogLayout() {
        TOptionDlg d;
        QCOMPARE(d.windowTitle(), QStringLiteral("設定"));
        QCOMPARE(d.PageControl1->count(), 2);
        QCOMPARE(d.PageControl1->tabText(0), QStringLiteral("ドライブ"));
        QCOMPARE(d.PageControl1->tabText(1), QStringLiteral("表示"));
        QCOMPARE(d.PageControl1->currentIndex(), 1);
        QCOMPARE(d.CB_CDDrive->text(), QStringLiteral("CDドライブ"));
        QCOMPARE(d.CB_HardDisk->text(), QStringLiteral("ハードディスク"));
        QCOMPARE(d.CB_Removable->text(), QStringLiteral("リーム-バブルディスク"));
        QCOMPARE(d.CB_ShowingPath->text(), QStringLiteral("ドライブ読み出し時にパスを表示する"));
        QCOMPARE(d.CB_Icon->text(),
                 QStringLiteral("ファイルリストのアイコンをファイル種別で変える"));
        QVERIFY(d.OKBtn->isDefault());
        QCOMPARE(d.CancelBtn->text(), QStringLiteral("キャンセル"));
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
    }

    void cancelChangesNothing() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        const Settings before = w->settings;
        w->DriveList->addItem(QStringLiteral("marker")); // a refill would remove it

        bool sawSettings = false;
        whenShown<TOptionDlg>([&](TOptionDlg& d) {
            sawSettings = d.CB_CDDrive->isChecked() && d.CB_Icon->isChecked();
            d.CB_CDDrive->setChecked(false);
            d.CB_HardDisk->setChecked(false);
            d.CB_Icon->setChecked(false);
            d.CancelBtn->click();
        });
        w->MenuSettingClick();

        QVERIFY(sawSettings);
        QVERIFY(w->settings == before);
        QVERIFY(!w->DriveList->findItems(QStringLiteral("marker"), Qt::MatchExactly).isEmpty());
        QVERIFY(!std::filesystem::exists(data / "Setting.dat"));
    }

    void okCopiesTheBoxesAndRefillsTheDriveList() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        w->DriveList->addItem(QStringLiteral("marker"));

        whenShown<TOptionDlg>([](TOptionDlg& d) {
            d.CB_CDDrive->setChecked(false);
            d.CB_HardDisk->setChecked(false);
            d.CB_Removable->setChecked(false);
            d.CB_ShowingPath->setChecked(false);
            d.OKBtn->click();
        });
        w->MenuSettingClick();

        QVERIFY(!w->settings.cdDrives && !w->settings.hardDisks && !w->settings.removableDisks);
        QVERIFY(!w->settings.showPathWhileReading);
        QVERIFY(w->settings.iconsByFileType);
        QCOMPARE(w->DriveList->count(), 0); // every drive type is off
        // Written only at shut-down.
        QVERIFY(!std::filesystem::exists(data / "Setting.dat"));
        w.reset();
        Settings saved;
        QVERIFY(loadSettingsFile(data.path(), saved));
        QVERIFY(!saved.cdDrives && !saved.showPathWhileReading && saved.iconsByFileType);
    }

    void startUpAppliesAndShutDownWritesBack() {
        TempDataDir data;
        Settings s;
        s.width = 600;
        s.height = 400;
        s.left = 20;
        s.top = 30;
        s.leftColumnWidth = 140;
        s.stockListHeight = 90;
        s.folderTreeWidth = 180;
        s.iconsByFileType = false;
        writeSettings(data.path(), s, 2, 1300);
        ScopedDialogs dlg;
        auto w = makeForm(data.path());

        QCOMPARE(w->settings.version, 1300);
        QCOMPARE(w->settings.iconArrangement, int8_t(2));
        QVERIFY(!w->MenuNameSort->isChecked() && !w->MenuKindSort->isChecked());
        QVERIFY(!w->MenuSearch->isChecked() && !w->ToolButtonSearch->isChecked());
        QCOMPARE(w->size(), QSize(600, 400));
        QCOMPARE(w->Splitter1->sizes().value(0), 140);
        QCOMPARE(w->Splitter3->sizes().value(0), 180);

        w->resize(640, 420);
        w->Splitter3->setSizes({200, 300});
        QTest::qWait(20);
        w.reset();

        Settings saved;
        QVERIFY(loadSettingsFile(data.path(), saved));
        QCOMPARE(saved.version, 1200);
        QCOMPARE(saved.width, 640);
        QCOMPARE(saved.height, 420);
        QCOMPARE(saved.leftColumnWidth, 140);
        QCOMPARE(saved.folderTreeWidth, 200);
        QCOMPARE(saved.iconArrangement, int8_t(2));
        QVERIFY(!saved.iconsByFileType);
        QVERIFY(dlg->shown.empty());
    }

    void offScreenPositionComesBack() {
        TempDataDir data;
        Settings s;
        s.left = 30000;
        s.top = -30000;
        writeSettings(data.path(), s, 0);
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        QVERIFY(w->MenuNameSort->isChecked());
        bool onScreen = false;
        for (QScreen* screen : QGuiApplication::screens())
            onScreen = onScreen || screen->availableGeometry().intersects(w->frameGeometry());
        QVERIFY(onScreen);
    }

    void failedSaveIsReportedAndTheWindowStillCloses() {
        TempDataDir data;
        // A folder where the file should be: it cannot be replaced.
        std::filesystem::create_directory(data / "Setting.dat");
        ScopedDialogs dlg;
        auto w = makeForm(data.path());
        QVERIFY(w->close());
        w.reset();
        bool reported = false;
        for (const auto& m : dlg->shown)
            reported =
                reported || (m.title == QStringLiteral("警告") &&
                             m.text.endsWith(QStringLiteral("Setting.dat を作成できません")));
        QVERIFY(reported);
        QVERIFY(std::filesystem::is_directory(data / "Setting.dat"));
        QVERIFY(test::readFile(data / "StockList.dat").empty()); // the stock list was still saved
    }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
