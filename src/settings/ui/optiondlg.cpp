#include "settings/ui/optiondlg.h"

#include "settings/settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zt {

TOptionDlg::TOptionDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("設定"));

    PageControl1 = new QTabWidget(this);

    auto* drivePage = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("読み出し可能ドライブの種類"), drivePage);
    CB_CDDrive = new QCheckBox(QStringLiteral("CDドライブ"), group);
    CB_HardDisk = new QCheckBox(QStringLiteral("ハードディスク"), group);
    CB_Removable = new QCheckBox(QStringLiteral("リーム-バブルディスク"), group);
    auto* floppyNote = new QLabel(QStringLiteral("(フロッピーディスクを含む）"), group);
    floppyNote->setContentsMargins(20, 0, 0, 0);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(CB_CDDrive);
    groupLayout->addWidget(CB_HardDisk);
    groupLayout->addWidget(CB_Removable);
    groupLayout->addWidget(floppyNote);
    auto* driveLayout = new QVBoxLayout(drivePage);
    driveLayout->addWidget(group);
    driveLayout->addStretch();

    auto* viewPage = new QWidget;
    CB_ShowingPath = new QCheckBox(QStringLiteral("ドライブ読み出し時にパスを表示する"), viewPage);
    CB_Icon =
        new QCheckBox(QStringLiteral("ファイルリストのアイコンをファイル種別で変える"), viewPage);
    auto* viewLayout = new QVBoxLayout(viewPage);
    viewLayout->addWidget(CB_ShowingPath);
    viewLayout->addWidget(CB_Icon);
    viewLayout->addStretch();

    PageControl1->addTab(drivePage, QStringLiteral("ドライブ"));
    PageControl1->addTab(viewPage, QStringLiteral("表示"));
    PageControl1->setCurrentIndex(1);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
}

void TOptionDlg::setFrom(const Settings& s) {
    CB_CDDrive->setChecked(s.cdDrives);
    CB_HardDisk->setChecked(s.hardDisks);
    CB_Removable->setChecked(s.removableDisks);
    CB_ShowingPath->setChecked(s.showPathWhileReading);
    CB_Icon->setChecked(s.iconsByFileType);
}

void TOptionDlg::copyTo(Settings& s) const {
    s.cdDrives = CB_CDDrive->isChecked();
    s.hardDisks = CB_HardDisk->isChecked();
    s.removableDisks = CB_Removable->isChecked();
    s.showPathWhileReading = CB_ShowingPath->isChecked();
    s.iconsByFileType = CB_Icon->isChecked();
}

void TOptionDlg::showEvent(QShowEvent* e) {
    // Centred on the screen, not on the owner.
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(e);
}

} // namespace zt
