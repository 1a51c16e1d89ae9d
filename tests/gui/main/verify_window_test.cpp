// Checksums and verify in the window: the source pane's check box (kept in
// the side settings), "ストックを検証..." from both menus, the result list.
#include "gui/dialogs/verifyresultdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/checksumstore.h"
#include "library/stocklibrary.h"
#include "platform/codec.h"
#include "settings/sidesettings.h"
#include "testutil.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace zt;
using namespace zt::guitest;
namespace fs = std::filesystem;

namespace {

void rewriteKeepingTime(const fs::path& p, std::string_view bytes) {
    struct stat st {};
    QCOMPARE(::stat(p.c_str(), &st), 0);
    test::writeFile(p, bytes);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
}

} // namespace

class VerifyWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void theCheckBoxIsRememberedAndMakesTheCaptureRecordChecksums() {
        test::TempDir tmp;
        TempDataDir data;
        fs::create_directories(tmp / "disc");
        test::writeFile(tmp / "disc" / "a.txt", "alpha");
        ScopedDialogs dlg;
        {
            auto w = makeWindow(data.path());
            auto* box = child<QCheckBox>(w->sources(), "recordChecksumsBox");
            QCOMPARE(box->text(), QStringLiteral("内容のチェックサムも記録する"));
            QVERIFY(!box->isChecked());
            box->click();
            QVERIFY(loadSideSettings(data.path()).recordChecksums);
            w->sources()->setChosenFolder((tmp / "disc").string());
            child<QAction>(w.get(), "captureAction")->trigger();
            QVERIFY(waitIdle(*w));
        }
        ChecksumSet sums;
        QCOMPARE(loadChecksums(data.path(), "disc", sums), SumsState::Usable);
        QCOMPARE(sums.hashedCount(), size_t(1));
        auto again = makeWindow(data.path());
        QVERIFY(child<QCheckBox>(again->sources(), "recordChecksumsBox")->isChecked());
    }

    void verifyShowsTheFilesThatDifferFirstAndSavesThemAsCsv() {
        test::TempDir tmp;
        TempDataDir data;
        const fs::path src = tmp / "src";
        fs::create_directories(src);
        test::writeFile(src / "a.txt", "alpha");
        test::writeFile(src / "b.txt", "beta");
        FolderTree tree;
        QVERIFY(StockLibrary(data.path())
                    .capture({src, "src", {}}, tree, {}, {ChecksumMode::Add, {}})
                    .ok());
        rewriteKeepingTime(src / "b.txt", "bet4");
        test::writeFile(src / "c.txt", "new");

        ScopedDialogs dlg;
        const fs::path csv = tmp / "out.csv";
        dlg->saveAnswers.push_back(QString::fromStdString(csv.string()));
        auto w = makeWindow(data.path());
        w->stockList()->selectRow(0);
        // After the existing items of both menus.
        QCOMPARE(child<QMenu>(w.get(), "operationsMenu")->actions().last()->objectName(),
                 QStringLiteral("verifyStockAction"));
        QCOMPARE(child<QMenu>(w.get(), "stockMenu")->actions().last()->objectName(),
                 QStringLiteral("verifyStockAction"));

        QString summary;
        QStringList kinds, sortedByPath;
        whenShown<VerifyResultDialog>([&](VerifyResultDialog& d) {
            QAbstractItemModelTester tester(d.results(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            summary = child<QLabel>(&d, "summaryLabel")->text();
            kinds = texts(d.results());
            d.results()->sort(VerifyResultsModel::Path, Qt::DescendingOrder);
            for (int r = 0; r < d.results()->rowCount(); ++r)
                sortedByPath << d.results()->index(r, VerifyResultsModel::Path).data().toString();
            child<QPushButton>(&d, "saveCsvButton")->click();
            child<QPushButton>(&d, "closeButton")->click();
        });
        child<QAction>(w.get(), "verifyStockAction")->trigger();
        QVERIFY(waitIdle(*w));
        QCOMPARE(kinds, QStringList({"内容変更", "新規"}));
        QCOMPARE(sortedByPath, QStringList({"\\src\\c.txt", "\\src\\b.txt"}));
        QVERIFY(summary.contains(QStringLiteral("内容変更 1")));
        QVERIFY(dlg->shown.empty());
        const std::string written = test::readFile(csv);
        QVERIFY(written.starts_with(cp932::encode("結果,パス,サイズ,記録時のサイズ,更新日時,記録時の更新日時,理由") + "\r\n"));
        QVERIFY(written.find(cp932::encode("新規,\\src\\c.txt,3,,")) != std::string::npos);
        const auto info = StockLibrary(data.path()).info("src");
        QVERIFY(info.ok() && info.value.lastVerify);
        QCOMPARE(info.value.lastVerify->counts[VerifyKind::ContentChanged], uint64_t(1));
    }
};

QTEST_MAIN(VerifyWindowTest)
#include "verify_window_test.moc"
