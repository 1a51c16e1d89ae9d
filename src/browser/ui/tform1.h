#pragma once
// The main window. Its handlers live in several files, one per subsystem:
//   tform1.cpp            layout, start-up and shut-down, resize, help, exit
//   tform1_stock.cpp      stock list and opening a stock (catalogue)
//   tform1_capture.cpp    source selection and the capture run
//   tform1_folderview.cpp folder view, file-type icons, properties
//   tform1_search.cpp     the search dialog toggle and refresh
//   tform1_manage.cpp     stock list operations and file-name export
//   tform1_settings.cpp   settings file and options dialog
#include "catalogue/foldertree.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeView;
class QFrame;
class QModelIndex;

namespace zt {
class FlowToolBar;
class FolderTreeModel;
class ContentsModel;
class TProgressDialog;
class TNameChangeDlg;
class TSearchDlg;
class TPropertyDlg;
class TWriteFileNameDlg;
class IconCache;

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~TForm1() override;

    [[nodiscard]] const std::filesystem::path& dataDir() const { return dataDir_; }

    // ---- Controls (owned by their Qt parents) ----
    FlowToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButtonClose = nullptr;
    QToolButton* ToolButtonSuck = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButtonFolderUp = nullptr;
    QToolButton* ToolButtonSearch = nullptr;
    QToolButton* ToolButtonSetting = nullptr;

    QFrame* Panel2 = nullptr;
    QSplitter* Splitter1 = nullptr; // Panel3 | Panel1
    QSplitter* Splitter2 = nullptr; // Panel4 over Panel5
    QSplitter* Splitter3 = nullptr; // Panel6 | Panel7
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Panel5 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel6 = nullptr;
    QWidget* Panel7 = nullptr;
    QWidget* Panel9 = nullptr;
    QWidget* Panel10 = nullptr;
    QWidget* Panel11 = nullptr;
    QLabel* Label1 = nullptr;       // "ストック"
    QLabel* Label2 = nullptr;       // "読み出し元"
    QLabel* Label3 = nullptr;       // "　フォルダ"
    QLabel* Label4 = nullptr;       // "　　フォルダの中身"
    QPushButton* Button2 = nullptr; // ↑
    QPushButton* Button3 = nullptr; // ↓
    QPushButton* BitBtn1 = nullptr; // delete stock
    QPushButton* Button1 = nullptr; // フォルダ参照...
    QListWidget* StockDataList = nullptr;
    QListWidget* DriveList = nullptr;
    QListWidget* ListBox1 = nullptr;
    QTreeView* TreeView1 = nullptr;
    QListView* ListView1 = nullptr;

    QAction* Exit1 = nullptr;
    QMenu* N6 = nullptr;
    QAction* MenuSuck = nullptr;
    QAction* MenuWriteFailName = nullptr;
    QMenu* Show1 = nullptr;
    QAction* MenuSearch = nullptr;
    QMenu* ArrangeIcon1 = nullptr;
    QAction* MenuNameSort = nullptr;
    QAction* MenuKindSort = nullptr;
    QAction* MenuSetting = nullptr;
    QAction* Help1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* Rename1 = nullptr;
    QAction* Delete1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Property1 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QAction* Property2 = nullptr;

    // ---- Shared state ----
    Settings settings;              // window geometry, pane sizes and the options
    int captureItemCount = 0;       // folders met by the running capture
    bool cancelFlag = false;        // set by the progress dialog's Cancel
    std::string chosenSourceFolder; // the folder source (empty when none was chosen)
    bool clearingTree = false;      // true only while the folder tree is being emptied
    int stockFileVersion = 0;       // first line of the last stock file opened

    FolderTree tree;                        // the folders of the open stock (what TreeView1 shows)
    FolderTreeModel* treeModel = nullptr;   // owned by this window (Qt parent)
    ContentsModel* contentsModel = nullptr; // owned by this window (Qt parent)
    IconCache* iconCache = nullptr;         // owned by this window (Qt parent)

    // Dialogs, null when absent (Qt parent: this window).
    TProgressDialog* progressDlg = nullptr;
    TNameChangeDlg* renameDlg = nullptr;
    TSearchDlg* searchDlg = nullptr;
    TPropertyDlg* propertyDlg = nullptr;
    TWriteFileNameDlg* writeFileNameDlg = nullptr;

