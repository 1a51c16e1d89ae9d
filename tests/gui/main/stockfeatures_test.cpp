// A stock's properties and note, updating a stock from its source, opening
// items on the medium, the capture's report of other file systems, and the
// name indexes built in the background.
#include "gui/common/indexbuilder.h"
#include "gui/common/progressdialog.h"
#include "gui/dialogs/stockpropertiesdialog.h"
#include "gui/dialogs/updatestockdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/contentsmodel.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/indexstore.h"
#include "library/stocklibrary.h"
#include "testutil.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

using namespace zt;
using namespace zt::guitest;
namespace fs = std::filesystem;

namespace {

// A source folder read into the stock "src" (its source recorded), listed alone.
struct CapturedSource {
    test::TempDir tmp;
    fs::path src = tmp / "src";
    TempDataDir data;

    CapturedSource() {
        fs::create_directories(src / "docs");
        test::writeFile(src / "keep.txt", "k");
        test::writeFile(src / "gone.txt", "g");
        test::writeFile(src / "docs/grow.txt", "1");
        FolderTree tree;
        const auto r = StockLibrary(data.path()).capture({src, "src", {}}, tree);
        if (!r.ok()) throw std::runtime_error(r.message);
    }
    [[nodiscard]] fs::path stockFile() const { return data / "src.dat"; }
};

// Triggers a window action and waits for its work (and what follows it) to end.
void trigger(MainWindow& w, const char* action) {
    child<QAction>(&w, action)->trigger();
    QVERIFY(waitIdle(w));
}

} // namespace

class StockFeaturesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void propertiesShowTheFactsAndSaveTheNote() {
        CapturedSource s;
        ScopedDialogs dlg;
        auto w = makeWindow(s.data.path());
        w->stockList()->selectRow(0);
        QStringList captions;
        whenShown<StockPropertiesDialog>([&](StockPropertiesDialog& d) {
            for (const QLabel* l : d.findChildren<QLabel*>())
                captions << l->text();
            child<QPlainTextEdit>(&d, "noteEdit")->setPlainText(QStringLiteral("棚の二段目"));
            child<QPushButton>(&d, "okButton")->click();
        });
        child<QAction>(w.get(), "stockPropertiesAction")->trigger();
        QVERIFY(captions.contains(QStringLiteral("src")));
        QVERIFY(captions.contains(QString::fromStdString(s.src.string())));
        QCOMPARE(QString::fromStdString(StockLibrary(s.data.path()).info("src").value.note),
                 QStringLiteral("棚の二段目"));

