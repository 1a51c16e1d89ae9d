#include "gui/panes/stocklist/stocklistpane.h"

#include "gui/common/appearance.h"
#include "gui/common/keys.h"
#include "gui/common/text.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>

namespace zt {

StockListPane::StockListPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("stockListPane"));
    model_ = new QStringListModel(this);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("stockList"));
    list_->setModel(model_);
    // Every row is one line of text: laid out once for all, not measured row
    // by row (a list of 200,000 names would take seconds at every change).
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAccessibleName(QStringLiteral("ストック"));
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    enableContextMenuKeys(list_);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (contextMenu_) contextMenu_->popup(list_->viewport()->mapToGlobal(pos));
    });
    connect(list_, &QListView::clicked, this, &StockListPane::openRequested);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &StockListPane::selectionChanged);
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (inKeyPress_ && current.isValid()) emit openRequested();
            });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(list_, 1);
}

QWidget* StockListPane::buildHeader() {
    auto* header = new QWidget(this);
    header->setFixedHeight(designPixels(*this, 16));
    auto* caption = new QLabel(QStringLiteral("ストック"), header);
    caption->setObjectName(QStringLiteral("stockListCaption"));
    caption->setAlignment(Qt::AlignCenter);
    auto* buttons = new QWidget(header);
    buttons->setFixedWidth(designPixels(*this, 50));

    auto* up = new QPushButton(QStringLiteral("↑"), buttons);
    up->setObjectName(QStringLiteral("moveStockUpButton"));
    up->setToolTip(QStringLiteral("上へ移動"));
    auto* down = new QPushButton(QStringLiteral("↓"), buttons);
    down->setObjectName(QStringLiteral("moveStockDownButton"));
    down->setToolTip(QStringLiteral("下へ移動"));
    auto* remove = new QPushButton(buttons);
    remove->setObjectName(QStringLiteral("deleteStockButton"));
    remove->setIcon(themeIcon(QStringLiteral("edit-delete"), QStyle::SP_TrashIcon));
    remove->setIconSize(QSize(designPixels(*this, 12), designPixels(*this, 12)));
    remove->setToolTip(QStringLiteral("ストックを削除"));
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (QPushButton* b : {up, down, remove}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        b->setMinimumSize(1, 1);
        row->addWidget(b, 1);
    }
    connect(up, &QPushButton::clicked, this, &StockListPane::moveUpClicked);
    connect(down, &QPushButton::clicked, this, &StockListPane::moveDownClicked);
    connect(remove, &QPushButton::clicked, this, &StockListPane::deleteClicked);

    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption, 1);
    layout->addWidget(buttons);
    return header;
}

bool StockListPane::eventFilter(QObject* watched, QEvent* e) {
    // Set just before the list handles a key press; any later event ends it.
    if (watched == list_) inKeyPress_ = e->type() == QEvent::KeyPress;
    // A right press keeps the selection on the open stock: the menu it opens
    // acts on the selected stock, which must be the one shown.
    if (watched == list_->viewport() &&
        (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(e)->button() == Qt::RightButton)
        return true;
    return QWidget::eventFilter(watched, e);
}

std::vector<std::string> StockListPane::names() const {
    std::vector<std::string> out;
    const QStringList all = model_->stringList();
    out.reserve(size_t(all.size()));
    for (const QString& n : all)
        out.push_back(toUtf8(n));
    return out;
}

int StockListPane::count() const {
    return model_->rowCount();
}

int StockListPane::selectedRow() const {
    const QModelIndex current = list_->currentIndex();
    return current.isValid() && list_->selectionModel()->isSelected(current) ? current.row() : -1;
}

std::string StockListPane::selectedName() const {
    const int row = selectedRow();
    return row < 0 ? std::string() : toUtf8(model_->index(row).data().toString());
}

void StockListPane::setNames(const std::vector<std::string>& names) {
    QStringList all;
    all.reserve(qsizetype(names.size()));
    for (const std::string& n : names)
        all << toQString(n);
    model_->setStringList(all);
    list_->selectionModel()->clear();
}

void StockListPane::selectRow(int row) {
    QItemSelectionModel* sel = list_->selectionModel();
    if (row < 0 || row >= count()) {
        sel->clear();
        return;
    }
    sel->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
}

void StockListPane::moveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= count() || to >= count()) return;
    model_->moveRows({}, from, 1, {}, to > from ? to + 1 : to);
    selectRow(to);
}

void StockListPane::renameRow(int row, const std::string& name) {
    model_->setData(model_->index(row), toQString(name));
}

void StockListPane::removeRow(int row) {
    model_->removeRows(row, 1);
    list_->selectionModel()->clear();
}

QAbstractItemModel* StockListPane::model() const {
    return model_;
}

void StockListPane::setContextMenu(QMenu* menu) {
    contextMenu_ = menu;
}

void StockListPane::addListAction(QAction* action) {
    action->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(action);
}

QList<QWidget*> StockListPane::focusOrder() const {
    return {list_};
}

} // namespace zt
