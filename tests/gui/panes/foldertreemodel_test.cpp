// The folder tree model over a FolderTree: structure, reset, open/closed images.
#include "catalogue/foldertree.h"
#include "gui/common/iconcache.h"
#include "gui/panes/folders/foldertreemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace zt;

namespace {

// root "Disc" with b, a (with a1, a2 > deep...), and an empty c.
void fill(FolderTree& tree, int depth) {
    FolderNode* root = tree.addRoot("Disc");
    tree.addChild(root, "b");
    FolderNode* a = tree.addChild(root, "a");
    tree.addChild(a, "a2");
    FolderNode* deep = tree.addChild(a, "a1");
    for (int i = 0; i < depth; ++i)
        deep = tree.addChild(deep, "表" + std::to_string(i));
    tree.addChild(root, "c");
}

qint64 iconKey(const QVariant& v) {
    return v.value<QIcon>().cacheKey();
}

} // namespace

class FolderTreeModelTest : public QObject {
    Q_OBJECT

  private slots:
    void structureFollowsTheNodes() {
        FolderTree tree;
        IconCache icons;
        FolderTreeModel model(&tree, &icons);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.hasChildren());
        QVERIFY(!model.index(0, 0).isValid());

        model.beginTreeReset();
        fill(tree, 50);
        model.endTreeReset();

        QCOMPARE(model.rowCount(), 1);
        const QModelIndex root = model.index(0, 0);
        QCOMPARE(root.data().toString(), QStringLiteral("Disc"));
        QCOMPARE(model.rowCount(root), 3);
        QVERIFY(!model.index(3, 0, root).isValid());
        QVERIFY(!model.index(0, 1, root).isValid());
        // Every node maps to an index and back, with the right parent.
        int visited = 0;
        tree.forEachPreOrder([&](FolderNode& n) {
            const QModelIndex i = model.indexOf(&n);
            if (FolderTreeModel::nodeOf(i) != &n || i.row() != n.row) return false;
            if (model.parent(i) != model.indexOf(n.parent)) return false;
            if (i.data().toString() != QString::fromStdString(n.name)) return false;
            ++visited;
            return true;
        });
        QCOMPARE(visited, int(tree.nodeCount()));

        // Sorting inside a reset: rows follow the new order.
        model.beginTreeReset();
        tree.sortAll();
        model.endTreeReset();
        QCOMPARE(model.index(0, 0, root).data().toString(), QStringLiteral("a"));
        QCOMPARE(model.index(0, 0, model.index(0, 0, root)).data().toString(),
                 QStringLiteral("a1"));

        // Emptying the tree.
        model.beginTreeReset();
        tree.clear();
        model.endTreeReset();
        QCOMPARE(model.rowCount(), 0);
    }

    void aViewWalksTheWholeTree() {
        FolderTree tree;
        IconCache icons;
        FolderTreeModel model(&tree, &icons);
        QTreeView view;
        view.setModel(&model);
        model.beginTreeReset();
        fill(tree, 200);
        model.endTreeReset();
        view.expandAll();
        view.resize(200, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.scrollToBottom();
        view.viewport()->repaint(); // every row on the way is laid out
        QCOMPARE(view.model()->rowCount(), 1);
    }

    void onlyTheSelectedNodeShowsTheOpenFolder() {
        FolderTree tree;
        IconCache icons;
        FolderTreeModel model(&tree, &icons);
        model.beginTreeReset();
        fill(tree, 2);
        model.endTreeReset();
        const qint64 open = icons.image(IconCache::OpenFolder).cacheKey();
        const qint64 closed = icons.image(IconCache::ClosedFolder).cacheKey();
        QVERIFY(open != closed);

        FolderNode* root = tree.root();
        FolderNode* a = root->children[1];
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setSelectedNode(root);
        QCOMPARE(iconKey(model.indexOf(root).data(Qt::DecorationRole)), open);
        QCOMPARE(iconKey(model.indexOf(a).data(Qt::DecorationRole)), closed);

        model.setSelectedNode(a);
        QCOMPARE(iconKey(model.indexOf(root).data(Qt::DecorationRole)), closed);
        QCOMPARE(iconKey(model.indexOf(a).data(Qt::DecorationRole)), open);
        // root (selected), then root and a (the change): both redrawn.
        QCOMPARE(changed.size(), 3);
        QCOMPARE(changed[1][0].value<QModelIndex>(), model.indexOf(root));
        QCOMPARE(changed[2][0].value<QModelIndex>(), model.indexOf(a));

        // A reset forgets the selection: the nodes may be gone.
        model.beginTreeReset();
        model.endTreeReset();
        QCOMPARE(model.selectedNode(), nullptr);
        QCOMPARE(iconKey(model.indexOf(a).data(Qt::DecorationRole)), closed);
    }

    void noImagesUntilTheIconListIsGiven() {
        FolderTree tree;
        FolderTreeModel model(&tree, nullptr);
        model.beginTreeReset();
        fill(tree, 0);
        model.endTreeReset();
        QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).isValid());
        IconCache icons;
        model.setIcons(&icons);
        QCOMPARE(iconKey(model.index(0, 0).data(Qt::DecorationRole)),
                 icons.image(IconCache::ClosedFolder).cacheKey());
    }
};

QTEST_MAIN(FolderTreeModelTest)
#include "foldertreemodel_test.moc"
