// Moving, renaming and deleting stocks from the main window, and the file-name export.
#include "browser/ui/tform1.h"
#include "catalogue/stockfile.h"
#include "catalogue/ui/foldertreemodel.h"
#include "manage/ui/namechangedlg.h"
#include "manage/ui/writefilenamedlg.h"
#include "search/ui/searchdlg.h"
#include "testutil.h"
#include "ui/uitestutil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

using namespace zt;
using namespace zt::uitest;

namespace {

// Data/<name>.dat: top: top.txt; folder "sub" with sub.tar.gz.
void writeStock(const std::filesystem::path& data, const std::string& name) {
    test::StockBuilder s;
    s.add(s.root(name, {"top.txt"}), "sub", {"sub.tar.gz"});
    QVERIFY(s.write(data, name));
}

QStringList listTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class ManageWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataDir> data;
    std::unique_ptr<ScopedDialogs> dlg;
    std::unique_ptr<TForm1> w;

    // Stocks a, b, c with their files; b is open.
    void openB() {
        for (const char* n : {"a", "b", "c"})
            writeStock(data->path(), n);
        data->writeStockList({"a", "b", "c"});
        w = makeForm(data->path());
        w->StockDataList->setCurrentRow(1);
        w->StockDataListClick();
        QVERIFY(w->tree.root());
        QCOMPARE(w->tree.root()->name, std::string("b"));
    }

  private slots:
    void initTestCase() { initWindowTests(); }
    void init() {
        data = std::make_unique<TempDataDir>();
        dlg = std::make_unique<ScopedDialogs>();
    }
    void cleanup() {
        w.reset();
        dlg.reset();
        data.reset();
    }

