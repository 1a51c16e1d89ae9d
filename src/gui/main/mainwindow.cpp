// The main window: its panes, the resize rule, the start-up and shut-down
// sequences and the settings file.
#include "gui/main/mainwindow.h"

#include "gui/common/appearance.h"
#include "gui/common/dialogservice.h"
#include "gui/common/flowtoolbar.h"
#include "gui/common/iconcache.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/termsignals.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"
#include "library/stocklibrary.h"
#include "platform/datalock.h"
#include "settings/sidesettings.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zt {

MainWindow::MainWindow(std::filesystem::path dataDir, QWidget* parent)
    : QMainWindow(parent), dataDir_(std::move(dataDir)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Zu Tomelark"));
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->installEventFilter(this);

    // First: the panes, the capture and the tree use the fixed images from the start.
    icons_ = new IconCache(this);
    runner_ = new WorkRunner(this);
    indexBuilder_ = new IndexBuilder(dataDir_, this);
    connect(runner_, &WorkRunner::finished, this, [this] {
        if (busy()) return; // the work went on with a job of its own
        indexBuilder_->resume();
        refreshActions();
        showCounts();
        // A close that came while work ran happens now.
        if (closeAfterWork_) close();
    });
    buildToolBar();
    buildMenus();
    buildPanes();
    buildContextMenus();
    buildSizeViews();
    buildKeys();
    buildStatusBar();
    refreshActions();
    // Never so narrow that the tool bar needs a third row: the bar's height
    // has room for two.
    setMinimumSize(toolBar_->minimumWidthForRows(2), designPixels(*this, 240));
}

MainWindow::~MainWindow() {
    // A window destroyed without being closed still saves its state.
    shutDown();
}

void MainWindow::buildPanes() {
    frame_ = new QFrame(centralWidget());
    frame_->setObjectName(QStringLiteral("paneFrame"));
    frame_->setFrameStyle(QFrame::Box | QFrame::Sunken); // lowered outside, raised inside
    frame_->setLineWidth(1);
    auto* layout = new QVBoxLayout(frame_);
    layout->setContentsMargins(2, 2, 2, 2);
    columns_ = new QSplitter(Qt::Horizontal, frame_);
    layout->addWidget(columns_);

    stockList_ = new StockListPane;
    sources_ = new SourcePane(icons_);
    folders_ = new FolderBrowserPane(icons_, runner_);
    leftColumn_ = new QSplitter(Qt::Vertical);
    leftColumn_->addWidget(stockList_);
    leftColumn_->addWidget(sources_);
    leftColumn_->setStretchFactor(0, 0);
    leftColumn_->setStretchFactor(1, 1);
    columns_->addWidget(leftColumn_);
    columns_->addWidget(folders_);
    columns_->setStretchFactor(0, 0);
    columns_->setStretchFactor(1, 1);
    for (QSplitter* s : {columns_, leftColumn_})
        s->setHandleWidth(4);

    connect(stockList_, &StockListPane::openRequested, this, &MainWindow::openSelectedStock);
    connect(stockList_, &StockListPane::moveUpClicked, this, &MainWindow::moveStockUp);
    connect(stockList_, &StockListPane::moveDownClicked, this, &MainWindow::moveStockDown);
    connect(stockList_, &StockListPane::deleteClicked, this, &MainWindow::deleteSelectedStock);
    connect(sources_, &SourcePane::captureRequested, this, &MainWindow::captureSelectedSource);
    connect(sources_, &SourcePane::imagesChosen, this, &MainWindow::captureImages);
    // Remembered at once, in a side file: Setting.dat has no place for it.
    connect(sources_, &SourcePane::recordChecksumsToggled, this, [this](bool on) {
        SideSettings side = loadSideSettings(dataDir_);
        side.recordChecksums = on;
        if (!saveSideSettings(dataDir_, side))
            warn(this, toQString(messageCannotCreate(dataDir_ / "Options" / "options.txt")));
    });
}

bool MainWindow::busy() const {
    return runner_->busy();
}

void MainWindow::startUp() {
    // Settings first, then the lists that depend on them.
    loadSettings();
    applyBounds();
    sources_->fillDrives(settings_.cdDrives, settings_.hardDisks, settings_.removableDisks);
    sources_->setRecordChecksums(loadSideSettings(dataDir_).recordChecksums);
    loadStockList();
    // A signal that came while a warning was up closed the window.
    if (shutDownDone_) return;
    icons_->load(dataDir_);
    watchStockList();
    scheduleIndexes();
    if (settings_.searchDialogShown) toggleSearchWindow();
}

void MainWindow::loadSettings() {
    // A missing or short file leaves the first-start values for what it lacks.
    (void)loadSettingsFile(dataDir_, settings_);
    folders_->setIconsByFileType(settings_.iconsByFileType);
    folders_->setArrangement(Arrangement(settings_.iconArrangement));
    setArrangement(Arrangement(settings_.iconArrangement));
    setSearchChecked(settings_.searchDialogShown);
}

