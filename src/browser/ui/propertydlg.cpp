#include "browser/ui/propertydlg.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace zt {

namespace {

constexpr int kWidth = 315;
constexpr int kHeight = 201;

QLabel* label(QWidget* parent, int x, int y, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->move(x, y);
    return l;
}

} // namespace

TPropertyDlg::TPropertyDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("プロパティ"));
    setFixedSize(kWidth, kHeight);
    if (owner) setFont(owner->font());

    // The name is centred over the dialog (a long one shortened in Show).
    Label2 = label(this, 16, 24);
    Label2->setGeometry(16, 24, kWidth - 32, fontMetrics().height() + 2);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Label1 = label(this, 16, 56, QStringLiteral("作成日時："));
    Label3 = label(this, 16, 80, QStringLiteral("更新日時："));
    Label4 = label(this, 16, 104, QStringLiteral("アクセス日："));
    Label5 = label(this, 16, 128, QStringLiteral("ファイルサイズ："));
    Label6 = label(this, 104, 56);
    Label7 = label(this, 104, 80);
    Label8 = label(this, 104, 104);
    Label9 = label(this, 104, 128);
    for (QLabel* l : {Label1, Label3, Label4, Label5})
        l->adjustSize();

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(112, 160, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TPropertyDlg::Show(const PropertyRecord& record) {
    const PropertyTexts t = textsOf(record);
    // A name wider than the dialog loses its middle: its start and its type stay
    // in view, and the whole name shows as the tip.
    const QString name = QString::fromStdString(t.name);
    Label2->setText(Label2->fontMetrics().elidedText(name, Qt::ElideMiddle, Label2->width()));
    Label2->setToolTip(Label2->text() == name ? QString() : name);
    Label6->setText(QString::fromStdString(t.created));
    Label7->setText(QString::fromStdString(t.modified));
    Label8->setText(QString::fromStdString(t.accessed));
    Label9->setText(QString::fromStdString(t.size));
    // The values start at x 104, after the longest caption when the font is larger.
    const int valueX = std::max(104, Label5->x() + Label5->width() + 4);
    for (QLabel* l : {Label6, Label7, Label8, Label9}) {
        l->move(valueX, l->y());
        l->resize(kWidth - valueX - 8, l->sizeHint().height());
    }
}

} // namespace zt
