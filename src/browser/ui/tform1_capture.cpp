// Source selection and the capture run.
#include "browser/ui/iconcache.h"
#include "browser/ui/tform1.h"
#include "capture/capture.h"
#include "capture/drives.h"
#include "capture/ui/progressdlg.h"
#include "catalogue/stockfile.h"
#include "library/stocklibrary.h"
#include "platform/direnum.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/pump.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

namespace zt {

namespace {

// Runs DriveListEnter when the drive list gets the focus (entering it by
// mouse or keyboard).
class DriveListFocusWatcher : public QObject {
  public:
    DriveListFocusWatcher(QListWidget* list, TForm1* form) : QObject(list), form_(form) {
        list->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) form_->DriveListEnter();
        return false;
    }

  private:
    TForm1* form_;
};

// Label2 is set at most this often: the text only shows when events run, and
// setting it for every one of a million entries would cost more than reading them.
constexpr qint64 kPathLabelIntervalMs = 15;

} // namespace

void TForm1::setupCapture() {
    connect(DriveList, &QListWidget::itemDoubleClicked, this, &TForm1::MenuSuckClick);
    connect(DriveList, &QListWidget::itemPressed, this, &TForm1::DriveListEnter);
    new DriveListFocusWatcher(DriveList, this);
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm1::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm1::MenuSuckClick);
    // The layout may have connected the button already; it must run once per click.
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click, Qt::UniqueConnection);
}

void TForm1::FillDriveList() {
    DriveList->clear();
    for (const DriveInfo& d : listDrives()) {
        const bool shown = d.kind == DriveKind::Cd          ? settings.cdDrives
                           : d.kind == DriveKind::Removable ? settings.removableDisks
                                                            : settings.hardDisks;
        if (!shown) continue;
        auto* item = new QListWidgetItem(QString::fromStdString(driveCaption(d)), DriveList);
        if (iconCache) item->setIcon(iconCache->Image(driveImageIndex(d.kind)));
        // The file system's bytes: a mount point need not be UTF-8.
        item->setData(DriveMountRole, QByteArray::fromStdString(d.mountPoint));
        item->setData(DriveLabelRole, QString::fromStdString(d.label));
    }
}

void TForm1::Button1Click() {
    const auto chosen = dialogs().browseForFolder(this, QStringLiteral("読み込み元フォルダ"));
    if (!chosen || chosen->isEmpty()) return;
    // Kept as the file system's bytes, so any folder name can be read again.
    chosenSourceFolder = QFile::encodeName(*chosen).toStdString();
    ListBox1->clear();
    auto* item = new QListWidgetItem(
        QString::fromStdString(displayNameOfNative(folderDisplayName(chosenSourceFolder))),
        ListBox1);
    ListBox1->setCurrentItem(item);
    item->setSelected(true);
    DriveList->clearSelection();
}

void TForm1::ListBox1Click() {
    DriveList->clearSelection();
    DriveList->clearFocus();
}

void TForm1::DriveListEnter() {
    ListBox1->clearSelection();
}

void TForm1::MenuSuckClick() {
    if (progressDlg) return; // long work is running (a click that came in while events ran)

    // The source: the selected drive, else the chosen folder when it is selected.
    std::string rootText, source;
    if (const auto drives = DriveList->selectedItems(); !drives.isEmpty()) {
        source = drives.first()->data(DriveMountRole).toByteArray().toStdString();
        rootText = drives.first()->data(DriveLabelRole).toString().toStdString();
    } else if (!ListBox1->selectedItems().isEmpty() && !chosenSourceFolder.empty()) {
        source = chosenSourceFolder;
        rootText = ListBox1->selectedItems().first()->text().toStdString();
    } else {
        return;
    }

    progressDlg = new TProgressDialog(this);
    connect(progressDlg, &TProgressDialog::cancelRequested, this, &TForm1::CancelNotification);
    progressDlg->ProgressBar1->hide();
    progressDlg->Label1->setText(QStringLiteral("ドライブからデータを読み出しています"));
    const bool showPath = settings.showPathWhileReading;
    if (showPath) progressDlg->Label2->show();
    cancelFlag = false; // before the dialog shows, so no Cancel click is lost
    setEnabled(false);
    progressDlg->setEnabled(true); // a window of its own: Cancel stays usable
    progressDlg->show();
    // Emptied before the first paint: the tree view paints nothing while the
    // capture fills it, and would go on showing the previous stock.
    ClearTree();
    captureItemCount = 0;
    LetPendingMessagesRunNow();

    CaptureCallbacks callbacks;
    callbacks.onFolder = [this](const std::filesystem::path&) {
        LetPendingMessagesRun();
        return !cancelFlag;
    };
    QElapsedTimer labelTimer;
    labelTimer.start();
    if (showPath) {
        QLabel* label = progressDlg->Label2;
        callbacks.onEntry = [label, &labelTimer](std::string_view folder, std::string_view name) {
            if (labelTimer.elapsed() < kPathLabelIntervalMs) return;
            labelTimer.restart();
            std::string text(folder);
            if (text.empty() || text.back() != '/') text += '/';
            text += name;
            // The label is narrow: a long path loses its middle, so the start
            // and the entry being read both stay in view.
            label->setText(label->fontMetrics().elidedText(QString::fromStdString(text),
                                                           Qt::ElideMiddle, label->width()));
        };
    }

    callbacks.onStoring = [this] {
        progressDlg->Label1->setText(
            QStringLiteral("データを保存しています\n時間がかかることがあります"));
        LetPendingMessagesRunNow();
    };

    TreeView1->setUpdatesEnabled(false);
    beginTreeChange();
    const auto result = StockLibrary(dataDir_).capture({source, rootText, {}}, tree, callbacks);
    captureItemCount = tree.folderCount();
    QString problem;
    const bool stored = result.ok();
    if (stored) {
        loadStockList(); // with the new stock and what other processes did meanwhile
        // Selecting does not open it yet: that waits for the dialog to go (below).
        StockDataList->setCurrentRow(StockDataList->count() - 1);
        StockDataList->item(StockDataList->count() - 1)->setSelected(true);
    } else if (result.failure != StockFailure::Cancelled) {
        problem = QString::fromStdString(result.message);
    }
    endTreeChange();
    TreeView1->setUpdatesEnabled(true);

    if (stored) RefreshSearchStockList();
    setEnabled(true);
    progressDlg->hide();
    delete progressDlg;
    progressDlg = nullptr;

    if (!problem.isEmpty()) warn(this, problem);
    OpenSelectedStock();
}

} // namespace zt
