#pragma once
// The main window. It lays out the tool bar and its three panes (the stock
// list over the sources, beside the folder browser), owns the menus and the
// dialogs, runs start-up and shut-down in their order, and maps each command
// to the stock library. Its parts:
//   mainwindow.cpp         layout, resize rule, start-up and shut-down, settings
//   mainwindow_menus.cpp   tool bar, menus and context menus
//   mainwindow_stocks.cpp  opening and capturing stocks (long work on a worker)
//   mainwindow_manage.cpp  moving, renaming, deleting, adopting stocks; the export;
//                          a stock's properties
//   mainwindow_update.cpp  reading a stock's source again and replacing the stock
//   mainwindow_medium.cpp  opening an item of the open stock on its medium
//   mainwindow_shared.cpp  following changes other processes make to the stock list
//   mainwindow_search.cpp  the search window
//   mainwindow_sizes.cpp   the size map window and the size columns
//   mainwindow_tools.cpp   the duplicates and the check of the name indexes
//   mainwindow_status.cpp  the status bar, and the commands shown disabled when they cannot run
#include "browser/contents.h"
#include "capture/capture.h"
#include "gui/common/workrunner.h"
#include "library/verifystock.h"
#include "platform/fileops.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QFileSystemWatcher;
class QFrame;
class QMenu;
class QSplitter;
class QTimer;
class QToolButton;

namespace zt {

class ExportNamesDialog;
class FlowToolBar;
class FolderBrowserPane;
class IconCache;
class IndexBuilder;
class SearchWindow;
class SizeMapWindow;
class SourcePane;
class StockListPane;
class WorkRunner;
struct CaptureRun;
struct ImagesRun;
struct OpenRun;
struct SearchHit;
struct UpdateRun;
class WorkControl;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up, in order: settings (bounds, pane sizes, check marks), the
    // source list, the stock list, the file-type icons, the search window if
    // it was open at the last exit. Warnings may show as it runs.
    void startUp();

    [[nodiscard]] const std::filesystem::path& dataDir() const { return dataDir_; }
    [[nodiscard]] const Settings& settings() const { return settings_; }
    [[nodiscard]] StockListPane* stockList() const { return stockList_; }
    [[nodiscard]] SourcePane* sources() const { return sources_; }
    [[nodiscard]] FolderBrowserPane* folderBrowser() const { return folders_; }
    [[nodiscard]] SearchWindow* searchWindow() const;
    [[nodiscard]] SizeMapWindow* sizeMapWindow() const;
    [[nodiscard]] const IconCache* icons() const { return icons_; }
    [[nodiscard]] IndexBuilder* indexBuilder() const { return indexBuilder_; }
    // True while long work (a capture, an open, a large folder) runs.
    [[nodiscard]] bool busy() const;
    // Shut down already (closed, possibly by a signal while start-up ran).
    [[nodiscard]] bool isShutDown() const { return shutDownDone_; }
    // A save at shut-down failed while the program was ending on a signal.
    [[nodiscard]] bool shutDownFailed() const { return shutDownFailed_; }
    // The outcome of the last command, as the status bar shows it.
    [[nodiscard]] QString lastSaid() const;

