#include "manage/ui/writefilenamedlg.h"

#include "manage/ui/modalrelease.h"
#include "platform/ui/dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <unistd.h>

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

TWriteFileNameDlg::TWriteFileNameDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("書き出し"));

    Edit1 = new QLineEdit(QStringLiteral("FileName.txt"), this);
    Edit2 = new QLineEdit(this);
    Edit2->setReadOnly(true);
    Edit2->setMinimumWidth(280);
    Button3 = new QPushButton(QStringLiteral("参照"), this);
    Button3->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &TWriteFileNameDlg::Button3Click);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Edit2, 1);
    pathRow->addWidget(Button3);
    auto* fileForm = new QFormLayout;
    fileForm->addRow(QStringLiteral("ファイル名"), Edit1);
    fileForm->addRow(QStringLiteral("パス"), pathRow);

    RG_TargetKind = new QGroupBox(QStringLiteral("書き出し対象"), this);
    targetKindButtons_ = radioGroup(RG_TargetKind, {"ファイル", "フォルダ", "ファイル・フォルダ"});
    RG_Range = new QGroupBox(QStringLiteral("書き出し範囲"), this);
    rangeButtons_ =
        radioGroup(RG_Range, {"選択フォルダ以降  （サブフォルダを含む）",
                              "選択フォルダ内  （サブフォルダを含めない）", "表示ストック全体"});
    auto* optionBox = new QGroupBox(QStringLiteral("オプション"), this);
    CB_EraseKaku = new QCheckBox(QStringLiteral("拡張子を消去する"), optionBox);
    auto* optionLayout = new QVBoxLayout(optionBox);
    optionLayout->addWidget(CB_EraseKaku);

    Button1 = new QPushButton(QStringLiteral("書き出し"), this);
    Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button1->setDefault(true);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* choices = new QHBoxLayout;
    choices->addWidget(RG_TargetKind);
    choices->addWidget(RG_Range, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileForm);
    layout->addLayout(choices);
    layout->addWidget(optionBox);
    layout->addLayout(buttons);

    setOutputFolder(defaultOutputFolder());
}

QString TWriteFileNameDlg::defaultOutputFolder() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty() && ::access(QFile::encodeName(exeDir).constData(), W_OK) == 0)
        return exeDir;
    return QDir::homePath();
}

void TWriteFileNameDlg::setOutputFolder(const QString& folder) {
    outputFolder_ = folder;
    Edit2->setText(folder);
}

std::filesystem::path TWriteFileNameDlg::outputPath() const {
    return std::filesystem::path((outputFolder_ + QLatin1Char('/') + Edit1->text()).toStdString());
}

int TWriteFileNameDlg::targetKind() const {
    return targetKindButtons_->checkedId();
}
void TWriteFileNameDlg::setTargetKind(int index) {
    targetKindButtons_->button(index)->setChecked(true);
}
int TWriteFileNameDlg::range() const {
    return rangeButtons_->checkedId();
}
void TWriteFileNameDlg::setRange(int index) {
    rangeButtons_->button(index)->setChecked(true);
}

ExportOptions TWriteFileNameDlg::options() const {
    return ExportOptions{ExportKind(targetKind()), ExportRange(range()), CB_EraseKaku->isChecked()};
}

void TWriteFileNameDlg::Button3Click() {
    const auto chosen =
        dialogs().saveFileName(this, QStringLiteral("書き出し先ファイル選択"),
                               outputFolder_ + QLatin1Char('/') + Edit1->text(),
                               QStringLiteral("Text files (*.txt)"), QStringLiteral("txt"));
    if (!chosen) return;
    const qsizetype slash = chosen->lastIndexOf(QLatin1Char('/'));
    Edit1->setText(chosen->mid(slash + 1));
    // A file right under the root keeps "/" as its folder rather than an empty one.
    if (slash > 0)
        setOutputFolder(chosen->left(slash));
    else if (slash == 0)
        setOutputFolder(QStringLiteral("/"));
}

int TWriteFileNameDlg::exec() {
    const QPointer<TWriteFileNameDlg> self(this);
    ++execDepth_;
    const int result = QDialog::exec();
    if (self) --execDepth_;
    return result;
}

bool TWriteFileNameDlg::event(QEvent* e) {
    return holdDeleteWhileModal(*this, e, execDepth_) || QDialog::event(e);
}

} // namespace zt
