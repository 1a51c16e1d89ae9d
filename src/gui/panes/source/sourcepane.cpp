#include "gui/panes/source/sourcepane.h"

#include "capture/capture.h"
#include "capture/drives.h"
#include "gui/common/appearance.h"
#include "gui/common/dialogservice.h"
#include "gui/common/iconcache.h"
#include "gui/common/text.h"
#include "platform/direnum.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace zt {

namespace {
// Drive items keep the mount point to read and the label (the root's text).
constexpr int kMountRole = Qt::UserRole;
constexpr int kLabelRole = Qt::UserRole + 1;
} // namespace

SourcePane::SourcePane(const IconCache* icons, QWidget* parent) : QWidget(parent), icons_(icons) {
    setObjectName(QStringLiteral("sourcePane"));
    auto* caption = new QLabel(QStringLiteral("読み出し元"), this);
    caption->setObjectName(QStringLiteral("sourceCaption"));
    caption->setAlignment(Qt::AlignCenter);

    drives_ = new QListWidget(this);
    drives_->setObjectName(QStringLiteral("driveList"));
    drives_->setViewMode(QListView::ListMode);
    drives_->setFlow(QListView::TopToBottom);
    drives_->setWrapping(true);
    drives_->setResizeMode(QListView::Adjust);
    drives_->setIconSize(QSize(16, 16));
    drives_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    drives_->setSelectionMode(QAbstractItemView::SingleSelection);
    drives_->setAccessibleName(QStringLiteral("読み出し元"));
    drives_->installEventFilter(this);
    // Entering the drive list (by mouse or keyboard) leaves the folder unselected.
    connect(drives_, &QListWidget::itemPressed, this, [this] { folder_->clearSelection(); });
    connect(drives_, &QListWidget::itemDoubleClicked, this, &SourcePane::captureRequested);

    folderStrip_ = new QWidget(this);
    folderStrip_->setFixedHeight(designPixels(*this, 41));
    folderStrip_->installEventFilter(this);
    folder_ = new QListWidget(folderStrip_);
    folder_->setObjectName(QStringLiteral("chosenFolderList"));
    folder_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    folder_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    folder_->setSelectionMode(QAbstractItemView::SingleSelection);
    folder_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    folder_->setAccessibleName(QStringLiteral("読み込み元フォルダ"));
    connect(folder_, &QListWidget::itemClicked, this, [this] {
        drives_->clearSelection();
        drives_->clearFocus();
    });
    connect(folder_, &QListWidget::itemDoubleClicked, this, &SourcePane::captureRequested);
    for (QListWidget* list : {drives_, folder_})
        connect(list, &QListWidget::itemSelectionChanged, this, &SourcePane::sourceChanged);
    browse_ = new QPushButton(QStringLiteral("フォルダ参照..."), folderStrip_);
    browse_->setObjectName(QStringLiteral("browseFolderButton"));
    browse_->setAccessibleName(QStringLiteral("フォルダ参照"));
    connect(browse_, &QPushButton::clicked, this, &SourcePane::chooseFolder);
    images_ = new QPushButton(QStringLiteral("イメージファイル..."), folderStrip_);
    images_->setObjectName(QStringLiteral("imageFileButton"));
    images_->setAccessibleName(QStringLiteral("イメージファイル"));
    connect(images_, &QPushButton::clicked, this, &SourcePane::chooseImages);

    checksums_ = new QCheckBox(QStringLiteral("内容のチェックサムも記録する"), this);
    checksums_->setObjectName(QStringLiteral("recordChecksumsBox"));
    checksums_->setAccessibleName(QStringLiteral("内容のチェックサムも記録する"));
    checksums_->setToolTip(
        QStringLiteral("読み込むときにすべてのファイルの内容を読み、あとで検証できるようにします"));
    connect(checksums_, &QCheckBox::clicked, this, &SourcePane::recordChecksumsToggled);
    // Its caption never widens the column past the width the settings give it.
    checksums_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption);
    layout->addWidget(drives_, 1);
    layout->addWidget(folderStrip_);
    layout->addWidget(checksums_);
}

bool SourcePane::recordChecksums() const {
    return checksums_->isChecked();
}

void SourcePane::setRecordChecksums(bool on) {
    checksums_->setChecked(on);
}

