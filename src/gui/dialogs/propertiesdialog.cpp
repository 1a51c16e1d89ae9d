#include "gui/dialogs/propertiesdialog.h"

#include "gui/common/text.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace zt {

namespace {

constexpr int kWidth = 315;
constexpr int kHeight = 201;

QLabel* label(QWidget* parent, int x, int y, const QString& text = {},
              const QString& objectName = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setTextFormat(Qt::PlainText);
    l->move(x, y);
    if (!text.isEmpty()) l->adjustSize();
    return l;
}

} // namespace

PropertiesDialog::PropertiesDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("propertiesDialog"));
    setWindowTitle(QStringLiteral("プロパティ"));
    setFixedSize(kWidth, kHeight);
    if (owner) setFont(owner->font());

    // The name is centred over the dialog (a long one shortened in showRecord).
    name_ = label(this, 16, 24, {}, QStringLiteral("nameLabel"));
    name_->setGeometry(16, 24, kWidth - 32, fontMetrics().height() + 2);
    name_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    label(this, 16, 56, QStringLiteral("作成日時："));
    label(this, 16, 80, QStringLiteral("更新日時："));
    label(this, 16, 104, QStringLiteral("アクセス日："));
    sizeCaption_ = label(this, 16, 128, QStringLiteral("ファイルサイズ："));
    created_ = label(this, 104, 56, {}, QStringLiteral("createdValue"));
    modified_ = label(this, 104, 80, {}, QStringLiteral("modifiedValue"));
    accessed_ = label(this, 104, 104, {}, QStringLiteral("accessedValue"));
    size_ = label(this, 104, 128, {}, QStringLiteral("sizeValue"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(112, 160, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void PropertiesDialog::showRecord(const PropertyRecord& record) {
    const PropertyTexts t = textsOf(record);
    // A name wider than the dialog loses its middle: its start and its type stay
    // in view, and the whole name shows as the tip.
    const QString name = toQString(t.name);
    name_->setText(name_->fontMetrics().elidedText(name, Qt::ElideMiddle, name_->width()));
    name_->setToolTip(name_->text() == name ? QString() : name);
    created_->setText(toQString(t.created));
    modified_->setText(toQString(t.modified));
    accessed_->setText(toQString(t.accessed));
    size_->setText(toQString(t.size));
    // The values start at x 104, after the longest caption when the font is larger.
    const int valueX = std::max(104, sizeCaption_->x() + sizeCaption_->width() + 4);
    for (QLabel* l : {created_, modified_, accessed_, size_}) {
        l->move(valueX, l->y());
        l->resize(kWidth - valueX - 8, l->sizeHint().height());
    }
}

} // namespace zt
