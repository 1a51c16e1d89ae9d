#include "gui/dialogs/exportnamesdialog.h"

#include "gui/common/dialogservice.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zt {

namespace {

// A titled group of radio buttons, one per caption, with ids 0, 1, ...
QButtonGroup* radioGroup(QGroupBox* box, std::initializer_list<const char*> captions) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const char* c : captions) {
        auto* b = new QRadioButton(QString::fromUtf8(c), box);
        group->addButton(b, id++);
        layout->addWidget(b);
    }
    group->button(0)->setChecked(true);
    return group;
}

} // namespace

ExportNamesDialog::ExportNamesDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("exportNamesDialog"));
    setWindowTitle(QStringLiteral("書き出し"));

    fileName_ = new QLineEdit(QStringLiteral("FileName.txt"), this);
    fileName_->setObjectName(QStringLiteral("fileNameEdit"));
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("folderEdit"));
    folder_->setReadOnly(true);
    folder_->setMinimumWidth(280);
    auto* browse = new QPushButton(QStringLiteral("参照"), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &ExportNamesDialog::chooseOutputFile);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(folder_, 1);
    pathRow->addWidget(browse);
    auto* fileForm = new QFormLayout;
    fileForm->addRow(QStringLiteral("ファイル名"), fileName_);
    fileForm->addRow(QStringLiteral("パス"), pathRow);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileForm);
    layout->addLayout(buildChoices());
    layout->addLayout(buildButtons());
    setOutputFolder(defaultOutputFolder());
}

QLayout* ExportNamesDialog::buildChoices() {
    auto* target = new QGroupBox(QStringLiteral("書き出し対象"), this);
    targetKindButtons_ = radioGroup(target, {"ファイル", "フォルダ", "ファイル・フォルダ"});
    auto* range = new QGroupBox(QStringLiteral("書き出し範囲"), this);
    rangeButtons_ =
        radioGroup(range, {"選択フォルダ以降  （サブフォルダを含む）",
                           "選択フォルダ内  （サブフォルダを含めない）", "表示ストック全体"});
    auto* optionBox = new QGroupBox(QStringLiteral("オプション"), this);
    dropExtensions_ = new QCheckBox(QStringLiteral("拡張子を消去する"), optionBox);
    dropExtensions_->setObjectName(QStringLiteral("dropExtensionsCheck"));
    auto* optionLayout = new QVBoxLayout(optionBox);
    optionLayout->addWidget(dropExtensions_);

    auto* choices = new QHBoxLayout;
    choices->addWidget(target);
    choices->addWidget(range, 1);
    auto* column = new QVBoxLayout;
    column->addLayout(choices);
    column->addWidget(optionBox);
    return column;
}

QLayout* ExportNamesDialog::buildButtons() {
    auto* run = new QPushButton(QStringLiteral("書き出し"), this);
    run->setObjectName(QStringLiteral("exportButton"));
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    run->setDefault(true);
    cancel->setAutoDefault(false);
    connect(run, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    return buttons;
}

QString ExportNamesDialog::defaultOutputFolder() {
    return saveStartFolder();
}

void ExportNamesDialog::setOutputFolder(const QString& folder) {
    outputFolder_ = folder;
    folder_->setText(folder);
}

std::filesystem::path ExportNamesDialog::outputPath() const {
    return std::filesystem::path(
        (outputFolder_ + QLatin1Char('/') + fileName_->text()).toStdString());
}

int ExportNamesDialog::targetKind() const {
    return targetKindButtons_->checkedId();
}
void ExportNamesDialog::setTargetKind(int index) {
    targetKindButtons_->button(index)->setChecked(true);
}
int ExportNamesDialog::range() const {
    return rangeButtons_->checkedId();
}
void ExportNamesDialog::setRange(int index) {
    rangeButtons_->button(index)->setChecked(true);
}

ExportOptions ExportNamesDialog::options() const {
    return ExportOptions{ExportKind(targetKind()), ExportRange(range()),
                         dropExtensions_->isChecked()};
}

void ExportNamesDialog::chooseOutputFile() {
    // The folder chosen last time, unless it went away (or is no place to
    // browse): then where the last save went.
    const QString folder = usableStartFolder(outputFolder_) ? outputFolder_ : saveStartFolder();
    const auto chosen =
        dialogs().saveFileName(this, QStringLiteral("書き出し先ファイル選択"),
                               folder + QLatin1Char('/') + fileName_->text(),
                               QStringLiteral("Text files (*.txt)"), QStringLiteral("txt"));
    if (!chosen) return;
    const qsizetype slash = chosen->lastIndexOf(QLatin1Char('/'));
    fileName_->setText(chosen->mid(slash + 1));
    // A file right under the root keeps "/" as its folder rather than an empty one.
    if (slash > 0)
        setOutputFolder(chosen->left(slash));
    else if (slash == 0)
        setOutputFolder(QStringLiteral("/"));
}

} // namespace zt
