// The folder view of the main window: filling the contents list (with the
// progress dialog for large folders), sorting, entering a folder and going up,
// the context menus and the properties dialog.
#include "browser/ui/contentsmodel.h"
#include "browser/ui/iconcache.h"
#include "browser/ui/propertydlg.h"
#include "browser/ui/tform1.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/ui/foldertreemodel.h"
#include "ui/uitestutil.h"

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
using namespace zt::uitest;

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

Shown fillTree(TForm1& w) {
    Shown s;
    w.beginTreeChange();
    s.root = w.tree.addRoot("Disc");
    s.sub = w.tree.addChild(s.root, "Sub");
    s.sub->created = fileTimeFromUnix(986601903);
    s.sub->modified = fileTimeFromUnix(986601903);
    s.inner = w.tree.addChild(s.sub, "inner");
    w.tree.addFile(s.inner, "deep.bin")->size = 1000;
    s.empty = w.tree.addChild(s.inner, "empty");
    w.tree.addFile(s.sub, "top.bin")->size = uint64_t(1) << 32;
    s.few = w.tree.addChild(s.root, "few");
    for (int i = 0; i < 500; ++i)
        w.tree.addFile(s.few, "f" + std::to_string(i) + ".txt");
    s.many = w.tree.addChild(s.root, "many");
    for (int i = 0; i < 501; ++i)
        w.tree.addFile(s.many, "m" + std::to_string(i) + ".txt");
    for (const char* n : {"Sub.txt", "b.MP3", "a.txt", "Makefile"}) {
        FileRecord* f = w.tree.addFile(s.root, n);
        f->created = fileTimeFromUnix(986601903);
        f->modified = fileTimeFromUnix(986601963);
        f->size = 1234567;
    }
    w.endTreeChange();
    return s;
}

QStringList captions(const TForm1& w) {
    QStringList out;
    for (int r = 0; r < w.contentsModel->rowCount(); ++r)
        out << w.contentsModel->index(r).data().toString();
    return out;
}

void selectItem(TForm1& w, const QString& caption) {
    const QStringList all = captions(w);
    const int row = int(all.indexOf(caption));
    QVERIFY2(row >= 0, qPrintable(caption));
    w.ListView1->setCurrentIndex(w.contentsModel->index(row));
}

// Watches for progress dialogs: how many were shown, their bar at the end.
class ProgressWatch : public QObject {
  public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    int shown = 0;
    int lastValue = -1, maximum = -1;
    bool cancelHidden = false, pathHidden = false, ownerDisabled = false;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Show) return false;
        auto* d = qobject_cast<TProgressDialog*>(o);
        if (!d) return false;
        ++shown;
        maximum = d->ProgressBar1->maximum();
        cancelHidden = d->Button1->isHidden();
        pathHidden = d->Label2->isHidden();
        ownerDisabled = d->parentWidget() && !d->parentWidget()->isEnabled();
        connect(d->ProgressBar1, &QProgressBar::valueChanged, this,
                [this](int v) { lastValue = v; });
        return false;
    }
};

// Reads the properties dialog once it is up, then presses OK.
struct ShownTexts {
    QString name, created, modified, accessed, size, caption;
    bool seen = false;
};

ShownTexts readPropertiesOf(TForm1& w, void (TForm1::*handler)()) {
    ShownTexts t;
    QTimer::singleShot(0, &w, [&] {
        auto* d = w.findChild<TPropertyDlg*>();
        if (!d) return;
        t.seen = w.propertyDlg == d && d->isModal();
        t.caption = d->windowTitle();
        t.name = d->Label2->text();
        t.created = d->Label6->text();
        t.modified = d->Label7->text();
        t.accessed = d->Label8->text();
        t.size = d->Label9->text();
        d->Button1->click();
    });
    (w.*handler)();
    return t;
}

} // namespace

class FolderViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dialogs;
    std::unique_ptr<TForm1> w;
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
        w = makeForm(data->path());
        s = fillTree(*w);
    }

    void cleanup() {
        w.reset();
        dialogs.reset();
        data.reset();
    }

    void iconsLoadAtStartAndLeaveOnlyTheSample() {
        const IconCache& icons = *w->iconCache;
        QVERIFY(icons.extensions().size() > 100);
        QCOMPARE(icons.ImageCount(), 6 + int(icons.extensions().size()));
        QCOMPARE(icons.imageIndexes().front(), 6);
        QVERIFY(icons.imageIndexOf("Readme.TXT") > 5);
        QCOMPARE(icons.imageIndexOf("Readme.TXT"), icons.imageIndexOf("notes.txt"));
        QCOMPARE(icons.imageIndexOf("no-such-type.zzqq"), 2);
        QVERIFY(!icons.Image(icons.imageIndexOf("song.mp3")).isNull());
        // Types the theme has no icon of get the nearest kind it has.
        if (QIcon::hasThemeIcon("text-x-script") && QIcon::hasThemeIcon("media-optical")) {
            const auto iconName = [&](const char* file) {
                return icons.Image(icons.imageIndexOf(file)).name();
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
        QAbstractItemModelTester tester(w->contentsModel,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w->selectNode(s.root, true);
        QCOMPARE(captions(*w),
                 (QStringList{"few", "many", "Sub", "a.txt", "b.MP3", "Makefile", "Sub.txt"}));
        const auto& items = w->contentsModel->items();
        QCOMPARE(items[0].imageIndex, 1);
        QCOMPARE(items[3].imageIndex, w->iconCache->imageIndexOf("a.txt"));
        QVERIFY(items[3].imageIndex > 5);

        // The column is as wide as the widest item.
        const int textWidth =
            w->ListView1->fontMetrics().horizontalAdvance(QStringLiteral("Makefile"));
        QVERIFY(w->contentsModel->itemSize().width() > textWidth + 16);
        QCOMPARE(w->ListView1->visualRect(w->contentsModel->index(0)).width(),
                 w->contentsModel->itemSize().width());

        selectItem(*w, "a.txt");
        w->MenuKindSort->trigger();
        // The selection stays on its item through a re-sort.
        QCOMPARE(w->ListView1->currentIndex().data().toString(), QStringLiteral("a.txt"));
        QCOMPARE(w->settings.iconArrangement, int8_t(1));
        QVERIFY(w->MenuKindSort->isChecked() && !w->MenuNameSort->isChecked());
        QCOMPARE(captions(*w),
                 (QStringList{"few", "many", "Sub", "Makefile", "b.MP3", "a.txt", "Sub.txt"}));
        w->MenuNameSort->trigger();
        QCOMPARE(w->settings.iconArrangement, int8_t(0));
        QCOMPARE(captions(*w).at(3), QStringLiteral("a.txt"));

        // Without type icons every file has the generic image (at the next refill).
        w->settings.iconsByFileType = false;
        w->RefillContents();
        for (const auto& i : w->contentsModel->items())
            QCOMPARE(i.imageIndex, i.isFolder() ? 1 : 2);
    }

    void progressOnlyForMoreThan500Files() {
        {
            ProgressWatch watch;
            w->selectNode(s.few, false);
            QCOMPARE(watch.shown, 0);
            QCOMPARE(w->contentsModel->rowCount(), 500);
        }
        ProgressWatch watch;
        w->selectNode(s.many, false);
        QCOMPARE(watch.shown, 1);
        QCOMPARE(watch.maximum, 501);
        QCOMPARE(watch.lastValue, 500); // the last single file does not advance the bar
        QVERIFY(watch.cancelHidden && watch.pathHidden && watch.ownerDisabled);
        QVERIFY(!w->findChild<TProgressDialog*>());
        QVERIFY(!w->progressDlg);
        QVERIFY(w->isEnabled());
        QCOMPARE(w->contentsModel->rowCount(), 501);
    }

    // A large folder lets events run while it fills; whatever changes the tree
    // or the selection meanwhile wins, and the half-filled folder is dropped.
    void changesDuringALargeFillWin() {
        w->selectNode(s.root, false);
        QTest::qWait(20); // the fill's first pump then runs at once
        QTimer::singleShot(0, w.get(), [this] { w->selectNode(s.sub, false); });
        w->selectNode(s.many, false);
        QCOMPARE(captions(*w), (QStringList{"inner", "top.bin"}));

        QTest::qWait(20);
        QTimer::singleShot(0, w.get(), [this] { w->ClearTree(); });
        w->selectNode(s.many, false);
        QCOMPARE(w->contentsModel->rowCount(), 0);
        QVERIFY(!w->progressDlg && w->isEnabled());
        QVERIFY(!w->findChild<TProgressDialog*>());
    }

    void enteringAndGoingUp() {
        w->selectNode(s.root, false);
        selectItem(*w, "Sub.txt");
        w->ListView1DblClick(); // a file: nothing happens
        QCOMPARE(w->selectedNode(), s.root);

        selectItem(*w, "Sub");
        QTest::qWait(20); // let the list lay out its items
        const QPoint at = w->ListView1->visualRect(w->ListView1->currentIndex()).center();
        QTest::mouseClick(w->ListView1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->ListView1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->selectedNode(), s.sub);
        QVERIFY(w->TreeView1->isExpanded(w->treeModel->indexOf(s.sub)));
        QCOMPARE(captions(*w), (QStringList{"inner", "top.bin"}));

        w->ToolButtonFolderUp->click();
        QCOMPARE(w->selectedNode(), s.root);
        w->ToolButtonFolderUpClick(); // at the root
        QCOMPARE(w->selectedNode(), s.root);
        w->selectNode(nullptr, false);
        w->ToolButtonFolderUpClick(); // nothing selected
        QVERIFY(!w->selectedNode());
        QCOMPARE(w->contentsModel->rowCount(), 0);
    }

    void contextMenusNeedASelection() {
        w->selectNode(s.root, false);
        w->ListView1MouseUp(QPoint(5, 5));
        QVERIFY(!w->PopupMenu2->isVisible());

        selectItem(*w, "a.txt");
        w->ListView1MouseUp(QPoint(5, 5));
        QVERIFY(w->PopupMenu2->isVisible());
        w->PopupMenu2->hide();

        // A right click on a tree node selects it before the menu opens.
        w->selectNode(s.sub, true);
        const QModelIndex few = w->treeModel->indexOf(s.few);
        w->TreeView1MouseUp(w->TreeView1->visualRect(few).center());
        QCOMPARE(w->selectedNode(), s.few);
        QVERIFY(w->PopupMenu3->isVisible());
        w->PopupMenu3->hide();

        w->selectNode(nullptr, false);
        w->TreeView1MouseUp(QPoint(-10, -10));
        QVERIFY(!w->PopupMenu3->isVisible());
    }

    void propertiesOfFilesAndFolders() {
        w->selectNode(s.root, false);
        selectItem(*w, "a.txt");
        ShownTexts t = readPropertiesOf(*w, &TForm1::Property1Click);
        QVERIFY(t.seen);
        QVERIFY(!w->propertyDlg);
        QCOMPARE(t.caption, QStringLiteral("プロパティ"));
        QCOMPARE(t.name, QStringLiteral("a.txt"));
        QCOMPARE(t.created, QStringLiteral("2001年4月7日 0:5:3"));
        QCOMPARE(t.modified, QStringLiteral("2001年4月7日 0:6:3"));
        QCOMPARE(t.accessed, QStringLiteral("(不明)"));
        QCOMPARE(t.size, QStringLiteral("1,234,567 バイト"));

        // A folder item: its own creation date, the total of every file below it.
        selectItem(*w, "Sub");
        t = readPropertiesOf(*w, &TForm1::Property1Click);
        QCOMPARE(t.name, QStringLiteral("Sub"));
        QCOMPARE(t.created, QStringLiteral("2001年4月7日 0:5:3"));
        QCOMPARE(t.modified, QStringLiteral("(不明)"));
        QCOMPARE(t.size, QStringLiteral("4,294,968,296 バイト"));

        // The root node from the tree: no times at all.
        t = readPropertiesOf(*w, &TForm1::Property2Click);
        QCOMPARE(t.name, QStringLiteral("Disc"));
        QCOMPARE(t.created, QStringLiteral("(不明)"));
        QCOMPARE(t.accessed, QStringLiteral("(不明)"));

        // An empty folder.
        w->selectNode(s.empty, false);
        t = readPropertiesOf(*w, &TForm1::Property2Click);
        QCOMPARE(t.name, QStringLiteral("empty"));
        QCOMPARE(t.size, QStringLiteral("0 バイト"));

        // A name wider than the dialog keeps its start and its type in view.
        TPropertyDlg dlg(w.get());
        PropertyRecord longName;
        longName.name =
            "とても長い日本語のファイル名がここにありますこれは表示の確認用のファイルです.txt";
        dlg.Show(longName);
        QVERIFY(dlg.Label2->text().startsWith(QStringLiteral("とても")));
        QVERIFY(dlg.Label2->text().endsWith(QStringLiteral(".txt")));
        QVERIFY(dlg.Label2->fontMetrics().horizontalAdvance(dlg.Label2->text()) <=
                dlg.Label2->width());
        QCOMPARE(dlg.Label2->toolTip(), QString::fromStdString(longName.name));
    }
};

QTEST_MAIN(FolderViewTest)
#include "folderview_test.moc"
