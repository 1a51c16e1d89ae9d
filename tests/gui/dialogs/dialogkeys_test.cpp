// Every dialog by keyboard: a Tab walk (and one with Shift+Tab) reaches each
// control once and comes back, and Esc cancels.
#include "gui/dialogs/adoptstocksdialog.h"
#include "gui/dialogs/exportnamesdialog.h"
#include "gui/dialogs/optionsdialog.h"
#include "gui/dialogs/propertiesdialog.h"
#include "gui/dialogs/renamestockdialog.h"
#include "gui/dialogs/stockpropertiesdialog.h"
#include "gui/dialogs/updatestockdialog.h"
#include "gui/guitestutil.h"

#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>

using namespace zt;
using namespace zt::guitest;

class DialogKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void theWalkFindsATrap() {
        // A table that moves cell by cell on Tab never lets the focus go.
        QDialog d;
        auto* edit = new QLineEdit(&d);
        auto* table = new QTableWidget(3, 3, &d);
        auto* layout = new QVBoxLayout(&d);
        layout->addWidget(edit);
        layout->addWidget(table);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(!tabWalkProblem(&d, edit).isEmpty());
        table->setTabKeyNavigation(false);
        QCOMPARE(tabWalkProblem(&d, edit), QString());
    }

    void tabWalksReachEveryControlAndEscCancels() {
        StockDiff diff;
        diff.changes.push_back({StockChange::Kind::Added, false, {"new.txt"}});
        diff.added = 1;
        StockInfo info;
        info.note = "memo";
        const struct {
            const char* what;
            std::function<QDialog*()> make;
            bool escCancels;
        } cases[] = {
            {"rename",
             [] {
                 return new RenameStockDialog(nullptr,
                                              [](const std::string&) { return std::string(); });
             },
             false}, // Escape is not bound there: it has no close box either
            {"export", [] { return new ExportNamesDialog(nullptr); }, true},
            {"options", [] { return new OptionsDialog(nullptr); }, true},
            {"properties", [] { return new PropertiesDialog(nullptr); }, true},
            {"stock properties",
             [&info] {
                 return new StockPropertiesDialog(nullptr, QStringLiteral("S"), info,
                                                  [](const std::string&) { return true; });
             },
             true},
            {"update", [&diff] { return new UpdateStockDialog(nullptr, "S", diff); }, true},
            {"adopt",
             [] {
                 return new AdoptStocksDialog(nullptr, {"x", "y"});
             },
             true},
        };
        QStringList failed;
        for (const auto& c : cases) {
            std::unique_ptr<QDialog> d(c.make());
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d.get()));
            QWidget* first = d->nextInFocusChain();
            while (!(first->focusPolicy() & Qt::TabFocus) || !first->isVisible() ||
                   !first->isEnabled())
                first = first->nextInFocusChain();
            for (bool backwards : {false, true})
                if (const QString p = tabWalkProblem(d.get(), first, backwards); !p.isEmpty())
                    failed << QString::fromLatin1(c.what) + QStringLiteral(": ") + p;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            if (d->isVisible() == c.escCancels)
                failed << QString::fromLatin1(c.what) + QStringLiteral(": Esc");
        }
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QStringLiteral("\n"))));
    }
};

QTEST_MAIN(DialogKeysTest)
#include "dialogkeys_test.moc"
