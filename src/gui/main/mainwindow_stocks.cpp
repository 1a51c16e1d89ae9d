// Opening a stock and reading a source into a new one: long work that runs on
// the worker while the window waits disabled under the progress dialog.
#include "gui/common/dialogservice.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/source/sourcepane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "gui/search/searchwindow.h"
#include "library/stocklibrary.h"
#include "platform/numbertext.h"

#include <algorithm>
#include <memory>

namespace zt {

struct OpenRun {
    std::string name;
    StockOutcome<OpenedStock> result;
    std::optional<FileIdentity> identity; // the stock file as it was before the read
    uint64_t bytes = 0;                   // the size of all its files
};

struct CaptureRun {
    CaptureOutcome result;
    size_t files = 0; // in the new stock
};

void MainWindow::selectStock(int row) {
    stockList_->selectRow(row);
    if (searchWindow_) searchWindow_->selectStock(stockList_->selectedRow());
}

void MainWindow::loadStockList() {
    const auto names = StockLibrary(dataDir_).names(false);
    if (!names.ok()) {
        // Missing, or there but unreadable: then nothing may rewrite it, and
        // every change is refused by the library until it reads again.
        warn(this, names);
        return;
    }
    stockList_->setNames(names.value);
}

void MainWindow::scheduleIndexes() {
    indexBuilder_->schedule(stockList_->names());
}

bool MainWindow::holdIndexing(IndexBuilder* builder, WorkControl& work) {
    return builder->holdOff([&work] { return work.cancelled(); });
}

WorkLook MainWindow::readingLook() const {
    WorkLook look;
    look.message = QStringLiteral("ドライブからデータを読み出しています");
    look.bar = false;
    look.path = settings_.showPathWhileReading;
    return look;
}

CaptureCallbacks MainWindow::readingCallbacks(WorkControl& work, bool withPath) {
    CaptureCallbacks callbacks;
    callbacks.cancelled = [&work](const std::filesystem::path&) { return work.cancelled(); };
    if (withPath)
        callbacks.onEntry = [&work](std::string_view folder, std::string_view name) {
            work.setPath(folder, name);
        };
    return callbacks;
}

void MainWindow::openSelectedStock() {
    if (busy() || closeAfterWork_) return;
    const std::string name = stockList_->selectedName();
    if (!name.empty()) openStock(name);
}

void MainWindow::openStock(const std::string& name) {
    folders_->clear();
    openStockName_.clear();
    auto run = std::make_shared<OpenRun>();
    run->name = name;
    WorkLook look;
    look.dialogAtStart = false; // shown once the header says how many folders follow
    runner_->start(
        look,
        [run, dataDir = dataDir_, builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) {
                run->result.failure = StockFailure::Cancelled;
                return;
            }
            int read = 0;
            OpenCallbacks callbacks;
            callbacks.onHeader = [&work](int folders) { work.showDialog(std::max(0, folders)); };
            callbacks.cancelled = [&work, &read] {
                work.setProgress(++read);
                return work.cancelled();
            };
            run->identity = StockLibrary(dataDir).stockIdentity(run->name);
            run->result = StockLibrary(dataDir).open(run->name, callbacks);
            if (const FolderNode* root = run->result.value.tree.root())
                run->bytes = folderSize(*root); // a walk of every file: not on the window's thread
        },
        [this, run](const JobEnd& end) {
            end.into(run->result);
            stockOpened(*run, end.cancelled);
        });
}

void MainWindow::stockOpened(OpenRun& run, bool cancelled) {
    StockOutcome<OpenedStock>& opened = run.result;
    const std::optional<std::vector<std::string>> jump = std::move(pendingJump_);
    pendingJump_.reset();
    if (!opened.ok() && opened.failure != StockFailure::Cancelled) {
        // Deleted or damaged meanwhile, or a name that may not name a file.
        warn(this, opened);
        selectStock(-1);
    } else if (cancelled || !opened.ok()) {
        selectStock(-1);
    } else {
        folders_->setTree(std::move(opened.value.tree));
        openStockName_ = run.name;
        openStockIdentity_ = run.identity;
        openStockBytes_ = run.bytes;
        if (closeAfterWork_) return;
        if (jump)
            folders_->selectPath(*jump);
        else
            folders_->selectFolder(folders_->tree().root(), false);
    }
    if (searchWindow_) searchWindow_->selectStock(stockList_->selectedRow());
}

void MainWindow::captureSelectedSource() {
    if (busy() || closeAfterWork_) return;
    const auto source = sources_->selectedSource();
    if (!source) return;
    // The views show nothing while the capture runs, not the previous stock.
    folders_->clear();
    openStockName_.clear();
    auto run = std::make_shared<CaptureRun>();
    WorkLook look = readingLook();
    const bool checksums = sources_->recordChecksums();
    look.bar = checksums; // the content's bytes move it once the tree is read
    runner_->start(
        look,
        [run, dataDir = dataDir_, source = *source, withPath = look.path, checksums,
         builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) {
                run->result.failure = StockFailure::Cancelled;
                return;
            }
            FolderTree tree;
            CaptureCallbacks callbacks = readingCallbacks(work, withPath);
            callbacks.onStoring = [&work] {
                work.setMessage(
                    QStringLiteral("データを保存しています\n時間がかかることがあります"));
            };
            ChecksumOptions options;
            if (checksums) options = {ChecksumMode::Add, contentCallbacks(work)};
            run->result = StockLibrary(dataDir).capture({source.path, source.rootText, {}}, tree,
                                                        callbacks, options);
            run->files = tree.fileCount();
        },
        [this, run](const JobEnd& end) {
            end.into(run->result);
            captureEnded(*run);
        });
}

void MainWindow::captureEnded(const CaptureRun& run) {
    if (run.result.ok()) {
        say(QStringLiteral("読み出しました: %1 (%2 ファイル)")
                .arg(toQString(run.result.value), toQString(groupThousands(run.files))));
        // The new stock, and whatever other processes did meanwhile.
        reloadStockList();
        const auto names = stockList_->names();
        const auto at = std::find(names.rbegin(), names.rend(), run.result.value);
        selectStock(at == names.rend() ? -1 : int(names.rend() - at) - 1);
        // Mount points inside the source were kept empty: the user should know.
        if (run.result.otherFileSystemFolders > 0)
            dialogs().messageBox(
                this, QStringLiteral("情報"),
                toQString(messageOtherFileSystemFolders(run.result.otherFileSystemFolders)),
                MsgButtons::Ok, MsgIcon::Information);
        // A damaged image (or disc) gave what could be read.
        if (run.result.incomplete)
            dialogs().messageBox(this, QStringLiteral("警告"), toQString(kMessagePartlyRead),
                                 MsgButtons::Ok, MsgIcon::Warning, toQString(run.result.problem));
        if (run.result.unreadableFiles > 0 && !shutDownDone_)
            dialogs().messageBox(this, QStringLiteral("情報"),
                                 QStringLiteral("読めないファイル %1 個は読めないと記録しました")
                                     .arg(run.result.unreadableFiles),
                                 MsgButtons::Ok, MsgIcon::Information);
        if (shutDownDone_) return;
    } else if (run.result.failure != StockFailure::Cancelled) {
        warn(this, run.result);
    }
    openSelectedStock();
}

} // namespace zt
