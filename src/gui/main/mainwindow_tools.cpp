// What the command line could do and the window now offers too: the files
// stored more than once, and a check of the name indexes.
#include "gui/common/dialogservice.h"
#include "gui/common/indexbuilder.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"
#include "gui/dialogs/duplicatesdialog.h"
#include "gui/main/mainwindow.h"
#include "gui/panes/stocklist/stocklistpane.h"
#include "library/dupes.h"
#include "library/indexstore.h"
#include "platform/numbertext.h"

#include <memory>

namespace zt {

void MainWindow::showDuplicates() {
    if (busy() || closeAfterWork_) return;
    auto found = std::make_shared<StockOutcome<std::vector<DupeGroup>>>();
    WorkLook look;
    look.message = QStringLiteral("重複ファイルを探しています");
    look.bar = false;
    look.cancel = false; // the finder has no cancel poll
    runner_->start(
        look,
        [found, dataDir = dataDir_, builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) return;
            const StockLibrary library(dataDir);
            DupeRequest request;
            const auto names = library.names();
            if (!names.ok()) {
                found->failure = names.failure;
                found->message = names.message;
                found->detail = names.detail;
                return;
            }
            request.stocks = names.value;
            *found = findDuplicates(library, request);
        },
        [this, found](const JobEnd& end) {
            end.into(*found);
            if (!found->ok()) {
                warn(this, *found);
                return;
            }
            std::optional<SearchHit> jump;
            {
                DuplicatesDialog dialog(this, std::move(found->value));
                if (dialog.exec() == QDialog::Accepted) jump = dialog.jumpTo();
            }
            if (jump) openSearchHit(*jump);
        });
}

void MainWindow::checkIndexes(bool selectedOnly) {
    if (busy() || closeAfterWork_) return;
    std::vector<std::string> stocks = stockList_->names();
    if (selectedOnly) {
        const std::string name = stockList_->selectedName();
        if (name.empty()) return;
        stocks = {name};
    }
    struct Counts {
        int fresh = 0, built = 0;
        std::vector<std::string> failed;
    };
    auto counts = std::make_shared<Counts>();
    WorkLook look;
    look.message = QStringLiteral("名前索引を確認しています");
    look.maximum = int(stocks.size());
    runner_->start(
        look,
        [counts, stocks, dataDir = dataDir_, builder = indexBuilder_](WorkControl& work) {
            if (!holdIndexing(builder, work)) return;
            const StockLibrary library(dataDir);
            for (size_t i = 0; i < stocks.size() && !work.cancelled(); ++i) {
                work.setProgress(int(i));
                const std::string& s = stocks[i];
                if (!library.stockFile(s)) continue; // a name that may not name a file has none
                // Every part read, as the command line's index --check does.
                if (indexState(dataDir, s, IndexCheck::Thorough) == IndexState::Fresh)
                    ++counts->fresh;
                else if (buildIndex(dataDir, s))
                    ++counts->built;
                else
                    counts->failed.push_back(s);
            }
        },
        [this, counts](const JobEnd& end) {
            if (end.threw()) {
                warn(this, end.failure);
                return;
            }
            const QString text = QStringLiteral("正常 %1、作り直し %2、作れなかったもの %3")
                                     .arg(counts->fresh)
                                     .arg(counts->built)
                                     .arg(counts->failed.size());
            say(QStringLiteral("名前索引を確認しました: ") + text);
            if (counts->failed.empty()) return;
            QString names;
            for (const std::string& s : counts->failed)
                names += (names.isEmpty() ? "" : "、") + toQString(s);
            dialogs().messageBox(this, QStringLiteral("警告"),
                                 QStringLiteral("名前索引を作れないストックがあります: ") + names,
                                 MsgButtons::Ok, MsgIcon::Warning, text);
        });
}

} // namespace zt