        // Esc cancels: the note is the one the dialog opened with, even after
        // a focus change saved the edit meanwhile.
        whenShown<StockPropertiesDialog>([&](StockPropertiesDialog& d) {
            auto* note = child<QPlainTextEdit>(&d, "noteEdit");
            note->setPlainText(QStringLiteral("書きかけ"));
            QVERIFY(d.saveNote()); // as the focus leaving the field does
            QTest::keyClick(note, Qt::Key_Escape);
        });
        child<QAction>(w.get(), "stockPropertiesAction")->trigger();
        QCOMPARE(QString::fromStdString(StockLibrary(s.data.path()).info("src").value.note),
                 QStringLiteral("棚の二段目"));
    }

    void updateShowsTheChangesAndReplacesOnlyWhenAsked() {
        CapturedSource s;
        test::writeFile(s.src / "new.txt", "n");
        fs::remove(s.src / "gone.txt");
        test::writeFile(s.src / "docs/grow.txt", "1234");
        const std::string before = test::readFile(s.stockFile());
        ScopedDialogs dlg;
        auto w = makeWindow(s.data.path());
        w->stockList()->selectRow(0);

        QString counts;
        QStringList rows;
        whenShown<UpdateStockDialog>([&](UpdateStockDialog& d) {
            QAbstractItemModelTester tester(const_cast<StockChangesModel*>(d.changes()),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            counts = child<QLabel>(&d, "countsLabel")->text();
            rows = texts(d.changes());
            child<QPushButton>(&d, "cancelUpdateButton")->click();
        });
        trigger(*w, "updateStockAction");
        QCOMPARE(counts, QStringLiteral("追加 1 件、削除 1 件、変更 1 件"));
        rows.sort();
        QCOMPARE(rows,
                 QStringList({"+ \\src\\new.txt", "- \\src\\gone.txt", "~ \\src\\docs\\grow.txt"}));
        QCOMPARE(test::readFile(s.stockFile()), before); // byte for byte

        whenShown<UpdateStockDialog>(
            [](UpdateStockDialog& d) { child<QPushButton>(&d, "applyUpdateButton")->click(); });
        trigger(*w, "updateStockAction");
        QVERIFY(test::readFile(s.stockFile()) != before);
        const FolderNode* top = w->folderBrowser()->tree().root();
        QVERIFY(top && w->stockList()->selectedName() == "src"); // opened again
        QStringList names;
        for (const FileRecord* f = top->firstFile; f; f = f->next)
            names << QString::fromUtf8(f->name().data(), qsizetype(f->name().size()));
        names.sort();
        QCOMPARE(names, QStringList({"keep.txt", "new.txt"}));
        QVERIFY(dlg->shown.empty());

        // Read again at once: nothing changed, nothing is asked.
        trigger(*w, "updateStockAction");
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].text, QStringLiteral("変更はありません"));
    }

    void anUpdateCancelledWhileReadingChangesNothing() {
        CapturedSource s;
        test::writeFile(s.src / "new.txt", "n");
        const std::string before = test::readFile(s.stockFile());
        ScopedDialogs dlg;
        auto w = makeWindow(s.data.path());
        w->stockList()->selectRow(0);
        QVERIFY(w->indexBuilder()->holdOff({})); // then the read polls once a folder
        JobGate gate(runnerOf(*w), 2);           // held in the source's second folder
        child<QAction>(w.get(), "updateStockAction")->trigger();
        QVERIFY(gate.waitHeld());
        QTest::mouseClick(child<QWidget>(w->findChild<ProgressDialog*>(), "progressCancel"),
                          Qt::LeftButton);
        gate.release();
        QVERIFY(waitIdle(*w)); // no changes are asked about
        QVERIFY(dlg->shown.empty());
        QCOMPARE(test::readFile(s.stockFile()), before);
    }

    void mediumItemsFollowTheMedium() {
        CapturedSource s;
        ScopedDialogs dlg;
        auto w = makeWindow(s.data.path());
        w->stockList()->selectRow(0);
        w->openSelectedStock();
        QVERIFY(waitIdle(*w));
        auto* contents = child<QAbstractItemView>(w.get(), "contentsView");
        auto* menu = child<QMenu>(w.get(), "contentsMenu");
        auto* open = child<QAction>(w.get(), "openOnMediumAction");
        auto* openFolder = child<QAction>(w.get(), "openFolderOnMediumAction");
        const auto select = [&](const char* caption) {
            const auto& items = w->folderBrowser()->contents()->items();
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i].caption == caption)
                    contents->setCurrentIndex(contents->model()->index(int(i), 0));
            emit menu->aboutToShow();
        };
        const QString src = QString::fromStdString(s.src.string());
        struct Row {
            const char* item;
            bool removed;
            QStringList opened; // by 開く, then フォルダを開く
        } rows[] = {
            {"keep.txt", false, {src + "/keep.txt", src}},
            {"docs", false, {src + "/docs", src + "/docs"}},
            {"gone.txt", true, {}},
        };
        for (const Row& r : rows) {
            if (r.removed) fs::remove(s.src / r.item);
            select(r.item);
            QCOMPARE(open->isEnabled(), !r.removed);
            QCOMPARE(openFolder->isEnabled(), !r.removed);
            dlg->opened.clear();
            open->trigger();
            openFolder->trigger();
            QCOMPARE(dlg->opened, r.opened);
        }
    }

    void captureReportsFoldersOnOtherFileSystems() {
        struct stat dev {
        }, pts{};
        if (::stat("/dev", &dev) != 0 || ::stat("/dev/pts", &pts) != 0 || dev.st_dev == pts.st_dev)
            QSKIP("no separate file system inside /dev");
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->sources()->setChosenFolder("/dev");
        w->captureSelectedSource();
        QVERIFY(waitIdle(*w));
        QCOMPARE(dlg->shown.size(), size_t(1));
        QCOMPARE(dlg->shown[0].icon, MsgIcon::Information);
        QVERIFY2(dlg->shown[0].text.startsWith(QStringLiteral("別のファイルシステムのフォルダ ")),
                 qPrintable(dlg->shown[0].text));
        QVERIFY(dlg->shown[0].text.endsWith(QStringLiteral(" 個は読み込みませんでした")));
    }

    void missingIndexesAreBuiltInTheBackground() {
        CapturedSource s;
        fs::remove(indexFilePath(s.data.path(), "src"));
        ScopedDialogs dlg;
        auto w = makeWindow(s.data.path());
        QTRY_VERIFY(w->indexBuilder()->idle());
        QCOMPARE(indexState(s.data.path(), "src"), IndexState::Fresh);
        QVERIFY(w->close());
    }
};

QTEST_MAIN(StockFeaturesTest)
#include "stockfeatures_test.moc"
