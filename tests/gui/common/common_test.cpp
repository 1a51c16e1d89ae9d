// Shared window services: the tool bar's wrapping, the help pages, the
// scripted dialogs of the tests, and the worker that runs long work.
#include "gui/common/flowtoolbar.h"
#include "gui/common/helpwindow.h"
#include "gui/common/progressdialog.h"
#include "gui/common/workrunner.h"
#include "gui/guitestutil.h"

#include <QFile>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

using namespace zt;
using namespace zt::guitest;

namespace {

// A job that runs until it is cancelled, counting its steps.
WorkRunner::Job untilCancelled(std::atomic<int>& steps) {
    return [&steps](WorkControl& work) {
        while (!work.cancelled()) {
            work.setProgress(++steps % 100);
            std::this_thread::yield();
        }
    };
}

} // namespace

class CommonTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void flowToolBarWrapping() {
        FlowToolBar bar;
        for (int i = 0; i < 4; ++i)
            bar.addButton(QString::number(i), {}, {});
        bar.addSeparator();
        bar.addButton(QStringLiteral("x"), {}, {});
        const int w = bar.buttonSize().width();
        const int oneRow = FlowToolBar::kIndent + 5 * w + FlowToolBar::kSeparatorWidth;
        QCOMPARE(bar.rowsForWidth(oneRow), 1);
        QCOMPARE(bar.rowsForWidth(oneRow - 1), 2);
        // A separator that falls at a row's start takes no room: four buttons
        // per row give two rows, not three.
        QCOMPARE(bar.rowsForWidth(FlowToolBar::kIndent + 4 * w), 2);
        QCOMPARE(bar.rowsForWidth(0), 5); // one button a row
        QCOMPARE(bar.rowsForWidth(bar.minimumWidthForRows(2)), 2);
        QVERIFY(bar.rowsForWidth(bar.minimumWidthForRows(2) - 4) > 2);
    }

    void helpPagesExistAndLinkWithinThemselves() {
        QCOMPARE(HelpWindow::topicUrl(1), QStringLiteral("qrc:/help/index.html"));
        QCOMPARE(HelpWindow::topicUrl(99), QStringLiteral("qrc:/help/index.html"));
        const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
        for (const QString page : {"index.html", "browse.html", "manage.html"}) {
            QFile f(QStringLiteral(":/help/") + page);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(page));
            const QString html = QString::fromUtf8(f.readAll());
            QVERIFY(html.contains(QStringLiteral("ストック")));
            for (auto m = href.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                QVERIFY2(QFile::exists(QStringLiteral(":/help/") + target), qPrintable(target));
            }
        }
    }

    void scriptedDialogsAnswerOnlyTheBoxesThatAsk() {
        ScopedDialogs dlg;
        dlg->messageAnswers = {MsgResult::Cancel};
        warn(nullptr, QStringLiteral("a"));
        QCOMPARE(dlg->messageAnswers.size(), size_t(1));
        QCOMPARE(dialogs().messageBox(nullptr, QStringLiteral("確認"), QStringLiteral("b"),
                                      MsgButtons::OkCancel, MsgIcon::Exclamation),
                 MsgResult::Cancel);
        QCOMPARE(dialogs().messageBox(nullptr, QStringLiteral("確認"), QStringLiteral("c"),
                                      MsgButtons::OkCancel, MsgIcon::Exclamation),
                 MsgResult::Ok);
        QCOMPARE(dlg->shown.size(), size_t(3));
        QCOMPARE(dlg->shown[0].title, QStringLiteral("警告"));
        QCOMPARE(dlg->shown[0].icon, MsgIcon::Warning);

        dlg->saveAnswers = {QStringLiteral("/tmp/x.txt"), std::nullopt};
        QCOMPARE(dialogs().saveFileName(nullptr, QStringLiteral("t"), {}, {}, {}),
                 std::optional<QString>(QStringLiteral("/tmp/x.txt")));
        QVERIFY(!dialogs().saveFileName(nullptr, QStringLiteral("t"), {}, {}, {}));
        QVERIFY(!dialogs().browseForFolder(nullptr, QStringLiteral("f"), {}));
        QCOMPARE(dlg->folderTitles, QStringList({"f"}));
    }

    void workRunsOffTheWindowAndReportsWhenDone() {
        QWidget owner;
        WorkRunner runner(&owner);
        std::thread::id worker;
        bool done = false, wasCancelled = true;
        QVERIFY(runner.start(
            {},
            [&](WorkControl& work) {
                worker = std::this_thread::get_id();
                work.showDialog(1000);
                for (int i = 1; i <= 1000; ++i)
                    work.setProgress(i);
            },
            [&](const JobEnd& end) {
                done = true;
                wasCancelled = end.cancelled || end.threw();
            }));
        QVERIFY(runner.busy() && !owner.isEnabled() && runner.dialog());
        // The bar moves only when it would show the change: a few hundred
        // steps for a thousand calls.
        int moves = 0, last = 0;
        connect(child<QProgressBar>(runner.dialog(), "progressBar"), &QProgressBar::valueChanged,
                this, [&](int v) {
                    ++moves;
                    last = v;
                });
        QVERIFY(!runner.start(
            {}, [](WorkControl&) {}, nullptr)); // one job at a time
        QTRY_VERIFY(done);
        QVERIFY(!wasCancelled && !runner.busy());
        QVERIFY2(moves > 0 && moves <= 201, qPrintable(QString::number(moves)));
        QCOMPARE(last, 1000);
        QVERIFY(worker != std::this_thread::get_id());
        QVERIFY(owner.isEnabled() && !runner.dialog());
        QVERIFY(owner.findChildren<ProgressDialog*>().isEmpty());
    }

    void cancelStopsTheJobAndItsCompletionStillRuns() {
        QWidget owner;
        WorkRunner runner(&owner);
        std::atomic<int> steps{0};
        bool done = false, wasCancelled = false;
        runner.start({}, untilCancelled(steps), [&](const JobEnd& end) {
            done = true;
            wasCancelled = end.cancelled && !end.threw();
        });
        QTRY_VERIFY(steps > 10);
        QTest::mouseClick(child<QWidget>(&owner, "progressCancel"), Qt::LeftButton);
        QTRY_VERIFY(done);
        QVERIFY(wasCancelled && owner.isEnabled());
    }

    void abandonedAndDestroyedRunnersWaitForTheirJob() {
        std::atomic<int> steps{0};
        bool done = false;
        {
            WorkRunner runner(nullptr);
            runner.start({}, untilCancelled(steps), [&](const JobEnd&) { done = true; });
            QTRY_VERIFY(steps > 0);
            runner.abandon(); // returns once the job has ended; its completion is dropped
            QVERIFY(!runner.busy());
            const int after = steps;
            QCoreApplication::processEvents(); // what it posted meanwhile
            QCOMPARE(int(steps), after);
            runner.start({}, untilCancelled(steps), [&](const JobEnd&) { done = true; });
        } // the destructor stops and waits for the second job
        QCoreApplication::processEvents();
        QVERIFY(!done);
    }

    // A job that throws has failed, whatever its own result says; the box
    // shows the exception's text under the message.
    void aJobThatThrowsFailsWithTheExceptionsText() {
        const struct {
            std::function<void()> raise;
            QString detail;
        } cases[] = {
            {[] { throw std::runtime_error("disk gone"); }, QStringLiteral("disk gone")},
            {[] { throw 7; }, QString()},
        };
        for (const auto& c : cases) {
            ScopedDialogs dlg;
            WorkRunner runner(nullptr);
            StockResult result; // the job's own: never filled
            bool done = false;
            runner.start(
                {}, [&](WorkControl&) { c.raise(); },
                [&](const JobEnd& end) {
                    done = true;
                    QVERIFY(end.threw() && !end.cancelled);
                    end.into(result);
                    warn(nullptr, result);
                });
            QTRY_VERIFY(done);
            QCOMPARE(result.failure, StockFailure::Unexpected);
            QCOMPARE(dlg->shown.size(), size_t(1));
            QCOMPARE(dlg->shown[0].text, QStringLiteral("予期しないエラーが発生しました"));
            QCOMPARE(dlg->shown[0].detail, c.detail);
        }
    }
};

QTEST_MAIN(CommonTest)
#include "common_test.moc"