bool SourcePane::eventFilter(QObject* watched, QEvent* e) {
    if (watched == drives_ && e->type() == QEvent::FocusIn) folder_->clearSelection();
    if (watched == folderStrip_ && e->type() == QEvent::Resize) layoutFolderStrip();
    return QWidget::eventFilter(watched, e);
}

void SourcePane::layoutFolderStrip() {
    // The one-line list over the button, both as wide as the strip.
    const int w = folderStrip_->width();
    const int listHeight = designPixels(*this, 19);
    folder_->setGeometry(0, 0, w, listHeight);
    // The two buttons side by side under it, halving its width.
    const int buttonHeight =
        std::max(designPixels(*this, 21), folderStrip_->height() - listHeight - 1);
    browse_->setGeometry(0, listHeight + 1, w / 2, buttonHeight);
    images_->setGeometry(w / 2, listHeight + 1, w - w / 2, buttonHeight);
}

void SourcePane::fillDrives(bool cdDrives, bool hardDisks, bool removableDisks) {
    drives_->clear();
    for (const DriveInfo& d : listDrives()) {
        const bool shown = d.kind == DriveKind::Cd          ? cdDrives
                           : d.kind == DriveKind::Removable ? removableDisks
                                                            : hardDisks;
        if (shown)
            addDrive(toQString(driveCaption(d)), d.mountPoint, d.label, driveImageIndex(d.kind));
    }
    // A disc in a drive that no one mounted is read through its device.
    if (cdDrives)
        for (const DriveInfo& d : listUnmountedDiscs())
            addDrive(toQString(driveCaption(d)), d.mountPoint, d.label, driveImageIndex(d.kind));
}

void SourcePane::chooseImages() {
    const auto chosen = dialogs().openFileNames(
        this, QStringLiteral("イメージファイル"), imageFolder_,
        QStringLiteral("ディスクイメージ (*.iso *.img *.udf *.bin);;すべてのファイル (*)"));
    if (!chosen || chosen->isEmpty()) return;
    imageFolder_ = QFileInfo(chosen->first()).absolutePath();
    std::vector<std::string> paths;
    for (const QString& file : *chosen)
        paths.push_back(QFile::encodeName(file).toStdString());
    emit imagesChosen(paths);
}

void SourcePane::addDrive(const QString& caption, const std::string& mountPoint,
                          const std::string& label, int image) {
    auto* item = new QListWidgetItem(caption, drives_);
    if (icons_) item->setIcon(icons_->image(image));
    item->setData(kMountRole, QByteArray::fromStdString(mountPoint));
    item->setData(kLabelRole, toQString(label));
}

int SourcePane::driveCount() const {
    return drives_->count();
}

void SourcePane::chooseFolder() {
    // From the selected drive when there is one: the folder is usually on it.
    QString start;
    if (const auto drives = drives_->selectedItems(); !drives.isEmpty())
        start = QFile::decodeName(drives.first()->data(kMountRole).toByteArray());
    const auto chosen =
        dialogs().browseForFolder(this, QStringLiteral("読み込み元フォルダ"), start);
    if (!chosen || chosen->isEmpty()) return;
    // Kept as the file system's bytes, so any folder name can be read again.
    setChosenFolder(QFile::encodeName(*chosen).toStdString());
}

void SourcePane::setChosenFolder(const std::string& path) {
    chosenFolder_ = path;
    folder_->clear();
    auto* item = new QListWidgetItem(
        toQString(displayNameOfNative(folderDisplayName(chosenFolder_))), folder_);
    folder_->setCurrentItem(item);
    item->setSelected(true);
    drives_->clearSelection();
}

std::optional<CaptureSource> SourcePane::selectedSource() const {
    if (const auto drives = drives_->selectedItems(); !drives.isEmpty()) {
        return CaptureSource{drives.first()->data(kMountRole).toByteArray().toStdString(),
                             toUtf8(drives.first()->data(kLabelRole).toString())};
    }
    if (!folder_->selectedItems().isEmpty() && !chosenFolder_.empty())
        return CaptureSource{chosenFolder_, toUtf8(folder_->selectedItems().first()->text())};
    return std::nullopt;
}

} // namespace zt

namespace zt {

QList<QWidget*> SourcePane::focusOrder() const {
    return {drives_, folder_, browse_, images_, checksums_};
}

} // namespace zt