  public slots:
    void captureSelectedSource();
    // Reads each image (or device) into a stock of its own, in one job.
    void captureImages(const std::vector<std::string>& paths);
    void openSelectedStock();
    void moveStockUp();
    void moveStockDown();
    void renameSelectedStock();
    void deleteSelectedStock();
    void showStockProperties();
    // Reads the selected stock's source again, shows what changed and
    // replaces the stock when the user agrees.
    void updateSelectedStock();
    // Reads the selected stock's medium again and shows what still reads
    // back as it was (ok, changed content, changed, missing, new, unreadable).
    void verifySelectedStock();
    // The selected contents item on its medium: opened / its folder opened.
    void openItemOnMedium();
    void openItemFolderOnMedium();
    void exportNames();
    void adoptUnlistedStocks();
    // The files stored more than once, found on the worker, then shown.
    void showDuplicates();
    // Reads every part of the indexes of the listed (or the selected) stocks
    // and builds those that are missing, stale or damaged.
    void checkIndexes(bool selectedOnly);
    void showOptions();
    void toggleSearchWindow();
    void toggleSizeMap();
    void showHelp();
    // Shows the list as it is on disk, keeping the selection and the open
    // stock where they still exist.
    void reloadStockList();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // mainwindow.cpp
    void buildPanes();
    void placePanes(); // the resize rule
    void loadSettings();
    void applyBounds();
    void saveSettings();
    void shutDown();
    // mainwindow_menus.cpp
    void buildToolBar();
    void buildMenus();
    void buildContextMenus();
    void buildKeys(); // shortcuts without a menu item, tab order
    void enableMediumActions();
    void openOnDesktop(const std::optional<std::filesystem::path>& path);
    void setArrangement(Arrangement arrangement);
    void showProperties(bool ofFolder);
    // mainwindow_stocks.cpp
    void openStock(const std::string& name);
    void stockOpened(OpenRun& run, bool cancelled);
    void captureEnded(const CaptureRun& run);
    // mainwindow_images.cpp
    void imagesCaptured(const ImagesRun& run);
    void selectStock(int row); // in the list and the search window, without opening
    void loadStockList();      // at start-up: warns when the list cannot be read
    void scheduleIndexes();    // the background index builder checks every listed stock
    // In a job, before it reads or writes stocks: waits for the index builder.
    [[nodiscard]] static bool holdIndexing(IndexBuilder* builder, WorkControl& work);
    // Reading a source in a job: its progress dialog, and the callbacks by
    // which a cancel stops it and the path shows when asked for.
    [[nodiscard]] WorkLook readingLook() const;
    [[nodiscard]] static CaptureCallbacks readingCallbacks(WorkControl& work, bool withPath);
    // mainwindow_update.cpp
    // Where an update or a verify reads from: the recorded source, else the
    // folder the user picks (source set); false when the user cancels.
    bool chooseSourceIfUnrecorded(const std::string& name,
                                  std::optional<std::filesystem::path>& source);
    void readForUpdate(const std::string& name, const std::optional<std::filesystem::path>& source);
    void updateRead(const std::shared_ptr<UpdateRun>& run);
    void updateApplied(const UpdateRun& run);
    // mainwindow_verify.cpp
    void verifyEnded(const std::string& name, StockOutcome<VerifyResult>& result);
    // The reading of content in a job: its bar, bytes, speed and time left.
    [[nodiscard]] static ContentCallbacks contentCallbacks(WorkControl& work);
    // mainwindow_shared.cpp
    void watchStockList();
    void stockListChanged();
    void followOpenStock(const std::vector<std::string>& before,
                         const std::vector<std::string>& after);
    // mainwindow_status.cpp
    void buildStatusBar();
    void say(const QString& text); // the outcome of a command, in the status bar
    void showCounts();             // the open stock's and the selected folder's
    void refreshActions();
    // mainwindow_search.cpp
    void createSearchWindow();
    void closeSearchWindow();
    void searchWindowClosed();
    void openSearchHit(const SearchHit& hit);
    void setSearchChecked(bool checked);
    // mainwindow_sizes.cpp
    void buildSizeViews(); // follows the folder browser
    void createSizeMap();
    void showStockSizes(); // every stock by its bytes, read as a job
    void mapChoseStock(const QString& name);

    std::filesystem::path dataDir_;
    Settings settings_;
    IconCache* icons_ = nullptr;
    WorkRunner* runner_ = nullptr;
    IndexBuilder* indexBuilder_ = nullptr; // made after the runner: destroyed after it
    QToolButton* upButton_ = nullptr;
    QToolButton* captureButton_ = nullptr;
    QToolButton* exportButton_ = nullptr;
    QAction* goUpAction_ = nullptr;
    QList<QObject*> stockActions_; // act on the selected stock: off without one
    QLabel* countsLabel_ = nullptr;
    FlowToolBar* toolBar_ = nullptr;
    QToolButton* searchButton_ = nullptr;
    QFrame* frame_ = nullptr;         // the bevelled frame holding every pane
    QSplitter* columns_ = nullptr;    // left column | folder browser
    QSplitter* leftColumn_ = nullptr; // stock list over sources
    StockListPane* stockList_ = nullptr;
    SourcePane* sources_ = nullptr;
    FolderBrowserPane* folders_ = nullptr;
    QAction* searchAction_ = nullptr;
    QAction* captureAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QAction* updateAction_ = nullptr;
    QAction* verifyAction_ = nullptr;
    QAction* byNameAction_ = nullptr;
    QAction* byKindAction_ = nullptr;
    QMenu* stockMenu_ = nullptr;
    QMenu* contentsMenu_ = nullptr;
    QAction* openOnMediumAction_ = nullptr;
    QAction* openFolderOnMediumAction_ = nullptr;
    QMenu* folderMenu_ = nullptr;
    QPointer<SearchWindow> searchWindow_;
    QPointer<SizeMapWindow> sizeMap_;
    QAction* sizeMapAction_ = nullptr;
    QAction* showSizesAction_ = nullptr;
    QToolButton* sizeMapButton_ = nullptr;
    bool mapSelecting_ = false;                 // the tree follows the map: the map keeps its root
    ExportNamesDialog* exportDialog_ = nullptr; // made at first use, kept for its choices
    QFileSystemWatcher* listWatcher_ = nullptr;
    QTimer* listChangeTimer_ = nullptr;
    std::string openStockName_;                           // the stock the folder browser shows
    std::optional<FileIdentity> openStockIdentity_;       // its stock file, when it was read
    uint64_t openStockBytes_ = 0;                         // the size of all its files
    std::optional<std::vector<std::string>> pendingJump_; // folders to select once open
    bool closeAfterWork_ = false;
    bool boundsFitted_ = false; // once shown, with the frame known
    bool shutDownDone_ = false;
    bool shutDownFailed_ = false;
};

} // namespace zt
