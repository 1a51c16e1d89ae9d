// The main window: start-up and shut-down, the resize rule, menus and tool bar.
#include "browser/ui/flowtoolbar.h"
#include "browser/ui/helpwindow.h"
#include "browser/ui/termsignals.h"
#include "browser/ui/tform1.h"
#include "ui/uitestutil.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <filesystem>

using namespace zt;
using namespace zt::uitest;

namespace {

QStringList itemTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList actionTexts(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void startsWithCaptionAndStocksInOrder() {
        TempDataDir data;
        data.writeStockList({"Zeta", "あいう", "Alpha", "D_2"});
        ScopedDialogs dlg;
        auto form = makeForm(data.path());

        QCOMPARE(form->windowTitle(), QStringLiteral("Zu Tomelark"));
        QCOMPARE(itemTexts(form->StockDataList), QStringList({"Zeta", "あいう", "Alpha", "D_2"}));
        QVERIFY(dlg->shown.empty());
        // Nothing is opened at start.
        QVERIFY(form->StockDataList->selectedItems().isEmpty());
    }

    void designBoundsAndPaneSizes() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        QCOMPARE(form->size(), QSize(716, 466));
        QCOMPARE(form->Panel3->width(), 129);
        QCOMPARE(form->Panel4->height(), 100);
        QCOMPARE(form->Panel6->width(), 208);
        // The drive pane's bottom strip: the chosen folder and the browse button
        // share its width, the button under the one-line list.
        QCOMPARE(form->Panel9->height(), 41);
        QCOMPARE(form->ListBox1->width(), form->Panel9->width());
        QCOMPARE(form->Button1->width(), form->Panel9->width());
        QCOMPARE(form->ListBox1->height(), 19);
        QCOMPARE(form->Button1->y(), 20);
        QCOMPARE(form->Button1->height(), 21);
    }

    void closingKeepsStocksAnotherProcessAdded() {
        TempDataDir data;
        data.writeStockList({"C", "D"});
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        data.writeStockList({"C", "D", "新しい"}); // a capture made by the command line
        QVERIFY(form->close());
        QCOMPARE(data.readStockList(), (std::vector<std::string>{"C", "D", "新しい"}));
        form.reset();
        QVERIFY(dlg->shown.empty());
    }

    void sigtermClosesAndSavesTheSettings() {
        TempDataDir data;
        data.writeStockList({"A"});
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        closeOnTerminationSignals(form.get());
        std::filesystem::remove(data / "Setting.dat");
        data.writeStockList({"A", "B"});
        std::raise(SIGTERM);
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        QCOMPARE(data.readStockList(), (std::vector<std::string>{"A", "B"}));
        closeOnTerminationSignals(nullptr);
    }

