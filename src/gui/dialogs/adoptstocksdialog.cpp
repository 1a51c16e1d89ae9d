#include "gui/dialogs/adoptstocksdialog.h"

#include "gui/common/text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

AdoptStocksDialog::AdoptStocksDialog(QWidget* parent, const std::vector<std::string>& names)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("adoptStocksDialog"));
    setWindowTitle(QStringLiteral("一覧にないストックを追加"));
    auto* caption = new QLabel(QStringLiteral("ストック一覧にないストックファイル:"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("unlistedStocks"));
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    for (const std::string& n : names) {
        auto* item = new QListWidgetItem(toQString(n), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(QStringLiteral("追加"), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("okButton"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(360, 280);
}

std::vector<std::string> AdoptStocksDialog::checkedNames() const {
    std::vector<std::string> out;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked)
            out.push_back(toUtf8(list_->item(i)->text()));
    return out;
}

} // namespace zt
