// What the window tells without being asked: the status bar (the open stock's
// and the selected folder's counts, the outcome of the last command) and the
// commands that cannot run now, shown disabled.
#include "gui/common/text.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "platform/numbertext.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

namespace zt {

namespace {

// A size at a glance: bytes below 1 KB, else one decimal of the largest unit.
QString shortSize(uint64_t bytes) {
    if (bytes < 1024) return QString::number(bytes) + QStringLiteral(" バイト");
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    for (; value >= 1024 && unit < 5; ++unit)
        value /= 1024;
    return QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(kUnits[unit]);
}

QString countsText(uint64_t folders, uint64_t files, uint64_t bytes) {
    return QStringLiteral("フォルダ %1、ファイル %2、%3")
        .arg(toQString(groupThousands(folders)), toQString(groupThousands(files)),
             shortSize(bytes));
}

} // namespace

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    countsLabel_ = new QLabel(bar);
    countsLabel_->setObjectName(QStringLiteral("countsLabel"));
    countsLabel_->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(countsLabel_);
    connect(stockList_, &StockListPane::selectionChanged, this, &MainWindow::refreshActions);
    connect(sources_, &SourcePane::sourceChanged, this, &MainWindow::refreshActions);
    connect(folders_, &FolderBrowserPane::folderSelected, this, [this] {
        refreshActions();
        showCounts();
    });
}

void MainWindow::say(const QString& text) {
    statusBar()->showMessage(text);
}

QString MainWindow::lastSaid() const {
    return statusBar()->currentMessage();
}

void MainWindow::showCounts() {
    const FolderNode* root = folders_->tree().root();
    if (!root || openStockName_.empty()) {
        countsLabel_->clear();
        return;
    }
    const FolderTree& tree = folders_->tree();
    QString text = toQString(openStockName_) + QStringLiteral(": ") +
                   countsText(uint64_t(tree.folderCount()), tree.fileCount(), openStockBytes_);
    // The selected folder's own contents: what the list beside the tree shows.
    if (const FolderNode* at = folders_->selectedFolder(); at && at != root) {
        uint64_t bytes = 0;
        for (const FileRecord* f = at->firstFile; f; f = f->next)
            bytes += f->size;
        text += QStringLiteral("　｜　") + toQString(at->name) + QStringLiteral(": ") +
                countsText(at->children.size(), uint64_t(at->fileCount), bytes);
    }
    countsLabel_->setText(text);
}

void MainWindow::refreshActions() {
    // While a job runs the window is disabled anyway; its end refreshes again.
    const bool stock = stockList_->selectedRow() >= 0;
    const FolderNode* folder = folders_->selectedFolder();
    const bool source = sources_->selectedSource().has_value();
    for (QObject* o : std::initializer_list<QObject*>{captureAction_, captureButton_})
        o->setProperty("enabled", source);
    for (QObject* o : std::initializer_list<QObject*>{exportAction_, exportButton_})
        o->setProperty("enabled", folder != nullptr);
    for (QObject* o : stockActions_)
        o->setProperty("enabled", stock);
    const bool up = folder && folder->parent;
    upButton_->setEnabled(up);
    goUpAction_->setEnabled(up);
}

} // namespace zt
