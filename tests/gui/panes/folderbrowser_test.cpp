// The folder view of the main window: filling the contents list (with the
// progress dialog for large folders), sorting, entering a folder and going up,
// the context menus and the properties dialog.
#include "gui/common/iconcache.h"
#include "gui/common/progressdialog.h"
#include "gui/dialogs/propertiesdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/contentsmodel.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/folders/foldertreemodel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cstdlib>
#include <ctime>

using namespace zt;
using namespace zt::guitest;

namespace {

// The stock shown in a window, built in place:
//   Disc: Sub/ (inner/ (empty/, deep.bin 1000), top.bin 4 GiB), few/ (500 files), many/ (501
//   files),
//         Sub.txt, b.MP3, a.txt, Makefile
struct Shown {
    FolderNode* root = nullptr;
    FolderNode* sub = nullptr;
    FolderNode* inner = nullptr;
    FolderNode* empty = nullptr;
    FolderNode* few = nullptr;
    FolderNode* many = nullptr;
};

Shown fillTree(FolderBrowserPane& pane) {
    Shown s;
    FolderTree tree;
    s.root = tree.addRoot("Disc");
    s.sub = tree.addChild(s.root, "Sub");
    s.sub->created = fileTimeFromUnix(986601903);
    s.sub->modified = fileTimeFromUnix(986601903);
    s.inner = tree.addChild(s.sub, "inner");
    tree.addFile(s.inner, "deep.bin")->size = 1000;
    s.empty = tree.addChild(s.inner, "empty");
    tree.addFile(s.sub, "top.bin")->size = uint64_t(1) << 32;
    s.few = tree.addChild(s.root, "few");
    for (int i = 0; i < 500; ++i)
        tree.addFile(s.few, "f" + std::to_string(i) + ".txt");
    s.many = tree.addChild(s.root, "many");
    for (int i = 0; i < 501; ++i)
        tree.addFile(s.many, "m" + std::to_string(i) + ".txt");
    for (const char* n : {"Sub.txt", "b.MP3", "a.txt", "Makefile"}) {
        FileRecord* f = tree.addFile(s.root, n);
        f->created = fileTimeFromUnix(986601903);
        f->modified = fileTimeFromUnix(986601963);
        f->size = 1234567;
    }
    pane.setTree(std::move(tree));
    return s;
}

QStringList captions(const MainWindow& w) {
    return texts(w.folderBrowser()->contents());
}

QListView* contentsView(const MainWindow& w) {
    return child<QListView>(&w, "contentsView");
}

void selectItem(MainWindow& w, const QString& caption) {
    const int row = int(captions(w).indexOf(caption));
    QVERIFY2(row >= 0, qPrintable(caption));
    contentsView(w)->setCurrentIndex(w.folderBrowser()->contents()->index(row));
}

// Reads the properties dialog once it is up, then presses OK.
struct ShownTexts {
    QString name, created, modified, accessed, size, caption;
    bool modal = false;
};

ShownTexts readProperties(MainWindow& w, const char* action) {
    ShownTexts t;
    whenShown<PropertiesDialog>([&](PropertiesDialog& d) {
        t.modal = d.isModal();
        t.caption = d.windowTitle();
        t.name = child<QLabel>(&d, "nameLabel")->text();
        t.created = child<QLabel>(&d, "createdValue")->text();
        t.modified = child<QLabel>(&d, "modifiedValue")->text();
        t.accessed = child<QLabel>(&d, "accessedValue")->text();
        t.size = child<QLabel>(&d, "sizeValue")->text();
        child<QPushButton>(&d, "okButton")->click();
    });
    child<QAction>(&w, action)->trigger();
    return t;
}

} // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dialogs;
    std::unique_ptr<MainWindow> w;
    Shown s;

  private slots:
    void initTestCase() {
        setenv("TZ", "UTC", 1);
        tzset();
        initWindowTests();
    }

    void init() {
        data = std::make_unique<TempDataDir>();
        dialogs = std::make_unique<ScopedDialogs>();
        w = makeWindow(data->path());
        s = fillTree(*w->folderBrowser());
    }

    void cleanup() {
        w.reset();
        dialogs.reset();
        data.reset();
    }

    void iconsLoadAtStartAndLeaveOnlyTheSample() {
        const IconCache& icons = *w->icons();
        QVERIFY(icons.extensions().size() > 100);
        QCOMPARE(icons.imageCount(), 6 + int(icons.extensions().size()));
        QCOMPARE(icons.imageIndexes().front(), 6);
        QVERIFY(icons.imageIndexOf("Readme.TXT") > 5);
        QCOMPARE(icons.imageIndexOf("Readme.TXT"), icons.imageIndexOf("notes.txt"));
        QCOMPARE(icons.imageIndexOf("no-such-type.zzqq"), 2);
        QVERIFY(!icons.image(icons.imageIndexOf("song.mp3")).isNull());
        // Types the theme has no icon of get the nearest kind it has.
        if (QIcon::hasThemeIcon("text-x-script") && QIcon::hasThemeIcon("media-optical")) {
            const auto iconName = [&](const char* file) {
                return icons.image(icons.imageIndexOf(file)).name();
            };
            QCOMPARE(iconName("main.cpp"), QStringLiteral("text-x-script"));
            QCOMPARE(iconName("disc.iso"), QStringLiteral("media-optical"));
            QCOMPARE(iconName("run.bat"), QStringLiteral("text-x-script"));
            QVERIFY(iconName("notes.txt") != iconName("main.cpp"));
        }

        QStringList left;
        for (const auto& e : std::filesystem::directory_iterator(data->path() / "Icon"))
            left << QString::fromStdString(e.path().filename().string());
        left.sort();
        QCOMPARE(left, (QStringList{"icon.dat", "test.dat"}));
    }

    void fillsFoldersFirstWithTypeImages() {
        FolderBrowserPane* pane = w->folderBrowser();
        QAbstractItemModelTester tester(const_cast<ContentsModel*>(pane->contents()),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        pane->selectFolder(s.root, true);
        QCOMPARE(captions(*w),
                 (QStringList{"few", "many", "Sub", "a.txt", "b.MP3", "Makefile", "Sub.txt"}));
        const auto& items = pane->contents()->items();
        QCOMPARE(items[0].imageIndex, 1);
        QCOMPARE(items[3].imageIndex, w->icons()->imageIndexOf("a.txt"));
        QVERIFY(items[3].imageIndex > 5);

        // The column is as wide as the widest item.
        QListView* view = contentsView(*w);
        const int textWidth = view->fontMetrics().horizontalAdvance(QStringLiteral("Makefile"));
        QVERIFY(pane->contents()->itemSize().width() > textWidth + 16);
        QCOMPARE(view->visualRect(pane->contents()->index(0)).width(),
                 pane->contents()->itemSize().width());

        selectItem(*w, "a.txt");
        child<QAction>(w.get(), "byKindAction")->trigger();
        // The selection stays on its item through a re-sort.
        QCOMPARE(view->currentIndex().data().toString(), QStringLiteral("a.txt"));
        QCOMPARE(w->settings().iconArrangement, int8_t(1));
        QVERIFY(child<QAction>(w.get(), "byKindAction")->isChecked());
        QVERIFY(!child<QAction>(w.get(), "byNameAction")->isChecked());
        QCOMPARE(captions(*w),
                 (QStringList{"few", "many", "Sub", "Makefile", "b.MP3", "a.txt", "Sub.txt"}));
        child<QAction>(w.get(), "byNameAction")->trigger();
        QCOMPARE(w->settings().iconArrangement, int8_t(0));
        QCOMPARE(captions(*w).at(3), QStringLiteral("a.txt"));

        // Without type icons every file has the generic image (at the next fill).
        pane->setIconsByFileType(false);
        pane->refillContents();
        for (const auto& i : pane->contents()->items())
            QCOMPARE(i.imageIndex, i.isFolder() ? 1 : 2);
    }

    void largeFoldersAreListedOnTheWorker() {
        FolderBrowserPane* pane = w->folderBrowser();
        pane->selectFolder(s.few, false);
        QVERIFY(!w->busy() && !w->findChild<ProgressDialog*>());
        QCOMPARE(pane->contents()->rowCount(), 500);

        pane->selectFolder(s.many, false);
        auto* d = w->findChild<ProgressDialog*>();
        QVERIFY(d && d->isVisible() && !w->isEnabled());
        QCOMPARE(d->maximum(), 501);
        QVERIFY(!child<QWidget>(d, "progressCancel")->isVisible());
        QVERIFY(!child<QWidget>(d, "progressPath")->isVisible());
        QVERIFY(waitIdle(*w));
        QVERIFY(!w->findChild<ProgressDialog*>());
        QVERIFY(w->isEnabled());
        QCOMPARE(pane->contents()->rowCount(), 501);
        QCOMPARE(captions(*w).first(), QStringLiteral("m0.txt"));
    }

    // Whatever changes the tree or the selection while a large folder is
    // listed wins: the listing is stopped and its items never shown.
    void changesDuringALargeFillWin() {
        FolderBrowserPane* pane = w->folderBrowser();
        pane->selectFolder(s.many, false);
        pane->selectFolder(s.sub, false);
        QCOMPARE(captions(*w), (QStringList{"inner", "top.bin"}));
        QVERIFY(!w->busy() && w->isEnabled());

        pane->selectFolder(s.many, false);
        pane->clear();
        QVERIFY(!w->busy() && w->isEnabled());
        QCoreApplication::processEvents(); // whatever the stopped fill posted
        QCOMPARE(pane->contents()->rowCount(), 0);
        QVERIFY(!w->findChild<ProgressDialog*>());
    }

    void enteringAndGoingUp() {
        FolderBrowserPane* pane = w->folderBrowser();
        QListView* view = contentsView(*w);
        pane->selectFolder(s.root, false);
        selectItem(*w, "Sub.txt");
        pane->openContentsItem(); // a file: nothing happens
        QCOMPARE(pane->selectedFolder(), s.root);

        selectItem(*w, "Sub");
        QTRY_VERIFY(!view->visualRect(view->currentIndex()).isEmpty()); // laid out
        const QPoint at = view->visualRect(view->currentIndex()).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(pane->selectedFolder(), s.sub);
        auto* tree = child<QTreeView>(w.get(), "folderTree");
        QVERIFY(tree->isExpanded(qobject_cast<FolderTreeModel*>(tree->model())->indexOf(s.sub)));
        QCOMPARE(captions(*w), (QStringList{"inner", "top.bin"}));

        child<QToolButton>(w.get(), "upButton")->click();
        QCOMPARE(pane->selectedFolder(), s.root);
        pane->goUp(); // at the root
        QCOMPARE(pane->selectedFolder(), s.root);
        pane->selectFolder(nullptr, false);
        pane->goUp(); // nothing selected
        QVERIFY(!pane->selectedFolder());
        QCOMPARE(pane->contents()->rowCount(), 0);
    }

    void contextMenusNeedASelection() {
        FolderBrowserPane* pane = w->folderBrowser();
        auto* contentsMenu = child<QMenu>(w.get(), "contentsMenu");
        auto* folderMenu = child<QMenu>(w.get(), "folderMenu");
        QListView* view = contentsView(*w);
        auto* tree = child<QTreeView>(w.get(), "folderTree");
        pane->selectFolder(s.root, false);
        emit view->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(!contentsMenu->isVisible());

        selectItem(*w, "a.txt");
        emit view->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(contentsMenu->isVisible());
        contentsMenu->hide();

        // A right click on a tree node selects it before the menu opens.
        pane->selectFolder(s.sub, true);
        const QModelIndex few = qobject_cast<FolderTreeModel*>(tree->model())->indexOf(s.few);
        emit tree->customContextMenuRequested(tree->visualRect(few).center());
        QCOMPARE(pane->selectedFolder(), s.few);
        QVERIFY(folderMenu->isVisible());
        folderMenu->hide();

        pane->selectFolder(nullptr, false);
        emit tree->customContextMenuRequested(QPoint(-10, -10));
        QVERIFY(!folderMenu->isVisible());
    }

    void propertiesOfFilesAndFolders() {
        FolderBrowserPane* pane = w->folderBrowser();
        pane->selectFolder(s.root, false);
        selectItem(*w, "a.txt");
        ShownTexts t = readProperties(*w, "itemPropertiesAction");
        QVERIFY(t.modal);
        QVERIFY(!w->findChild<PropertiesDialog*>());
        QCOMPARE(t.caption, QStringLiteral("プロパティ"));
        QCOMPARE(t.name, QStringLiteral("a.txt"));
        QCOMPARE(t.created, QStringLiteral("2001年4月7日 0:5:3"));
        QCOMPARE(t.modified, QStringLiteral("2001年4月7日 0:6:3"));
        QCOMPARE(t.accessed, QStringLiteral("(不明)"));
        QCOMPARE(t.size, QStringLiteral("1,234,567 バイト"));

        // A folder item: its own creation date, the total of every file below it.
        selectItem(*w, "Sub");
        t = readProperties(*w, "itemPropertiesAction");
        QCOMPARE(t.name, QStringLiteral("Sub"));
        QCOMPARE(t.created, QStringLiteral("2001年4月7日 0:5:3"));
        QCOMPARE(t.modified, QStringLiteral("(不明)"));
        QCOMPARE(t.size, QStringLiteral("4,294,968,296 バイト"));

        // The root node from the tree: no times at all.
        t = readProperties(*w, "folderPropertiesAction");
        QCOMPARE(t.name, QStringLiteral("Disc"));
        QCOMPARE(t.created, QStringLiteral("(不明)"));
        QCOMPARE(t.accessed, QStringLiteral("(不明)"));

        // An empty folder.
        pane->selectFolder(s.empty, false);
        t = readProperties(*w, "folderPropertiesAction");
        QCOMPARE(t.name, QStringLiteral("empty"));
        QCOMPARE(t.size, QStringLiteral("0 バイト"));

        // A name wider than the dialog keeps its start and its type in view.
        PropertiesDialog dlg(w.get());
        PropertyRecord longName;
        longName.name =
            "とても長い日本語のファイル名がここにありますこれは表示の確認用のファイルです.txt";
        dlg.showRecord(longName);
        auto* name = child<QLabel>(&dlg, "nameLabel");
        QVERIFY(name->text().startsWith(QStringLiteral("とても")));
        QVERIFY(name->text().endsWith(QStringLiteral(".txt")));
        QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <= name->width());
        QCOMPARE(name->toolTip(), QString::fromStdString(longName.name));
    }
};

QTEST_MAIN(FolderBrowserTest)
#include "folderbrowser_test.moc"
