#include "gui/dialogs/optionsdialog.h"

#include "settings/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zt {

OptionsDialog::OptionsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("設定"));

    setObjectName(QStringLiteral("optionsDialog"));
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("optionsTabs"));

    auto* drivePage = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("読み出し可能ドライブの種類"), drivePage);
    cdDrives_ = new QCheckBox(QStringLiteral("CDドライブ"), group);
    cdDrives_->setObjectName(QStringLiteral("cdDrivesCheck"));
    hardDisks_ = new QCheckBox(QStringLiteral("ハードディスク"), group);
    hardDisks_->setObjectName(QStringLiteral("hardDisksCheck"));
    removableDisks_ = new QCheckBox(QStringLiteral("リーム-バブルディスク"), group);
    removableDisks_->setObjectName(QStringLiteral("removableDisksCheck"));
    auto* floppyNote = new QLabel(QStringLiteral("(フロッピーディスクを含む）"), group);
    floppyNote->setContentsMargins(20, 0, 0, 0);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(cdDrives_);
    groupLayout->addWidget(hardDisks_);
    groupLayout->addWidget(removableDisks_);
    groupLayout->addWidget(floppyNote);
    auto* driveLayout = new QVBoxLayout(drivePage);
    driveLayout->addWidget(group);
    driveLayout->addStretch();

    auto* viewPage = new QWidget;
    showPath_ = new QCheckBox(QStringLiteral("ドライブ読み出し時にパスを表示する"), viewPage);
    showPath_->setObjectName(QStringLiteral("showPathCheck"));
    typeIcons_ =
        new QCheckBox(QStringLiteral("ファイルリストのアイコンをファイル種別で変える"), viewPage);
    typeIcons_->setObjectName(QStringLiteral("typeIconsCheck"));
    auto* schemeBox = new QGroupBox(QStringLiteral("配色"), viewPage);
    schemeBox->setObjectName(QStringLiteral("colourSchemeGroup"));
    schemes_ = new QButtonGroup(schemeBox);
    auto* schemeRow = new QHBoxLayout(schemeBox);
    const char* const schemeNames[] = {"autoSchemeRadio", "lightSchemeRadio", "darkSchemeRadio"};
    const QString schemeCaptions[] = {QStringLiteral("自動"), QStringLiteral("明るい"),
                                      QStringLiteral("暗い")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(schemeCaptions[i], schemeBox);
        b->setObjectName(QString::fromLatin1(schemeNames[i]));
        schemes_->addButton(b, i);
        schemeRow->addWidget(b);
    }
    schemeRow->addStretch();
    schemes_->button(0)->setChecked(true);
    auto* viewLayout = new QVBoxLayout(viewPage);
    viewLayout->addWidget(showPath_);
    viewLayout->addWidget(typeIcons_);
    viewLayout->addWidget(schemeBox);
    viewLayout->addStretch();

    tabs->addTab(drivePage, QStringLiteral("ドライブ"));
    tabs->addTab(viewPage, QStringLiteral("表示"));
    tabs->setCurrentIndex(1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

void OptionsDialog::setFrom(const Settings& s) {
    cdDrives_->setChecked(s.cdDrives);
    hardDisks_->setChecked(s.hardDisks);
    removableDisks_->setChecked(s.removableDisks);
    showPath_->setChecked(s.showPathWhileReading);
    typeIcons_->setChecked(s.iconsByFileType);
}

void OptionsDialog::copyTo(Settings& s) const {
    s.cdDrives = cdDrives_->isChecked();
    s.hardDisks = hardDisks_->isChecked();
    s.removableDisks = removableDisks_->isChecked();
    s.showPathWhileReading = showPath_->isChecked();
    s.iconsByFileType = typeIcons_->isChecked();
}

void OptionsDialog::setColourScheme(ColourScheme scheme) {
    schemes_->button(int(scheme))->setChecked(true);
}

ColourScheme OptionsDialog::colourScheme() const {
    return ColourScheme(std::max(0, schemes_->checkedId()));
}

void OptionsDialog::showEvent(QShowEvent* e) {
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
