// The window's way to what the command line offers: the duplicates view and
// the check of the name indexes.
#include "gui/common/indexbuilder.h"
#include "gui/dialogs/duplicatesdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/indexstore.h"
#include "testutil.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace zt;
using namespace zt::guitest;

namespace {

void setSizes(FolderNode* folder, uint64_t size) {
    for (FileRecord* f = folder->firstFile; f; f = f->next)
        f->size = size;
}

// a: same.txt (5), sub/dup.bin (9), one.txt (5, other name); b: dup.bin (9), same.txt (5).
void writeStocks(const TempDataDir& data) {
    test::StockBuilder a;
    FolderNode* top = a.root("a", {"same.txt"});
    setSizes(top, 5);
    setSizes(a.add(top, "sub", {"dup.bin"}), 9);
    QVERIFY(a.write(data.path(), "a"));
    test::StockBuilder b;
    FolderNode* bTop = b.root("b", {"same.txt"});
    setSizes(bTop, 5);
    setSizes(b.add(bTop, "x", {"dup.bin"}), 9);
    QVERIFY(b.write(data.path(), "b"));
    data.writeStockList({"a", "b"});
}

} // namespace

class ToolsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void duplicatesAreGroupedSavedAndJumpedTo() {
        TempDataDir data;
        writeStocks(data);
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        const auto csv = data / "dupes.csv";
        dlg->saveAnswers.push_back(QString::fromStdString(csv.string()));
        QStringList rows;
        whenShown<DuplicatesDialog>([&](DuplicatesDialog& d) {
            auto* model = const_cast<DuplicatesModel*>(d.model());
            QAbstractItemModelTester tester(model,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            for (int g = 0; g < model->rowCount(); ++g) {
                const QModelIndex group = model->index(g, 0);
                rows << group.data().toString();
                for (int f = 0; f < model->rowCount(group); ++f)
                    rows << model->index(f, DuplicatesModel::Path, group).data().toString();
            }
            child<QPushButton>(&d, "saveCsvButton")->click();
            QTRY_VERIFY(!d.saving());
            // Enter on the second file of the first group: b's dup.bin.
            auto* view = child<QTreeView>(&d, "duplicatesView");
            view->setCurrentIndex(model->index(1, 0, model->index(0, 0)));
            QTest::keyClick(view, Qt::Key_Return);
        });
        child<QAction>(w.get(), "duplicatesAction")->trigger();
        QVERIFY(waitIdle(*w));
        QCOMPARE(rows, QStringList({"dup.bin（2 件）", "\\a\\sub\\dup.bin", "\\b\\x\\dup.bin",
                                    "same.txt（2 件）", "\\a\\same.txt", "\\b\\same.txt"}));
        std::string expected;
        const auto groups = findDuplicates(StockLibrary(data.path()), {{"a", "b"}});
        QVERIFY(writeDupesCsv(groups.value, [&](std::string_view p) {
            expected += p;
            return true;
        }));
        QCOMPARE(test::readFile(csv), expected);
        QCOMPARE(saveStartFolder(), QString::fromStdString(data.path().string()));
        QCOMPARE(w->stockList()->selectedName(), std::string("b"));
        QCOMPARE(w->folderBrowser()->selectedFolder()->name, std::string("x"));
    }

    void theIndexCheckBuildsWhatIsDamaged() {
        TempDataDir data;
        writeStocks(data);
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QVERIFY(waitIdle(*w));
        // The background builder has checked every stock: nothing else builds meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(w->indexBuilder()->idle(), 30000);
        for (const char* s : {"a", "b"})
            QVERIFY(buildIndex(data.path(), s));
        test::writeFile(indexFilePath(data.path(), "b"), "not an index");
        child<QAction>(w.get(), "checkIndexesAction")->trigger();
        QVERIFY(waitIdle(*w));
        QCOMPARE(w->lastSaid(),
                 QStringLiteral("名前索引を確認しました: 正常 1、作り直し 1、作れなかったもの 0"));
        QCOMPARE(indexState(data.path(), "b", IndexCheck::Thorough), IndexState::Fresh);
        QVERIFY(dlg->shown.empty());
    }
};

QTEST_MAIN(ToolsTest)
#include "tools_test.moc"
