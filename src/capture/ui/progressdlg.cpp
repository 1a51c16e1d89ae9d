#include "capture/ui/progressdlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace zt {

TProgressDialog::TProgressDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("処理中"));
    setModal(false);
    setFixedSize(254, 117);

    Label1 = new QLabel(QStringLiteral("データ処理中　しばらくお待ちください"), this);
    Label1->move(32, 16);
    Label1->resize(254 - 32, 28);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = new QLabel(this);
    Label2->setGeometry(24, 48, 217, 16);
    Label2->setTextFormat(Qt::PlainText);
    Label2->hide();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(24, 48, 209, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setGeometry(96, 80, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TProgressDialog::cancelRequested);
}

void TProgressDialog::StepIt() {
    StepBy(1);
}

void TProgressDialog::StepBy(int delta) {
    ProgressBar1->setValue(std::min(ProgressBar1->maximum(), ProgressBar1->value() + delta));
}

void TProgressDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
}

void TProgressDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

} // namespace zt
