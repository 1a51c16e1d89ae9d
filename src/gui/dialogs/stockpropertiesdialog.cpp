#include "gui/dialogs/stockpropertiesdialog.h"

#include "gui/common/text.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

StockPropertiesDialog::StockPropertiesDialog(QWidget* owner, const QString& stockName,
                                             const StockInfo& info, SaveNote save)
    : QDialog(owner), saved_(info.note), original_(info.note), save_(std::move(save)) {
    setObjectName(QStringLiteral("stockPropertiesDialog"));
    setWindowTitle(QStringLiteral("ストックのプロパティ"));

    auto* name = new QLabel(stockName, this);
    name->setObjectName(QStringLiteral("stockNameLabel"));
    name->setTextFormat(Qt::PlainText);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);

    auto* facts = new QFormLayout;
    for (const auto& [caption, text] : stockInfoTexts(info)) {
        if (caption == "メモ") continue; // edited below
        auto* value = new QLabel(toQString(text), this);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        facts->addRow(toQString(caption) + QStringLiteral("："), value);
    }

    note_ = new QPlainTextEdit(toQString(info.note), this);
    note_->setObjectName(QStringLiteral("noteEdit"));
    note_->setAccessibleName(QStringLiteral("メモ"));
    note_->setTabChangesFocus(true);
    note_->setMinimumHeight(4 * fontMetrics().height());
    note_->installEventFilter(this);
    facts->addRow(QStringLiteral("メモ："), note_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addLayout(facts, 1);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 26 * fontMetrics().height()), sizeHint().height());
}

QString StockPropertiesDialog::note() const {
    return note_->toPlainText();
}

void StockPropertiesDialog::setNote(const QString& note) {
    note_->setPlainText(note);
}

bool StockPropertiesDialog::saveNote() {
    const std::string now = toUtf8(note());
    if (now == saved_) return true;
    if (!save_ || !save_(now)) return false;
    saved_ = now;
    return true;
}

void StockPropertiesDialog::done(int result) {
    if (result == Accepted) {
        (void)saveNote();
    } else if (saved_ != original_) {
        // Cancelled after a focus change saved an edit: the edit is taken back.
        note_->setPlainText(toQString(original_));
        (void)saveNote();
    }
    QDialog::done(result);
}

bool StockPropertiesDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == note_ && e->type() == QEvent::FocusOut) (void)saveNote();
    return QDialog::eventFilter(watched, e);
}

} // namespace zt
