#pragma once
// The folder browser: the open stock's folder tree beside the contents of the
// selected folder. The pane owns the open stock's tree; a folder of many files
// is listed on a worker (the progress dialog up, the window disabled).
#include "browser/contents.h"
#include "browser/foldersizes.h"
#include "browser/properties.h"
#include "catalogue/foldertree.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QListView;
class QMenu;
class QSplitter;
class QTreeView;

namespace zt {

class ContentsModel;
class FolderTreeModel;
class IconCache;
class WorkRunner;

class FolderBrowserPane : public QWidget {
    Q_OBJECT

  public:
    // icons and runner are not owned; the runner runs the large folder fills.
    FolderBrowserPane(const IconCache* icons, WorkRunner* runner, QWidget* parent = nullptr);
    ~FolderBrowserPane() override;

    // Folders of more than this many files are listed under the progress dialog.
    static constexpr int kProgressThreshold = 500;

    // Shows a stock's tree (nothing selected) / empties both views.
    void setTree(FolderTree tree);
    void clear();
    [[nodiscard]] const FolderTree& tree() const { return tree_; }
    void renameRoot(const std::string& name);

    [[nodiscard]] const FolderNode* selectedFolder() const;
    // Selects node (expanded one level when asked), which refills the
    // contents; null clears the selection.
    void selectFolder(const FolderNode* node, bool expand);
    // Down from the root by these names as far as they lead, expanded.
    void selectPath(const std::vector<std::string>& folders);
    void goUp();
    // Selects an item in the tree and the list: a file (in its folder), or a
    // folder (the folder's parent in the tree, the folder in its contents;
    // the top is selected in the tree). Once a large folder is listed, when
    // it is listed on the worker.
    void selectItem(const FolderNode* folder, const FileRecord* file);
    // The contents item selected in the list, if any.
    [[nodiscard]] const ContentsItem* selectedContentsItem() const;
    // Enters the selected contents item when it is a folder.
    void openContentsItem();

    // The arrangement and the type images; both apply from the next fill,
    // the arrangement also re-sorts the list now.
    void setArrangement(Arrangement arrangement);
    void setIconsByFileType(bool byType) { iconsByType_ = byType; }
    void refillContents();
    [[nodiscard]] const ContentsModel* contents() const { return contents_; }

    // The selected contents item as the names below the stock's top, its own last.
    struct ItemPath {
        std::vector<std::string> parts;
        bool isFolder = false;
    };
    [[nodiscard]] std::optional<ItemPath> selectedItemPath() const;

    // What the properties dialog shows for the selected item / folder.
    [[nodiscard]] std::optional<PropertyRecord> selectedItemProperties() const;
    [[nodiscard]] std::optional<PropertyRecord> selectedFolderProperties() const;

    // The context menus (not owned): the contents list's opens only with an
    // item selected; a right click in the tree selects the folder under it first.
    void setContentsMenu(QMenu* menu) { contentsMenu_ = menu; }
    void setTreeMenu(QMenu* menu) { treeMenu_ = menu; }

    // The widgets that take the focus, in tab order.
    [[nodiscard]] QList<QWidget*> focusOrder() const;

    // The open stock's folder totals: made once per stock (here, or handed
    // in by whoever made them on a worker), forgotten when the tree changes.
    [[nodiscard]] std::shared_ptr<const FolderSizes> sizesIfMade() const { return sizes_; }
    [[nodiscard]] std::shared_ptr<const FolderSizes> sizes();
    void adoptSizes(std::shared_ptr<const FolderSizes> sizes);
    // The size column of the tree and the sizes in the list (off at start).
    void setShowSizes(bool show);
    [[nodiscard]] bool showsSizes() const { return showSizes_; }

    [[nodiscard]] int folderTreeWidth() const;
    void setFolderTreeWidth(int width);

  signals:
    // Before the tree changes (its nodes are about to go) and after.
    void treeAboutToChange();
    void treeChanged();
    // The tree's selected folder changed (null: none).
    void folderSelected(const FolderNode* folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QWidget* buildTreePanel();
    QWidget* buildContentsPanel();
    void beginTreeChange();
    void endTreeChange();
    void stopFill();
    void showItems(std::vector<ContentsItem> items, bool sorted);
    void showContentsMenu(const QPoint& pos);
    void showTreeMenu(const QPoint& pos);
    void selectPendingItem();

    const IconCache* icons_;
    QPointer<WorkRunner> runner_;
    FolderTree tree_;
    FolderTreeModel* treeModel_ = nullptr;
    ContentsModel* contents_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTreeView* treeView_ = nullptr;
    QListView* contentsView_ = nullptr;
    QMenu* contentsMenu_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    Arrangement arrangement_ = Arrangement::ByName;
    bool iconsByType_ = true;
    bool filling_ = false; // a large folder is being listed on the worker
    bool changingTree_ = false;
    bool showSizes_ = false;
    std::shared_ptr<const FolderSizes> sizes_;
    const void* pendingItem_ = nullptr; // selected in the list once it is filled
};

} // namespace zt
