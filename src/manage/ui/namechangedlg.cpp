#include "manage/ui/namechangedlg.h"

#include "library/names.h"
#include "manage/ui/modalrelease.h"
#include "platform/ui/dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

namespace zt {

TNameChangeDlg::TNameChangeDlg(QWidget* parent, std::vector<std::string> names, int index,
                               std::filesystem::path dataDir)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      names_(std::move(names)), index_(index), dataDir_(std::move(dataDir)) {
    setWindowTitle(QStringLiteral("名前の変更"));
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(INT_MAX); // no limit of the dialog's own
    Edit1->setMinimumWidth(220);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonCancel = new QPushButton(QStringLiteral("Cansel"), this);
    ButtonOK->setDefault(true);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonOK, &QPushButton::clicked, this, &TNameChangeDlg::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
}

std::string TNameChangeDlg::newName() const {
    return Edit1->text().toStdString();
}

void TNameChangeDlg::ButtonOKClick() {
    const std::string message = validateStockRename(dataDir_, names_, index_, newName());
    if (!message.empty()) {
        warn(this, QString::fromStdString(message));
        return;
    }
    accept();
}

void TNameChangeDlg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

int TNameChangeDlg::exec() {
    const QPointer<TNameChangeDlg> self(this);
    ++execDepth_;
    const int result = QDialog::exec();
    if (self) --execDepth_;
    return result;
}

bool TNameChangeDlg::event(QEvent* e) {
    return holdDeleteWhileModal(*this, e, execDepth_) || QDialog::event(e);
}

} // namespace zt
