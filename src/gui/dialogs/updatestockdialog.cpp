#include "gui/dialogs/updatestockdialog.h"

#include "gui/common/text.h"
#include "platform/numbertext.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

StockChangesModel::StockChangesModel(std::string stock, const StockDiff* diff, QObject* parent)
    : QAbstractListModel(parent), stock_(std::move(stock)), diff_(diff) {}

int StockChangesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !diff_ ? 0 : int(diff_->changes.size());
}

QVariant StockChangesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return rowText(stock_, diff_->changes[size_t(index.row())]);
}

QString StockChangesModel::rowText(std::string_view stock, const StockChange& change) {
    return toQString(std::string(changeMark(change.kind)) + changePath(stock, change));
}

UpdateStockDialog::UpdateStockDialog(QWidget* owner, const std::string& stock,
                                     const StockDiff& diff)
    : QDialog(owner) {
    setObjectName(QStringLiteral("updateStockDialog"));
    setWindowTitle(QStringLiteral("ストックの更新"));

    auto* counts = new QLabel(countsText(diff), this);
    counts->setObjectName(QStringLiteral("countsLabel"));
    auto* question = new QLabel(
        QStringLiteral("ストック %1 をこの内容に更新します").arg(toQString(stock)), this);
    question->setTextFormat(Qt::PlainText);

    model_ = new StockChangesModel(stock, &diff, this);
    auto* list = new QListView(this);
    list->setObjectName(QStringLiteral("changesView"));
    list->setAccessibleName(QStringLiteral("変更の一覧"));
    list->setUniformItemSizes(true); // rows are never measured one by one
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setModel(model_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton(QStringLiteral("更新"), QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("applyUpdateButton"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelUpdateButton"));
    apply->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(counts);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(em * 36, em * 24);
}

QString UpdateStockDialog::countsText(const StockDiff& diff) {
    return QStringLiteral("追加 %1 件、削除 %2 件、変更 %3 件")
        .arg(toQString(groupThousands(diff.added)), toQString(groupThousands(diff.removed)),
             toQString(groupThousands(diff.changed)));
}

} // namespace zt
