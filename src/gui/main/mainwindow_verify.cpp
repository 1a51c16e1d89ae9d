// Verifying a stock: its medium is read again on the worker, every file whose
// size and time are unchanged read whole and compared with its checksum, and
// the result shown in a list; the health record is written by the use case.
#include "gui/common/dialogservice.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/dialogs/verifyresultdialog.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/verifystock.h"

#include <QFile>
#include <chrono>
#include <cstring>

namespace zt {

ContentCallbacks MainWindow::contentCallbacks(WorkControl& work) {
    using Clock = std::chrono::steady_clock;
    struct Shown {
        Clock::time_point start{}, last{};
    };
    auto shown = std::make_shared<Shown>();
    ContentCallbacks c;
    c.cancelled = [&work] { return work.cancelled(); };
    c.onProgress = [&work, shown](const ContentProgress& p) {
        const auto now = Clock::now();
        if (shown->start == Clock::time_point{}) {
            shown->start = now;
            work.showDialog(1000);
        }
        if (p.totalBytes > 0) work.setProgress(int(p.doneBytes * 1000 / p.totalBytes));
        if (now - shown->last < std::chrono::milliseconds(250)) return;
        shown->last = now;
        const double seconds = std::chrono::duration<double>(now - shown->start).count();
        work.setMessage(QStringLiteral("ファイルの内容を読んでいます\n") +
                        toQString(contentProgressText(p, seconds)));
    };
    return c;
}

void MainWindow::verifySelectedStock() {
    if (busy() || closeAfterWork_) return;
    const std::string name = stockList_->selectedName();
    if (name.empty()) return;
    std::optional<std::filesystem::path> source;
    if (!chooseSourceIfUnrecorded(name, source)) return;
    auto result = std::make_shared<StockOutcome<VerifyResult>>();
    WorkLook look = readingLook();
    look.bar = true;
    runner_->start(
        look,
        [result, name, source, dataDir = dataDir_, withPath = look.path,
         builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) {
                result->failure = StockFailure::Cancelled;
                return;
            }
            VerifyRequest request;
            request.stock = name;
            request.source = source;
            request.walk = readingCallbacks(work, withPath);
            request.content = contentCallbacks(work);
            *result = verifyStock(StockLibrary(dataDir), request);
        },
        [this, result, name](const JobEnd& end) {
            end.into(*result);
            verifyEnded(name, *result);
        });
}

void MainWindow::verifyEnded(const std::string& name, StockOutcome<VerifyResult>& result) {
    if (!result.ok()) {
        if (result.failure != StockFailure::Cancelled) warn(this, result);
        return;
    }
    if (shutDownDone_ || closeAfterWork_) return;
    const VerifyReport& report = result.value.report;
    if (report.end == PassEnd::MediumGone)
        warn(this, StockResult{StockFailure::NoSource, std::string(kMessageMediumGone),
                               report.goneError ? std::strerror(report.goneError) : ""});
    if (shutDownDone_ || closeAfterWork_) return;
    // On the stack: the dialog lives exactly as long as this call.
    VerifyResultDialog dialog(this, name, std::move(result.value));
    dialog.exec();
}

} // namespace zt
