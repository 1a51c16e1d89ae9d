#include "gui/dialogs/renamestockdialog.h"

#include "gui/common/dialogservice.h"
#include "gui/common/text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

namespace zt {

RenameStockDialog::RenameStockDialog(QWidget* parent, Check check)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      check_(std::move(check)) {
    setObjectName(QStringLiteral("renameStockDialog"));
    setWindowTitle(QStringLiteral("名前の変更"));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("newNameEdit"));
    edit_->setMaxLength(INT_MAX); // no limit of the dialog's own
    edit_->setMinimumWidth(220);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cansel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &RenameStockDialog::acceptIfValid);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
}

void RenameStockDialog::setNewName(const std::string& name) {
    edit_->setText(toQString(name));
}

std::string RenameStockDialog::newName() const {
    return toUtf8(edit_->text());
}

void RenameStockDialog::acceptIfValid() {
    const std::string message = check_(newName());
    if (!message.empty()) {
        warn(this, toQString(message));
        return;
    }
    accept();
}

void RenameStockDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace zt
