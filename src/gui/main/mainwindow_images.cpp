// Reading disc images chosen with "イメージファイル...": one job, one progress
// dialog naming the image being read, one stock per image. An image that
// fails is told of at the end; the others are kept.
#include "gui/common/dialogservice.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/folders/folderbrowserpane.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/stocklibrary.h"
#include "platform/direnum.h"

#include <QFile>
#include <algorithm>
#include <memory>

namespace zt {

struct ImagesRun {
    std::vector<std::string> paths;
    std::vector<CaptureOutcome> results; // one per image read, in order
};

void MainWindow::captureImages(const std::vector<std::string>& paths) {
    if (busy() || closeAfterWork_ || paths.empty()) return;
    folders_->clear();
    openStockName_.clear();
    auto run = std::make_shared<ImagesRun>();
    run->paths = paths;
    const WorkLook look = readingLook();
    runner_->start(
        look,
        [run, dataDir = dataDir_, withPath = look.path, builder = indexBuilder_,
         message = look.message](WorkControl& work) {
            if (!holdIndexing(builder, work)) return;
            for (const std::string& path : run->paths) {
                if (work.cancelled()) return;
                work.setMessage(message + QStringLiteral("\n") +
                                toQString(displayNameOfNative(path)));
                FolderTree tree;
                CaptureCallbacks callbacks = readingCallbacks(work, withPath);
                CaptureRequest request;
                request.source = path;
                run->results.push_back(StockLibrary(dataDir).capture(request, tree, callbacks));
                if (run->results.back().failure == StockFailure::Cancelled) return;
            }
        },
        [this, run](const JobEnd& end) {
            if (end.threw()) {
                run->results.emplace_back();
                end.into(run->results.back());
            }
            imagesCaptured(*run);
        });
}

void MainWindow::imagesCaptured(const ImagesRun& run) {
    reloadStockList();
    std::string last;
    for (const CaptureOutcome& r : run.results)
        if (r.ok()) last = r.value;
    if (!last.empty()) {
        const auto names = stockList_->names();
        const auto at = std::find(names.rbegin(), names.rend(), last);
        selectStock(at == names.rend() ? -1 : int(names.rend() - at) - 1);
    }
    for (size_t i = 0; i < run.results.size(); ++i) {
        const CaptureOutcome& r = run.results[i];
        const QString path = i < run.paths.size() ? toQString(displayNameOfNative(run.paths[i])) : QString();
        if (r.ok() && r.incomplete)
            dialogs().messageBox(this, QStringLiteral("警告"), toQString(kMessagePartlyRead),
                                 MsgButtons::Ok, MsgIcon::Warning,
                                 path + QStringLiteral(": ") + toQString(r.problem));
        else if (!r.ok() && r.failure != StockFailure::Cancelled)
            warn(this, r);
        if (shutDownDone_) return;
    }
    openSelectedStock();
}

} // namespace zt
