// Settings at start-up and shut-down of the main window, and the options dialog.
#include "gui/common/colourscheme.h"
#include "gui/dialogs/optionsdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "settings/settings.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDBusVariant>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <functional>

using namespace zt;
using namespace zt::guitest;

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

    void theColourSchemeIsASideSettingAndLegible() {
        // The forcing of one run, and the portal's answer.
        QCOMPARE(forcedColourScheme(false, std::nullopt), std::nullopt);
        QCOMPARE(forcedColourScheme(true, QByteArray("0")), ColourScheme::Dark);
        for (const char* off : {"0", "", "no", "off", "False"})
            QCOMPARE(forcedColourScheme(false, QByteArray(off)), ColourScheme::Light);
        QCOMPARE(forcedColourScheme(false, QByteArray("1")), ColourScheme::Dark);
        const QVariant nested =
            QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u))));
        QCOMPARE(portalPrefersDark(nested), std::optional<bool>(true));
        QCOMPARE(portalPrefersDark(QVariant(2u)), std::optional<bool>(false));
        QCOMPARE(portalPrefersDark(QVariant(0u)), std::nullopt);
        QCOMPARE(portalPrefersDark(QVariant(QStringLiteral("x"))), std::nullopt);

        // Chosen in the options, kept in Data/Options/options.txt (other lines kept).
        TempDataDir data;
        QCOMPARE(loadColourScheme(data.path()), ColourScheme::Auto);
        std::filesystem::create_directories(data / "Options");
        test::writeFile(data / "Options" / "options.txt", "other=1\r\ncolour-scheme=light\r\n");
        QCOMPARE(loadColourScheme(data.path()), ColourScheme::Light);
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const QColor lightWindow = QApplication::palette().color(QPalette::Window);
        whenShown<OptionsDialog>([](OptionsDialog& d) {
            QVERIFY(child<QRadioButton>(&d, "lightSchemeRadio")->isChecked());
            QCOMPARE(child<QGroupBox>(&d, "colourSchemeGroup")->title(), QStringLiteral("配色"));
            child<QRadioButton>(&d, "darkSchemeRadio")->click();
            d.accept();
        });
        w->showOptions();
        QCOMPARE(loadColourScheme(data.path()), ColourScheme::Dark);
        QCOMPARE(test::readFile(data / "Options" / "options.txt"),
                 std::string("checksums=0\r\ncolour-scheme=dark\r\nother=1\r\n"));
        QVERIFY(QApplication::palette().color(QPalette::Window).lightness() < 100);

        // An unchecked box stands out from the window in the dark colours.
        QCheckBox box(QStringLiteral("x"));
        box.resize(box.sizeHint());
        const QImage shot = box.grab().toImage();
        const QColor window = QApplication::palette().color(QPalette::Window);
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator =
            box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box) & shot.rect();
        int most = 0;
        for (int y = indicator.top(); y <= indicator.bottom(); ++y)
            for (int x = indicator.left(); x <= indicator.right(); ++x)
                most = std::max(
                    most, std::abs(QColor(shot.pixel(x, y)).lightness() - window.lightness()));
        QVERIFY2(most > 60, qPrintable(QString::number(most)));

        ColourSchemes::instance().apply(ColourScheme::Light);
        QCOMPARE(QApplication::palette().color(QPalette::Window), lightWindow);
    }

    void dialogLayout() {
        OptionsDialog d;
        QCOMPARE(d.windowTitle(), QStringLiteral("設定"));
        auto* tabs = child<QTabWidget>(&d, "optionsTabs");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("ドライブ"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("表示"));
        QCOMPARE(tabs->currentIndex(), 1);
        QStringList captions;
        for (const char* name : {"cdDrivesCheck", "hardDisksCheck", "removableDisksCheck",
                                 "showPathCheck", "typeIconsCheck"})
            captions << child<QCheckBox>(&d, name)->text();
        QCOMPARE(captions, QStringList({"CDドライブ", "ハードディスク", "リーム-バブルディスク",
                                        "ドライブ読み出し時にパスを表示する",
                                        "ファイルリストのアイコンをファイル種別で変える"}));
        QVERIFY(child<QPushButton>(&d, "okButton")->isDefault());
        QCOMPARE(child<QPushButton>(&d, "cancelButton")->text(), QStringLiteral("キャンセル"));
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
    }

    void cancelChangesNothing() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const Settings before = w->settings();
        w->sources()->addDrive(QStringLiteral("marker"), "/", "/", 4); // a refill would remove it
        const int drives = w->sources()->driveCount();

        bool sawSettings = false;
        whenShown<OptionsDialog>([&](OptionsDialog& d) {
            sawSettings = child<QCheckBox>(&d, "cdDrivesCheck")->isChecked() &&
                          child<QCheckBox>(&d, "typeIconsCheck")->isChecked();
            for (const char* name : {"cdDrivesCheck", "hardDisksCheck", "typeIconsCheck"})
                child<QCheckBox>(&d, name)->setChecked(false);
            child<QPushButton>(&d, "cancelButton")->click();
        });
        w->showOptions();

        QVERIFY(sawSettings);
        QVERIFY(w->settings() == before);
        QCOMPARE(w->sources()->driveCount(), drives);
        QVERIFY(!std::filesystem::exists(data / "Setting.dat"));
    }

    void okCopiesTheBoxesAndRefillsTheDriveList() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->sources()->addDrive(QStringLiteral("marker"), "/", "/", 4);

        whenShown<OptionsDialog>([](OptionsDialog& d) {
            for (const char* name :
                 {"cdDrivesCheck", "hardDisksCheck", "removableDisksCheck", "showPathCheck"})
                child<QCheckBox>(&d, name)->setChecked(false);
            child<QPushButton>(&d, "okButton")->click();
        });
        w->showOptions();

        const Settings& s = w->settings();
        QVERIFY(!s.cdDrives && !s.hardDisks && !s.removableDisks);
        QVERIFY(!s.showPathWhileReading);
        QVERIFY(s.iconsByFileType);
        QCOMPARE(w->sources()->driveCount(), 0); // every drive type is off
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
        auto w = makeWindow(data.path());

        QCOMPARE(w->settings().version, 1300);
        QCOMPARE(w->settings().iconArrangement, int8_t(2));
        QVERIFY(!child<QAction>(w.get(), "byNameAction")->isChecked());
        QVERIFY(!child<QAction>(w.get(), "byKindAction")->isChecked());
        QVERIFY(!child<QAction>(w.get(), "searchAction")->isChecked());
        QVERIFY(!child<QToolButton>(w.get(), "searchButton")->isChecked());
        QCOMPARE(w->size(), QSize(600, 400));
        QCOMPARE(w->stockList()->width(), 140);
        QCOMPARE(w->folderBrowser()->folderTreeWidth(), 180);

        w->resize(640, 420);
        w->folderBrowser()->setFolderTreeWidth(200);
        QTRY_COMPARE(w->size(), QSize(640, 420));
        QTRY_COMPARE(w->folderBrowser()->folderTreeWidth(), 200);
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
        auto w = makeWindow(data.path());
        QVERIFY(child<QAction>(w.get(), "byNameAction")->isChecked());
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
        auto w = makeWindow(data.path());
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
