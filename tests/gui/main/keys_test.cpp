// The keyboard: every key of the main window triggers its action; focusable
// widgets have accessible names and follow the panes in tab order.
#include "gui/common/helpwindow.h"
#include "gui/dialogs/renamestockdialog.h"
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "testutil.h"

#include <QAbstractItemView>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>

using namespace zt;
using namespace zt::guitest;

namespace {

struct KeyCase {
    const char* what;
    const char* focus; // objectName of the widget that has the focus
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    // Checks the outcome; `sub` is the open stock's folder "sub".
    std::function<bool(MainWindow&, ScriptedDialogs&, const FolderNode* sub)> done;
};

const FolderNode* childNamed(const FolderNode* n, const char* name) {
    for (const FolderNode* c : n->children)
        if (c->name == name) return c;
    return nullptr;
}

bool menuShown(MainWindow& w, const char* name) {
    auto* menu = child<QMenu>(&w, name);
    const bool shown = QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000);
    menu->hide();
    return shown;
}

} // namespace

class KeysTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void keysTriggerTheirActions() {
        const KeyCase cases[] = {
            {"F1 help",
             "stockList",
             Qt::Key_F1,
             {},
             [](MainWindow&, ScriptedDialogs& d, const FolderNode*) {
                 return d.helpTopics == std::vector<int>{1};
             }},
            {"Ctrl+F search", "stockList", Qt::Key_F, Qt::ControlModifier,
             [](MainWindow& w, ScriptedDialogs&, const FolderNode*) {
                 return w.searchWindow() != nullptr;
             }},
            {"Delete asks first",
             "stockList",
             Qt::Key_Delete,
             {},
             [](MainWindow& w, ScriptedDialogs& d, const FolderNode*) {
                 return d.shown.size() == 1 && d.shown[0].title == QStringLiteral("確認") &&
                        w.stockList()->count() == 1; // cancelled
             }},
            {"Enter opens a folder",
             "contentsView",
             Qt::Key_Return,
             {},
             [](MainWindow& w, ScriptedDialogs&, const FolderNode* sub) {
                 return w.folderBrowser()->selectedFolder() == sub;
             }},
            {"Backspace goes up",
             "folderTree",
             Qt::Key_Backspace,
             {},
             [](MainWindow& w, ScriptedDialogs&, const FolderNode* sub) {
                 return w.folderBrowser()->selectedFolder() == sub->parent;
             }},
            {"Alt+Up goes up", "contentsView", Qt::Key_Up, Qt::AltModifier,
             [](MainWindow& w, ScriptedDialogs&, const FolderNode* sub) {
                 return w.folderBrowser()->selectedFolder() == sub->parent;
             }},
            {"Shift+F10 stock menu", "stockList", Qt::Key_F10, Qt::ShiftModifier,
             [](MainWindow& w, ScriptedDialogs&, const FolderNode*) {
                 return menuShown(w, "stockMenu");
             }},
            {"Menu key folder menu",
             "folderTree",
             Qt::Key_Menu,
             {},
             [](MainWindow& w, ScriptedDialogs&, const FolderNode*) {
                 return menuShown(w, "folderMenu");
             }},
            {"Menu key contents menu",
             "contentsView",
             Qt::Key_Menu,
             {},
             [](MainWindow& w, ScriptedDialogs&, const FolderNode*) {
                 return menuShown(w, "contentsMenu");
             }},
            {"Ctrl+Q quits and saves", "stockList", Qt::Key_Q, Qt::ControlModifier,
             [](MainWindow& w, ScriptedDialogs&, const FolderNode*) {
                 return !w.isVisible() && std::filesystem::exists(w.dataDir() / "Setting.dat");
             }},
        };
        QStringList failed;
        for (const KeyCase& c : cases) {
            TempDataDir data;
            test::StockBuilder stock;
            FolderNode* root = stock.root("S", {"a.txt"});
            stock.add(root, "sub", {"in.txt"});
            QVERIFY(stock.write(data.path(), "S"));
            data.writeStockList({"S"});
            ScopedDialogs dlg;
            dlg->messageAnswers.push_back(MsgResult::Cancel);
            auto w = makeWindow(data.path());
            w->stockList()->selectRow(0);
            w->openSelectedStock();
            QVERIFY(waitIdle(*w));
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            const FolderNode* sub = childNamed(w->folderBrowser()->tree().root(), "sub");
            QVERIFY(sub);
            // In the top folder, its subfolder "sub" selected in the contents;
            // in "sub" for the keys that go up.
            const bool goesUp = c.key == Qt::Key_Backspace || c.key == Qt::Key_Up;
            w->folderBrowser()->selectFolder(goesUp ? sub : sub->parent, true);
            auto* contents = child<QAbstractItemView>(w.get(), "contentsView");
            contents->setCurrentIndex(contents->model()->index(0, 0)); // folders first
            std::filesystem::remove(data / "Setting.dat");

            QWidget* focus = child<QWidget>(w.get(), c.focus);
            focus->setFocus();
            QTest::keyClick(focus, c.key, c.modifiers);
            if (!c.done(*w, *dlg, sub)) failed << QString::fromUtf8(c.what);
            w.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QStringLiteral(", "))));
    }

    void f2RenamesTheSelectedStock() {
        TempDataDir data;
        data.writeStockList({"S"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->stockList()->selectRow(0);
        bool shown = false;
        whenShown<RenameStockDialog>([&](RenameStockDialog& d) {
            shown = true;
            d.reject();
        });
        auto* list = child<QWidget>(w.get(), "stockList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F2);
        QVERIFY(shown);
    }

    void focusOrderAndAccessibleNames() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        QStringList order;
        QWidget* at = child<QWidget>(w.get(), "upButton");
        for (int i = 0; i < 9; ++i, at = at->nextInFocusChain()) {
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisible())
                at = at->nextInFocusChain();
            order << at->objectName();
        }
        QCOMPARE(order, QStringList({"upButton", "stockList", "driveList", "chosenFolderList",
                                     "browseFolderButton", "imageFileButton",
                                     "recordChecksumsBox", "folderTree",
                                     "contentsView"}));
        for (QWidget* widget : w->findChildren<QWidget*>())
            if (widget->focusPolicy() != Qt::NoFocus && widget->isVisible() &&
                !qobject_cast<QMenu*>(widget))
                QVERIFY2(!widget->accessibleName().isEmpty(),
                         qPrintable(widget->metaObject()->className() + widget->objectName()));
    }

    void escapeClosesTheHelpWindow() {
        QPointer<HelpWindow> help = HelpWindow::showTopic(nullptr, 1);
        QVERIFY(QTest::qWaitForWindowActive(help));
        // F1's page lists the keys.
        for (const char* key : {"Ctrl+F", "Ctrl+Q", "F2", "Delete", "Backspace", "Shift+F10"})
            QVERIFY2(help->browser()->toPlainText().contains(QLatin1String(key)), key);
        help->openTopic(2);
        QTest::keyClick(help->browser(), Qt::Key_Escape);
        QTRY_VERIFY(help.isNull() || !help->isVisible());
    }
};

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
