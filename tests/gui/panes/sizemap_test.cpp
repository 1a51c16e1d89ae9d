// The 容量マップ window beside the folder browser: it follows the tree, its
// clicks select in the tree and the list, double clicks and 上へ zoom; the
// size columns; the map of every stock.
#include "gui/guitestutil.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/contentsmodel.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/folders/foldertreemodel.h"
#include "gui/panes/sizes/sizemapwindow.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "testutil.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace zt;
using namespace zt::guitest;

namespace {

// Disc: Sub/ (inner/ (deep.bin 1000), top.bin 3000), photo.jpg 2000, note.txt 1000
struct Shown {
    FolderNode *root, *sub, *inner;
};

Shown fillTree(FolderBrowserPane& pane) {
    FolderTree tree;
    Shown s{};
    s.root = tree.addRoot("Disc");
    s.sub = tree.addChild(s.root, "Sub");
    s.inner = tree.addChild(s.sub, "inner");
    tree.addFile(s.inner, "deep.bin")->size = 1000;
    tree.addFile(s.sub, "top.bin")->size = 3000;
    tree.addFile(s.root, "photo.jpg")->size = 2000;
    tree.addFile(s.root, "note.txt")->size = 1000;
    pane.setTree(std::move(tree));
    return s;
}

QPoint centreOf(const MapRect& r) {
    return {r.x + r.w / 2, r.y + r.h / 2};
}

// The tile of a folder or a file, once the map has drawn.
int tileOf(const SizeMapView& view, const FolderNode* folder, std::string_view file = {}) {
    const auto& tiles = view.picture().tiles;
    for (size_t i = 0; i < tiles.size(); ++i)
        if (file.empty() ? tiles[i].isFolder() && tiles[i].folder == folder
                         : tiles[i].file && tiles[i].file->name() == file)
            return int(i);
    return -1;
}

bool drawnAt(const SizeMapView& view, const FolderNode* root) {
    return QTest::qWaitFor([&] {
        return !view.layingOut() && view.root() == root && !view.picture().tiles.empty() &&
               view.picture().tiles[0].folder == root;
    });
}

QString selectedCaption(const MainWindow& w) {
    const ContentsItem* item = w.folderBrowser()->selectedContentsItem();
    return item ? QString::fromUtf8(item->caption.data(), qsizetype(item->caption.size()))
                : QString();
}

} // namespace

class SizeMapTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { initWindowTests(); }

    void mapFollowsTheTreeAndSelectsWhatIsClicked() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        FolderBrowserPane* pane = w->folderBrowser();
        const Shown s = fillTree(*pane);
        pane->selectFolder(s.root, true);
        child<QAction>(w.get(), "sizeMapAction")->trigger();
        QVERIFY(child<QToolButton>(w.get(), "sizeMapButton")->isChecked());
        SizeMapWindow* map = w->sizeMapWindow();
        QVERIFY(map && map->isVisible());
        QCOMPARE(map->windowTitle(), QStringLiteral("容量マップ"));
        SizeMapView* view = map->view();
        QVERIFY(drawnAt(*view, s.root));
        QCOMPARE(view->picture().tiles[0].bytes, 7000u);
        // The totals made on the worker go to the folder browser.
        QVERIFY(pane->sizesIfMade());
        // The legend names the kinds drawn.
        QVERIFY(!map->findChildren<QLabel*>(QStringLiteral("sizeMapLegendKind")).isEmpty());

        // Hover names the path and the size; a click selects the file in its folder.
        const int top = tileOf(*view, nullptr, "top.bin");
        QVERIFY(top > 0);
        const QPoint at = centreOf(view->picture().tiles[size_t(top)].rect);
        QVERIFY(view->describeAt(at).startsWith(QStringLiteral("\\Sub\\top.bin　2.93 KB")));
        // Sent straight to the view: an offscreen window gets no pointer of its own.
        QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QCOMPARE(child<QLabel>(map, "sizeMapHover")->text(), view->describeAt(at));
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        QCOMPARE(pane->selectedFolder(), s.sub);
        QCOMPARE(selectedCaption(*w), QStringLiteral("top.bin"));
        QCOMPARE(view->root(), s.root); // the map keeps its root when the tree follows it
        // A folder's tile selects the folder in its parent's contents.
        const int inner = tileOf(*view, s.inner);
        QVERIFY(inner > 0);
        const MapRect innerRect = view->picture().tiles[size_t(inner)].rect;
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(innerRect.x + 2, innerRect.y + 2));
        QCOMPARE(pane->selectedFolder(), s.sub);
        QCOMPARE(selectedCaption(*w), QStringLiteral("inner"));

        // A double click zooms into the folder and the tree goes with it; 上へ goes back.
        QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(innerRect.x + 2, innerRect.y + 2));
        QVERIFY(drawnAt(*view, s.inner));
        QCOMPARE(pane->selectedFolder(), s.inner);
        auto* up = child<QPushButton>(map, "sizeMapUpButton");
        QVERIFY(up->isEnabled());
        up->click();
        QVERIFY(drawnAt(*view, s.sub));
        QCOMPARE(pane->selectedFolder(), s.sub);
        QVERIFY(child<QLabel>(map, "sizeMapPath")->text().startsWith(QStringLiteral("\\Sub")));
        // Choosing in the tree sets the map's root.
        pane->selectFolder(s.root, false);
        QVERIFY(drawnAt(*view, s.root));
        QVERIFY(!up->isEnabled());

        // A new tree empties the map first; closing the window clears the check marks.
        pane->clear();
        QCOMPARE(view->root(), nullptr);
        QVERIFY(view->picture().tiles.empty());
        map->close();
        QVERIFY(!child<QAction>(w.get(), "sizeMapAction")->isChecked());
        QVERIFY(!child<QToolButton>(w.get(), "sizeMapButton")->isChecked());
    }

    void sizeColumnsAreOffUntilAsked() {
        TempDataDir data;
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        FolderBrowserPane* pane = w->folderBrowser();
        const Shown s = fillTree(*pane);
        pane->selectFolder(s.root, true);
        auto* tree = child<QTreeView>(w.get(), "folderTree");
        QCOMPARE(tree->model()->columnCount(), 1);
        QVERIFY(tree->isHeaderHidden());
        QCOMPARE(texts(pane->contents()), QStringList({"Sub", "note.txt", "photo.jpg"}));

        child<QAction>(w.get(), "showSizesAction")->trigger();
        QCOMPARE(tree->model()->columnCount(), 3);
        QVERIFY(!tree->isHeaderHidden());
        const auto* model = static_cast<const FolderTreeModel*>(tree->model());
        const QModelIndex sub = model->indexOf(s.sub);
        QCOMPARE(model->index(sub.row(), 1, sub.parent()).data().toString(),
                 QStringLiteral("3.91 KB"));
        QCOMPARE(model->index(sub.row(), 2, sub.parent()).data().toString(),
                 QStringLiteral("57.1%"));
        QCOMPARE(texts(pane->contents()),
                 QStringList({"Sub  (3.91 KB, 57.1%)", "note.txt  (1000 B, 14.3%)",
                              "photo.jpg  (1.95 KB, 28.6%)"}));
        QVERIFY(tree->isExpanded(model->indexOf(s.root))); // what was open stays open

        child<QAction>(w.get(), "showSizesAction")->trigger();
        QCOMPARE(tree->model()->columnCount(), 1);
        QCOMPARE(texts(pane->contents()), QStringList({"Sub", "note.txt", "photo.jpg"}));
    }

    void everyStockSideBySide() {
        TempDataDir data;
        for (const auto& [name, bytes] : {std::pair{"Small", 100}, std::pair{"Large", 900}}) {
            test::StockBuilder b;
            b.tree.addFile(b.root(name), "f")->size = uint64_t(bytes);
            QVERIFY(b.write(data.path(), name));
        }
        data.writeStockList({"Small", "Large"});
        ScopedDialogs dlg;
        auto w = makeWindow(data.path());
        child<QAction>(w.get(), "sizeMapAction")->trigger();
        SizeMapWindow* map = w->sizeMapWindow();
        SizeMapView* view = map->view();
        child<QPushButton>(map, "sizeMapAllButton")->click();
        QVERIFY(waitIdle(*w));
        QVERIFY(view->showingStocks());
        const auto& rects = view->stockRects();
        QCOMPARE(rects.size(), size_t(2));
        QVERIFY(rects[1].area() > 8 * rects[0].area());
        QVERIFY(view->describeAt(centreOf(rects[0])).startsWith(QStringLiteral("Small　100 B")));
        // A double click opens that stock and shows its map.
        QTest::mouseDClick(view, Qt::LeftButton, {}, centreOf(rects[1]));
        QVERIFY(waitIdle(*w));
        QCOMPARE(w->stockList()->selectedName(), std::string("Large"));
        QVERIFY(!view->showingStocks());
        QVERIFY(drawnAt(*view, w->folderBrowser()->tree().root()));
    }
};

QTEST_MAIN(SizeMapTest)
#include "sizemap_test.moc"
