#include "gui/common/progressdialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace zt {

ProgressDialog::ProgressDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(QStringLiteral("処理中"));
    setModal(false);
    setFixedSize(254, 117);

    message_ = new QLabel(QStringLiteral("データ処理中　しばらくお待ちください"), this);
    message_->setObjectName(QStringLiteral("progressMessage"));
    message_->setGeometry(32, 16, 254 - 32, 28);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    path_ = new QLabel(this);
    path_->setObjectName(QStringLiteral("progressPath"));
    path_->setGeometry(24, 48, 217, 16);
    path_->setTextFormat(Qt::PlainText);
    path_->hide();

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setGeometry(24, 48, 209, 16);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);

    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("progressCancel"));
    cancel_->setGeometry(96, 80, 75, 25);
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::cancelRequested);
}

void ProgressDialog::setMessage(const QString& text) {
    message_->setText(text);
}

void ProgressDialog::setBarShown(bool shown) {
    bar_->setVisible(shown);
}

void ProgressDialog::setMaximum(int maximum) {
    bar_->setRange(0, std::max(0, maximum));
}

void ProgressDialog::setValue(int value) {
    bar_->setValue(std::clamp(value, 0, bar_->maximum()));
}

void ProgressDialog::setPathShown(bool shown) {
    path_->setVisible(shown);
}

void ProgressDialog::setPath(const QString& path) {
    path_->setText(path_->fontMetrics().elidedText(path, Qt::ElideMiddle, path_->width()));
}

void ProgressDialog::setCancelShown(bool shown) {
    cancel_->setVisible(shown);
}

QString ProgressDialog::message() const {
    return message_->text();
}

int ProgressDialog::value() const {
    return bar_->value();
}

int ProgressDialog::maximum() const {
    return bar_->maximum();
}

void ProgressDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
}

void ProgressDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

} // namespace zt