    // ---- Stock list and opening (tform1_stock.cpp) ----
    [[nodiscard]] std::vector<std::string> stockNames() const;
    [[nodiscard]] std::string selectedStockName() const; // empty when nothing is selected
    void loadStockList();
    void saveStockList();
    void OpenSelectedStock();
    // Empties the tree view (selection changes ignored meanwhile) and the
    // contents list, and releases the folder lists of the open stock.
    void ClearTree();
    // Tree view helpers used by several subsystems.
    [[nodiscard]] FolderNode* selectedNode() const;
    // Selects node in TreeView1 (expanding it one level when asked), which
    // refills the contents list; null clears the selection.
    void selectNode(FolderNode* node, bool expand);
    // Wrap every change of `tree`'s structure (the view is reset around it).
    void beginTreeChange();
    void endTreeChange();

    // ---- Capture (tform1_capture.cpp) ----
    void FillDriveList();
    // DriveList items keep the mount point to read and the label (the root text).
    static constexpr int DriveMountRole = Qt::UserRole;
    static constexpr int DriveLabelRole = Qt::UserRole + 1;

    // ---- Folder view (tform1_folderview.cpp) ----
    void LoadIconCache();
    void RefillContents(); // what a selection change of the tree does
    // A refill of a large folder lets events run; it gives up when another
    // refill or a change of the tree happened meanwhile.
    unsigned contentsFillSerial_ = 0;
    unsigned treeResetCount_ = 0;

    // ---- Search dialog (tform1_search.cpp) ----
    void RefreshSearchStockList(); // refill the search dialog's list when it exists
    void CreateSearchDialog();
    void CloseSearchDialog(); // closes it as its close box does (shut-down step)

    // ---- Settings (tform1_settings.cpp) ----
    void LoadSettings(); // read Setting.dat and apply geometry and options
    void SaveSettings(); // take geometry from the window and write Setting.dat

  public slots:
    // tform1.cpp
    void Exit1Click();
    void Help1Click();
    void FormResize();
    void Panel9Resize();
    void CancelNotification(); // the progress dialog's Cancel
    // tform1_stock.cpp
    void StockDataListClick();
    // tform1_capture.cpp
    void MenuSuckClick();
    void Button1Click();
    void ListBox1Click();
    void DriveListEnter();
    // tform1_folderview.cpp
    void TreeView1Change();
    void ListView1DblClick();
    void ToolButtonFolderUpClick();
    void MenuNameSortClick();
    void MenuKindSortClick();
    void ListView1MouseUp(const QPoint& pos);
    void TreeView1MouseUp(const QPoint& pos);
    void Property1Click();
    void Property2Click();
    // tform1_search.cpp
    void MenuSearchClick();    // sees MenuSearch and ToolButtonSearch as they were before the click
    void SearchDialogClosed(); // the search dialog's close notification
    // tform1_manage.cpp
    void N3Click(); // move up
    void N4Click(); // move down
    void Rename1Click();
    void Delete1Click();
    void MenuWriteFailNameClick();
    // tform1_settings.cpp
    void MenuSettingClick();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // One-time set-up pieces, each in its subsystem's file, called by the constructor.
    void buildLayout();     // tform1.cpp
    void setupStockViews(); // tform1_stock.cpp: tree model, stock list signals
    void setupCapture();    // tform1_capture.cpp
    void setupFolderView(); // tform1_folderview.cpp
    void setupManage();     // tform1_manage.cpp
    void ShutDown();        // the destruction sequence, run once

    std::filesystem::path dataDir_;
    bool shutDownDone_ = false;

    // ---- Layout, start-up and shut-down helpers (tform1.cpp) ----
    void buildToolBar();
    void buildMenus();
    void buildPanes();
    void applySettings(); // window bounds, pane sizes and check marks from `settings`
    [[nodiscard]] int px(int designPixels) const; // a design size, grown with the font
    [[nodiscard]] QWidget* ownedWindow(const void* dialog, const char* className) const;
    bool closeRetryPending_ = false; // a close waits for long work to finish
};

} // namespace zt
