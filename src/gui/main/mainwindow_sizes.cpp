// Where a stock's bytes are: the 容量マップ window following the folder
// browser, and the size columns of the tree and the list.
#include "gui/common/dialogservice.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/sizes/sizemapwindow.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/stocklibrary.h"

#include <QAction>
#include <QToolButton>
#include <algorithm>

namespace zt {

SizeMapWindow* MainWindow::sizeMapWindow() const {
    return sizeMap_;
}

void MainWindow::buildSizeViews() {
    connect(showSizesAction_, &QAction::toggled, folders_, &FolderBrowserPane::setShowSizes);
    // The map reads the tree: it lets go before the tree changes.
    connect(folders_, &FolderBrowserPane::treeAboutToChange, this, [this] {
        if (sizeMap_) sizeMap_->clear();
    });
    // The tree's selection sets the map's root, unless the map chose it.
    connect(folders_, &FolderBrowserPane::folderSelected, this, [this](const FolderNode* node) {
        if (sizeMap_ && !mapSelecting_)
            sizeMap_->showFolder(&folders_->tree(), node, folders_->sizesIfMade());
    });
}

void MainWindow::toggleSizeMap() {
    if (sizeMap_) {
        sizeMap_->close();
    } else {
        createSizeMap();
    }
    const bool shown = sizeMap_ != nullptr;
    sizeMapAction_->setChecked(shown);
    sizeMapButton_->setChecked(shown);
}

void MainWindow::createSizeMap() {
    sizeMap_ = new SizeMapWindow(icons_, this);
    sizeMap_->setAttribute(Qt::WA_DeleteOnClose);
    SizeMapView* view = sizeMap_->view();
    connect(sizeMap_, &SizeMapWindow::closed, this, [this] {
        sizeMapAction_->setChecked(false);
        sizeMapButton_->setChecked(false);
    });
    connect(view, &SizeMapView::sizesMade, folders_, &FolderBrowserPane::adoptSizes);
    connect(view, &SizeMapView::itemClicked, this,
            [this](const FolderNode* folder, const FileRecord* file) {
                mapSelecting_ = true;
                folders_->selectItem(folder, file);
                mapSelecting_ = false;
            });
    connect(view, &SizeMapView::rootChanged, this, [this](const FolderNode* root) {
        mapSelecting_ = true;
        folders_->selectFolder(root, true);
        mapSelecting_ = false;
    });
    connect(sizeMap_, &SizeMapWindow::stocksWanted, this, &MainWindow::showStockSizes);
    connect(view, &SizeMapView::stockChosen, this, &MainWindow::mapChoseStock);
    sizeMap_->showFolder(&folders_->tree(), folders_->selectedFolder(), folders_->sizesIfMade());
    sizeMap_->show();
}

void MainWindow::showStockSizes() {
    if (!sizeMap_ || busy()) return;
    struct Run {
        std::vector<std::string> names;
        std::vector<StockBlock> blocks;
    };
    auto run = std::make_shared<Run>();
    run->names = stockList_->names();
    WorkLook look;
    look.maximum = int(run->names.size());
    runner_->start(
        look,
        [run, dataDir = dataDir_](WorkControl& work) {
            const StockLibrary library(dataDir);
            for (size_t i = 0; i < run->names.size() && !work.cancelled(); ++i) {
                // The facts file when there is one, else a pass over the stock file.
                const auto info = library.info(run->names[i]);
                run->blocks.push_back({run->names[i], info.ok() ? info.value.bytes : 0});
                work.setProgress(int(i) + 1);
            }
        },
        [this, run](const JobEnd& end) {
            if (!sizeMap_ || end.cancelled) return;
            if (end.threw()) {
                warn(this, end.failure);
                return;
            }
            sizeMap_->showStocks(std::move(run->blocks));
        });
}

void MainWindow::mapChoseStock(const QString& name) {
    const auto names = stockList_->names();
    const auto at = std::find(names.begin(), names.end(), toUtf8(name));
    if (at == names.end() || busy()) return;
    if (sizeMap_) sizeMap_->showStockMode();
    selectStock(int(at - names.begin()));
    openSelectedStock();
}

} // namespace zt
