// Updating a stock: its source is read again on the worker, the changes are
// shown, and only when the user agrees is the stock replaced (on the worker
// too) and opened again.
#include "gui/common/dialogservice.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/dialogs/updatestockdialog.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/stocklibrary.h"

#include <QFile>
#include <algorithm>

namespace zt {

struct UpdateRun {
    std::string name;
    StockOutcome<StockUpdate> prepared;
    StockResult applied;
};

void MainWindow::updateSelectedStock() {
    if (busy() || closeAfterWork_) return;
    const std::string name = stockList_->selectedName();
    if (name.empty()) return;
    // A missing stock is reported by the update itself, on the worker.
    std::optional<std::filesystem::path> source;
    if (!chooseSourceIfUnrecorded(name, source)) return;
    readForUpdate(name, source);
}

bool MainWindow::chooseSourceIfUnrecorded(const std::string& name,
                                          std::optional<std::filesystem::path>& source) {
    if (!StockLibrary(dataDir_).recordedSource(name).empty()) return true;
    // Stocks made before sources were recorded (or on Windows): the user
    // says where the medium is.
    const auto chosen =
        dialogs().browseForFolder(this, QStringLiteral("読み込み元フォルダ"), QString());
    if (!chosen || chosen->isEmpty()) return false;
    source = std::filesystem::path(QFile::encodeName(*chosen).toStdString());
    return true;
}

void MainWindow::readForUpdate(const std::string& name,
                               const std::optional<std::filesystem::path>& source) {
    auto run = std::make_shared<UpdateRun>();
    run->name = name;
    const WorkLook look = readingLook();
    runner_->start(
        look,
        [run, source, dataDir = dataDir_, withPath = look.path,
         builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) {
                run->prepared.failure = StockFailure::Cancelled;
                return;
            }
            run->prepared = StockLibrary(dataDir).prepareUpdate(run->name, source,
                                                                readingCallbacks(work, withPath));
        },
        [this, run](const JobEnd& end) {
            end.into(run->prepared);
            updateRead(run);
        });
}

void MainWindow::updateRead(const std::shared_ptr<UpdateRun>& run) {
    const StockOutcome<StockUpdate>& prepared = run->prepared;
    if (!prepared.ok()) {
        if (prepared.failure != StockFailure::Cancelled) warn(this, prepared);
        return;
    }
    if (prepared.value.diff.empty()) {
        dialogs().messageBox(this, QStringLiteral("情報"), QStringLiteral("変更はありません"),
                             MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    {
        // On the stack: the dialog lives exactly as long as this call.
        UpdateStockDialog dialog(this, run->name, prepared.value.diff);
        if (dialog.exec() != QDialog::Accepted || shutDownDone_ || closeAfterWork_) return;
    }
    runner_->start(
        savingLook(), // a stock file is replaced whole or not at all
        [run, dataDir = dataDir_, builder = indexBuilder_](WorkControl& work) {
            (void)holdIndexing(builder, work);
            run->applied = StockLibrary(dataDir).applyUpdate(run->prepared.value);
        },
        [this, run](const JobEnd& end) {
            end.into(run->applied);
            updateApplied(*run);
        });
}

void MainWindow::updateApplied(const UpdateRun& run) {
    if (!run.applied.ok()) {
        warn(this, run.applied);
        return;
    }
    // The updated stock, opened again wherever it is in the list now.
    say(QStringLiteral("更新しました: ") + toQString(run.name));
    reloadStockList();
    const auto names = stockList_->names();
    const auto at = std::find(names.begin(), names.end(), run.name);
    if (at == names.end()) return;
    selectStock(int(at - names.begin()));
    openSelectedStock();
}

} // namespace zt