void MainWindow::applyBounds() {
    // Sizes from the file may be anything an int holds, and were saved at
    // whatever scale that screen had (at 200 % a screen has half the logical
    // pixels): the window is brought to fit the free area of the screen it
    // was on (but never below its minimum), in 64-bit arithmetic.
    const int64_t left = settings_.left, top = settings_.top;
    const QScreen* screen = QGuiApplication::primaryScreen();
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->availableGeometry();
        if (left >= g.left() && left < int64_t(g.left()) + g.width() && top >= g.top() &&
            top < int64_t(g.top()) + g.height())
            screen = s;
    }
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const auto fit = [](int64_t v, int64_t lo, int64_t hi) {
        return int(std::clamp(v, lo, std::max(lo, hi)));
    };
    // The frame is known once the window is shown; until then it counts as none.
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const int w =
        fit(settings_.width, minimumWidth(), avail.width() - frame.left() - frame.right());
    const int h =
        fit(settings_.height, minimumHeight(), avail.height() - frame.top() - frame.bottom());
    resize(w, h);
    // Wholly on that screen: a place saved on a screen that is gone, or one
    // that runs off the edge, would put the window (or its title) out of reach.
    const int outerW = w + frame.left() + frame.right(), outerH = h + frame.top() + frame.bottom();
    move(fit(left, avail.left(), int64_t(avail.left()) + avail.width() - outerW),
         fit(top, avail.top(), int64_t(avail.top()) + avail.height() - outerH));

    const int big = std::max(w, h) + 1000;
    columns_->setSizes({fit(settings_.leftColumnWidth, 0, w), big});
    leftColumn_->setSizes({fit(settings_.stockListHeight, 0, h), big});
    folders_->setFolderTreeWidth(fit(settings_.folderTreeWidth, 50, w));
}

void MainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (boundsFitted_) return;
    boundsFitted_ = true;
    // Now the frame is known: the place and size are fitted once more, with it.
    QTimer::singleShot(0, this, [this] {
        const QRect frame = frameGeometry();
        settings_.left = frame.left();
        settings_.top = frame.top();
        settings_.width = width();
        settings_.height = height();
        const QList<int> columns = columns_->sizes(), left = leftColumn_->sizes();
        const int tree = folders_->folderTreeWidth();
        applyBounds();
        columns_->setSizes(columns);
        leftColumn_->setSizes(left);
        folders_->setFolderTreeWidth(tree);
    });
}

void MainWindow::saveSettings() {
    // The bounds of the normal (not maximised) window: its frame position and
    // its inner size, as applyBounds() sets them.
    QRect normal = normalGeometry();
    if (!normal.isValid()) normal = geometry();
    const QPoint frameOffset = geometry().topLeft() - pos();
    settings_.width = normal.width();
    settings_.height = normal.height();
    settings_.left = normal.left() - frameOffset.x();
    settings_.top = normal.top() - frameOffset.y();
    // The panes have their real sizes only once the window has been laid out;
    // before that the values read at start-up still hold.
    if (columns_->isVisible()) {
        settings_.leftColumnWidth = columns_->sizes().value(0, settings_.leftColumnWidth);
        settings_.stockListHeight = leftColumn_->sizes().value(0, settings_.stockListHeight);
        settings_.folderTreeWidth = folders_->folderTreeWidth();
    }
    // Last writer wins, but never two writers at once. A lock that cannot be
    // had (a read-only Data folder) does not stop the attempt.
    const auto lock =
        DataLock::acquire(dataDir_, DataLock::Mode::Exclusive, std::chrono::seconds(2));
    if (saveSettingsFile(dataDir_, settings_)) return;
    const std::string message = messageCannotCreate(settingsPath(dataDir_));
    if (terminationRequested()) {
        // Ending on a signal: nobody is there to answer a box.
        std::fprintf(stderr, "zutomelark: %s\n", message.c_str());
        shutDownFailed_ = true;
        return;
    }
    warn(this, toQString(message));
}

void MainWindow::shutDown() {
    if (shutDownDone_) return;
    shutDownDone_ = true;
    saveSettings();
    // The settings are saved already, so they keep "search window shown" as it was.
    closeSearchWindow();
    indexBuilder_->stop(); // after the stock it is indexing
    folders_->clear();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (busy()) {
        // Long work uses the tree: ask it to stop, and close once it has.
        runner_->cancel();
        closeAfterWork_ = true;
        e->ignore();
        return;
    }
    shutDown();
    e->accept();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    placePanes();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize && watched == centralWidget()) placePanes();
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::placePanes() {
    // The tool bar is 49 pixels per two rows; the frame sits 10 pixels below
    // it and 5 from the other edges.
    QWidget* client = centralWidget();
    if (!client || !toolBar_ || !frame_) return;
    const int cw = client->width();
    const int ch = client->height();
    const int rows = toolBar_->rowsForWidth(cw);
    const int barHeight = int(std::lround(49 * toolBar_->scale())) * (1 + rows / 2);
    toolBar_->setGeometry(0, 0, cw, barHeight);
    const int left = 5;
    const int top = barHeight + 10;
    frame_->setGeometry(left, top, std::max(0, cw - 2 * left), std::max(0, ch - top - 5));
}

void MainWindow::showHelp() {
    dialogs().showHelp(this, 1);
}

} // namespace zt