    void sigtermEndsAnOpenModalDialogFirst() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        closeOnTerminationSignals(form.get());
        std::filesystem::remove(data / "Setting.dat");
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        QDialog modal(form.get());
        QCOMPARE(modal.exec(), int(QDialog::Rejected)); // would wait for the user without the fix
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
        closeOnTerminationSignals(nullptr);
    }

    void closeWaitsForLongWork() {
        // While long work runs (window disabled) a close asks it to stop and
        // happens once the window is enabled again.
        TempDataDir data;
        data.writeStockList({"A"});
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        std::filesystem::remove(data / "Setting.dat");
        form->setEnabled(false);
        form->close();
        QTest::qWait(120);
        QVERIFY(form->isVisible());
        QVERIFY(form->cancelFlag);
        QVERIFY(!std::filesystem::exists(data / "Setting.dat")); // nothing saved yet
        form->setEnabled(true);
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(std::filesystem::exists(data / "Setting.dat"));
    }

    void missingStockListIsReported() {
        TempDataDir data;
        std::filesystem::remove(data / "StockList.dat");
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        QCOMPARE(form->StockDataList->count(), 0);
        QCOMPARE(dlg->shown.size(), size_t(1));
        const auto& box = dlg->shown.front();
        QCOMPARE(box.title, QStringLiteral("警告"));
        const QString path = QString::fromStdString((data / "StockList.dat").string());
        QCOMPARE(box.text, QStringLiteral("ファイル %1 は開けません").arg(path));
        QCOMPARE(box.buttons, MsgButtons::Ok);
    }

    void resizeRuleFollowsToolBarRows() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        QWidget* client = form->centralWidget();

        QCOMPARE(form->ToolBar1->rows(), 1);
        QCOMPARE(form->ToolBar1->height(), 49);
        QCOMPARE(form->Panel2->geometry(),
                 QRect(5, 59, client->width() - 10, client->height() - 59 - 5));

        form->resize(320, 400);
        QTRY_COMPARE(form->ToolBar1->rows(), 2);
        QCOMPARE(form->ToolBar1->height(), 98);
        QCOMPARE(form->Panel2->y(), 108);
        QCOMPARE(form->Panel2->x(), 5);
        QCOMPARE(form->Panel2->width(), client->width() - 10);
        QCOMPARE(form->Panel2->height(), client->height() - 108 - 5);
        // Every button stays inside the bar.
        for (auto* b : form->ToolBar1->findChildren<QToolButton*>())
            QVERIFY(form->ToolBar1->rect().contains(b->geometry()));

        // However narrow the window is asked to be, the bar needs at most two rows.
        form->resize(50, 400);
        QTRY_VERIFY(form->width() >= form->minimumWidth());
        QVERIFY(form->ToolBar1->rows() <= 2);

        form->resize(716, 466);
        QTRY_COMPARE(form->ToolBar1->height(), 49);
        QCOMPARE(form->Panel2->y(), 59);
    }

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

    void menusAndToolBar() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());

        QCOMPARE(actionTexts(form->menuBar()->actions()),
                 QStringList({"終了(&X)", "操作(&O)", "表示(&V)", "設定(&S)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(actionTexts(form->N6->actions()),
                 QStringList({"ドライブからデータを読み込む(&S)", "ファイル名を書き出す(&W)"}));
        QCOMPARE(actionTexts(form->Show1->actions()),
                 QStringList({"検索ダイアログ(&F)", "-", "アイコンの整列(&I)"}));
        QCOMPARE(actionTexts(form->ArrangeIcon1->actions()),
                 QStringList({"名前順(&N)", "種類順で整列(&T)"}));
        QCOMPARE(actionTexts(form->PopupMenu1->actions()),
                 QStringList({"上へ", "下へ", "-", "名前の変更", "-", "削除"}));
        QCOMPARE(actionTexts(form->PopupMenu2->actions()), QStringList({"プロパティ"}));
        QCOMPARE(actionTexts(form->PopupMenu3->actions()), QStringList({"プロパティ"}));
        QVERIFY(form->MenuSearch->isCheckable());

        // Arrangement: by name at start; one item at a time; both may be clear.
        QVERIFY(form->MenuNameSort->isChecked());
        QVERIFY(!form->MenuKindSort->isChecked());
        form->MenuKindSort->setChecked(true);
        QVERIFY(!form->MenuNameSort->isChecked());
        form->MenuKindSort->setChecked(false);
        QVERIFY(!form->MenuNameSort->isChecked() && !form->MenuKindSort->isChecked());

        QStringList captions, hints;
        for (QToolButton* b :
             {form->ToolButtonClose, form->ToolButtonSuck, form->ToolButton3, form->ToolButton1,
              form->ToolButtonFolderUp, form->ToolButtonSearch, form->ToolButtonSetting}) {
            captions << b->text();
            hints << b->toolTip();
            QVERIFY(!b->icon().isNull());
            QCOMPARE(b->size(), QSize(52, 43));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
        QCOMPARE(captions,
                 QStringList({"終了", "読み出し", "書き出し", "削除", "上へ", "検索", "設定"}));
        QCOMPARE(hints, QStringList({"終了", "ドライブからデータを読み込む", "ファイル名の書き出し",
                                     "ストックデータの削除", "フォルダを一つ上へ", "検索ダイアログ",
                                     "設定"}));
        QVERIFY(form->ToolButtonSearch->isCheckable());
        // Left to right in one row, separators between the groups.
        QVERIFY(form->ToolButtonSuck->x() > form->ToolButtonClose->x() + 52);
        QCOMPARE(form->ToolButton3->x(), form->ToolButtonSuck->x() + 52);
        QCOMPARE(form->ToolButtonClose->x(), FlowToolBar::kIndent);

        QCOMPARE(form->Label1->text(), QStringLiteral("ストック"));
        QCOMPARE(form->Label2->text(), QStringLiteral("読み出し元"));
        QCOMPARE(form->Label3->text(), QStringLiteral("　フォルダ"));
        QCOMPARE(form->Label4->text(), QStringLiteral("　　フォルダの中身"));
        QCOMPARE(form->Button1->text(), QStringLiteral("フォルダ参照..."));
        QCOMPARE(form->Button2->toolTip(), QStringLiteral("上へ移動"));
        QCOMPARE(form->Button3->toolTip(), QStringLiteral("下へ移動"));
        QCOMPARE(form->BitBtn1->toolTip(), QStringLiteral("ストックを削除"));
        QVERIFY(!form->BitBtn1->icon().isNull());
    }

    void helpAndExit() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        form->Help1->trigger();
        QCOMPARE(dlg->helpTopics, std::vector<int>{1});
        form->Exit1->trigger();
        QVERIFY(!form->isVisible());

        auto again = makeForm(data.path());
        QTest::mouseClick(again->ToolButtonClose, Qt::LeftButton);
        QVERIFY(!again->isVisible());
    }

    void cancelNotificationSetsFlag() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path(), false);
        QVERIFY(!form->cancelFlag);
        form->CancelNotification();
        QVERIFY(form->cancelFlag);
    }

    void japaneseTextUsesAJapaneseFont() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto form = makeForm(data.path());
        const QString family = QFontInfo(form->Label1->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
                 qPrintable(family));
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
        QVERIFY(!dialogs().browseForFolder(nullptr, QStringLiteral("f")));
        QCOMPARE(dlg->folderTitles, QStringList({"f"}));
    }
};

QTEST_MAIN(TForm1Test)
#include "tform1_test.moc"