    void moveKeepsTheStockOpenAndStopsAtTheEnds() {
        openB();
        if (QTest::currentTestFailed()) return;
        w->tree.root()->name = "marker"; // opening the stock again would put back "b"
        w->N3Click();
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"b", "a", "c"}));
        QCOMPARE(w->StockDataList->currentRow(), 0);
        QCOMPARE(w->tree.root()->name, std::string("marker"));
        w->N3Click();
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"b", "a", "c"}));
        w->StockDataList->setCurrentRow(2);
        w->N4Click();
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"b", "a", "c"}));
        QCOMPARE(w->StockDataList->currentRow(), 2);
        w->StockDataList->clearSelection();
        w->N3Click(); // nothing selected
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"b", "a", "c"}));
    }

    void renameValidatesAndStaysOpenUntilTheNameIsGood() {
        openB();
        if (QTest::currentTestFailed()) return;
        QStringList warnings;
        bool stillOpen = true;
        QString initial;
        whenShown<TNameChangeDlg>([&](TNameChangeDlg& d) {
            initial = d.Edit1->text();
            for (const char* name : {"", "x?y", "a", "A", "C"}) {
                d.Edit1->setText(QString::fromUtf8(name));
                d.ButtonOK->click();
                stillOpen = stillOpen && d.isVisible();
            }
            for (const auto& m : (*dlg)->shown)
                warnings << m.text;
            d.Edit1->setText(QStringLiteral("表"));
            d.ButtonOK->click();
        });
        w->Rename1Click();

        QCOMPARE(initial, QStringLiteral("b"));
        QVERIFY(stillOpen);
        QCOMPARE(warnings, (QStringList{"名前が空欄です", "\\ / : , ; * ? \" < > |  は使えません",
                                        "その名前は使われています", "その名前は使われています",
                                        "その名前は使われています"}));
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"a", "表", "c"}));
        QCOMPARE(w->StockDataList->currentRow(), 1);
        QCOMPARE(w->tree.root()->name, std::string("表"));
        QCOMPARE(
            w->treeModel->data(w->treeModel->indexOf(w->tree.root()), Qt::DisplayRole).toString(),
            QStringLiteral("表"));
        QVERIFY(!std::filesystem::exists(data->path() / "b.dat"));
        QVERIFY(test::readFile(data->path() / "表.dat").find("sub.tar.gz") != std::string::npos);
        QCOMPARE(w->renameDlg, nullptr);
        QVERIFY(w->findChild<TNameChangeDlg*>() == nullptr);
    }

    void renameCancelChangesNothing() {
        openB();
        if (QTest::currentTestFailed()) return;
        QString cancelCaption;
        whenShown<TNameChangeDlg>([&](TNameChangeDlg& d) {
            cancelCaption = d.ButtonCancel->text();
            d.Edit1->setText(QStringLiteral("new"));
            QTest::keyClick(&d, Qt::Key_Escape); // not bound
            d.ButtonCancel->click();
        });
        w->Rename1Click();
        QCOMPARE(cancelCaption, QStringLiteral("Cansel"));
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"a", "b", "c"}));
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));
        QVERIFY(!std::filesystem::exists(data->path() / "new.dat"));
    }

    void deleteAsksThenEmptiesTheViews() {
        openB();
        if (QTest::currentTestFailed()) return;
        (*dlg)->messageAnswers = {MsgResult::Cancel};
        w->Delete1Click();
        QCOMPARE(w->StockDataList->count(), 3);
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));
        QCOMPARE((*dlg)->shown.size(), size_t(1));
        const auto& box = (*dlg)->shown[0];
        QCOMPARE(box.title, QStringLiteral("確認"));
        QCOMPARE(box.text, QStringLiteral("ストックデータ： b を削除します"));
        QVERIFY(box.buttons == MsgButtons::OkCancel && box.icon == MsgIcon::None);

        w->Delete1Click(); // answered OK
        QCOMPARE(listTexts(w->StockDataList), (QStringList{"a", "c"}));
        QVERIFY(!std::filesystem::exists(data->path() / "b.dat"));
        QVERIFY(w->StockDataList->selectedItems().isEmpty());
        QVERIFY(w->tree.empty());
        QCOMPARE(w->TreeView1->model()->rowCount(), 0);
        QCOMPARE(w->ListView1->model()->rowCount(), 0);
        w.reset();
        QCOMPARE(data->readStockList(), (std::vector<std::string>{"a", "c"}));
    }

    void theSearchWindowFollowsEveryOperation() {
        openB();
        if (QTest::currentTestFailed()) return;
        w->MenuSearch->trigger();
        QListWidget* copy = w->searchDlg->ListBox1;
        const auto selected = [copy] {
            QStringList out;
            for (const QListWidgetItem* i : copy->selectedItems())
                out << i->text();
            return out;
        };
        w->N3Click();
        QCOMPARE(listTexts(copy), (QStringList{"b", "a", "c"}));
        QCOMPARE(selected(), QStringList{"b"});
        copy->addItem(QStringLiteral("marker"));
        w->N3Click(); // the first item does not move: no refill either
        QCOMPARE(copy->count(), 4);

        whenShown<TNameChangeDlg>([](TNameChangeDlg& d) {
            d.Edit1->setText(QStringLiteral("d"));
            d.ButtonOK->click();
        });
        w->Rename1Click();
        QCOMPARE(listTexts(copy), (QStringList{"d", "a", "c"}));
        QCOMPARE(selected(), QStringList{"d"});

        w->Delete1Click();
        QCOMPARE(listTexts(copy), (QStringList{"a", "c"}));
        QVERIFY(selected().isEmpty());
        w->StockDataList->setCurrentRow(1);
        w->StockDataListClick();
        QCOMPARE(selected(), QStringList{"c"});

        std::filesystem::remove(data->path() / "a.dat"); // a stock that cannot be opened
        w->StockDataList->setCurrentRow(0);
        w->StockDataListClick();
        QVERIFY(selected().isEmpty());
    }

    void closingTheProgramWhileTheirBoxesAreUpFreesNothingTwice() {
        auto* boxes = new OwnedBoxDialogs;
        auto previous = setDialogService(std::unique_ptr<DialogService>(boxes));
        boxes->during = [this] {
            w->close(); // as a termination signal does
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        openB();
        whenShown<TNameChangeDlg>([](TNameChangeDlg& d) {
            d.Edit1->clear();
            d.ButtonOK->click(); // "名前が空欄です"
        });
        w->Rename1Click();
        QCOMPARE(boxes->shown.size(), size_t(1));
        QVERIFY(std::filesystem::exists(data->path() / "b.dat"));

        openB();
        whenShown<TWriteFileNameDlg>([](TWriteFileNameDlg& d) { d.Button3->click(); });
        w->MenuWriteFailNameClick();
        QCOMPARE(boxes->saveTitles, QStringList{"書き出し先ファイル選択"});
        setDialogService(std::move(previous));
    }

    void exportWritesAndKeepsItsChoices() {
        openB();
        if (QTest::currentTestFailed()) return;
        QTemporaryDir outDir;
        const QString out = outDir.path() + QStringLiteral("/names.txt");
        (*dlg)->saveAnswers = {out};
        QString firstName, firstFolder;
        whenShown<TWriteFileNameDlg>([&](TWriteFileNameDlg& d) {
            firstName = d.Edit1->text();
            firstFolder = d.Edit2->text();
            d.Button3->click();
            d.setTargetKind(2);
            d.setRange(2);
            d.CB_EraseKaku->setChecked(true);
            d.Button1->click();
        });
        w->MenuWriteFailNameClick();
        QCOMPARE(firstName, QStringLiteral("FileName.txt"));
        QCOMPARE(firstFolder, TWriteFileNameDlg::defaultOutputFolder());
        QCOMPARE((*dlg)->saveTitles, QStringList{QStringLiteral("書き出し先ファイル選択")});
        QCOMPARE(test::readFile(out.toStdString()), std::string("top\r\nsub\r\nsub.tar\r\n"));

        // The next export starts with the same choices; a cancel writes nothing.
        bool kept = false;
        whenShown<TWriteFileNameDlg>([&](TWriteFileNameDlg& d) {
            kept = d.Edit1->text() == QStringLiteral("names.txt") &&
                   d.Edit2->text() == outDir.path() && d.targetKind() == 2 && d.range() == 2 &&
                   d.CB_EraseKaku->isChecked();
            d.Edit1->setText(QStringLiteral("other.txt"));
            d.Button2->click();
        });
        w->MenuWriteFailNameClick();
        QVERIFY(kept);
        QVERIFY(!QFile::exists(outDir.path() + QStringLiteral("/other.txt")));
        QVERIFY((*dlg)->shown.empty());

        // A file that cannot be created is reported.
        whenShown<TWriteFileNameDlg>([&](TWriteFileNameDlg& d) {
            d.Edit1->setText(QStringLiteral("missing/names.txt"));
            d.Button1->click();
        });
        w->MenuWriteFailNameClick();
        QCOMPARE((*dlg)->shown.size(), size_t(1));
        QVERIFY(
            (*dlg)->shown[0].text.endsWith(QStringLiteral("missing/names.txt を作成できません")));
    }

    void exportNeedsASelectedFolder() {
        data->writeStockList({});
        w = makeForm(data->path());
        w->MenuWriteFailNameClick(); // nothing open: no dialog, nothing waits
        QCOMPARE(w->writeFileNameDlg, nullptr);
    }
};

QTEST_MAIN(ManageWindowTest)
#include "manage_window_test.moc"
