#include "gui/panes/sizes/sizemapwindow.h"

#include "gui/common/iconcache.h"
#include "gui/common/text.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

namespace {

// The legend shows this many kinds, the most bytes first.
constexpr size_t kLegendKinds = 8;

QString kindName(const IconCache* icons, int image) {
    if (icons)
        for (size_t i = 0; i < icons->extensions().size(); ++i)
            if (icons->imageIndexes()[i] == image && image != IconCache::GenericFile)
                return toQString(icons->extensions()[i]);
    return QStringLiteral("その他");
}

QLabel* swatch(const QColor& c, QWidget* parent) {
    QPixmap pixmap(12, 12);
    pixmap.fill(c);
    auto* label = new QLabel(parent);
    label->setPixmap(pixmap);
    return label;
}

} // namespace

SizeMapWindow::SizeMapWindow(const IconCache* icons, QWidget* parent)
    : QWidget(parent, Qt::Window), icons_(icons) {
    setObjectName(QStringLiteral("sizeMapWindow"));
    setWindowTitle(QStringLiteral("容量マップ"));
    resize(720, 520);
    view_ = new SizeMapView(icons, this);
    up_ = new QPushButton(QStringLiteral("上へ"), this);
    up_->setObjectName(QStringLiteral("sizeMapUpButton"));
    stockMode_ = new QPushButton(QStringLiteral("このストック"), this);
    stockMode_->setObjectName(QStringLiteral("sizeMapStockButton"));
    allMode_ = new QPushButton(QStringLiteral("全ストック"), this);
    allMode_->setObjectName(QStringLiteral("sizeMapAllButton"));
    auto* modes = new QButtonGroup(this);
    for (QPushButton* b : {stockMode_, allMode_}) {
        b->setCheckable(true);
        modes->addButton(b);
    }
    stockMode_->setChecked(true);
    path_ = new QLabel(this);
    path_->setObjectName(QStringLiteral("sizeMapPath"));
    path_->setTextFormat(Qt::PlainText);
    hover_ = new QLabel(this);
    hover_->setObjectName(QStringLiteral("sizeMapHover"));
    hover_->setTextFormat(Qt::PlainText);
    legend_ = new QWidget(this);
    legend_->setObjectName(QStringLiteral("sizeMapLegend"));
    // Long paths and many kinds are cut at the window's edge rather than
    // making the window wider than the screen.
    for (QWidget* w : {static_cast<QWidget*>(path_), static_cast<QWidget*>(hover_), legend_})
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    new QHBoxLayout(legend_);
    legend_->layout()->setContentsMargins(0, 0, 0, 0);

    auto* top = new QHBoxLayout;
    top->addWidget(up_);
    top->addWidget(path_, 1);
    top->addWidget(stockMode_);
    top->addWidget(allMode_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    layout->addWidget(legend_);
    layout->addWidget(hover_);

    connect(up_, &QPushButton::clicked, view_, &SizeMapView::goUp);
    connect(view_, &SizeMapView::hovered, hover_, &QLabel::setText);
    connect(view_, &SizeMapView::drawn, this, [this] {
        refreshCaption();
        refreshLegend();
    });
    connect(view_, &SizeMapView::rootChanged, this, [this](const FolderNode* root) {
        folder_ = root;
        refreshCaption();
    });
    connect(stockMode_, &QPushButton::clicked, this, &SizeMapWindow::showStockMode);
    connect(allMode_, &QPushButton::clicked, this, &SizeMapWindow::stocksWanted);
    refreshCaption();
}

void SizeMapWindow::showFolder(const FolderTree* tree, const FolderNode* root,
                               std::shared_ptr<const FolderSizes> sizes) {
    tree_ = tree;
    folder_ = root;
    if (!stockMode_->isChecked()) return;
    view_->showFolder(tree, root, std::move(sizes));
    refreshCaption();
}

void SizeMapWindow::clear() {
    tree_ = nullptr;
    folder_ = nullptr;
    view_->clear();
    refreshCaption();
    refreshLegend();
}

void SizeMapWindow::showStocks(std::vector<StockBlock> stocks) {
    allMode_->setChecked(true);
    view_->showStocks(std::move(stocks));
    refreshCaption();
    refreshLegend();
}

void SizeMapWindow::showStockMode() {
    stockMode_->setChecked(true);
    view_->showFolder(tree_, folder_, nullptr);
    refreshCaption();
}

void SizeMapWindow::refreshCaption() {
    const bool stocks = view_->showingStocks();
    const FolderNode* root = view_->root();
    up_->setEnabled(!stocks && root && root->parent);
    if (stocks) {
        path_->setText(QStringLiteral("全ストック"));
    } else if (root) {
        const uint64_t bytes = view_->picture().tiles.empty() ? 0 : view_->picture().tiles[0].bytes;
        path_->setText(pathInStock(root, nullptr) + QStringLiteral("　") +
                       toQString(shortSizeText(bytes)));
    } else {
        path_->clear();
    }
}

void SizeMapWindow::refreshLegend() {
    QLayout* row = legend_->layout();
    while (QLayoutItem* item = row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (view_->showingStocks() || !view_->root()) return;
    const auto& kinds = view_->picture().kinds;
    // As many kinds as fit in the width the map has, whole.
    const int spacing = row->spacing() > 0 ? row->spacing() : 6;
    int room = view_->width();
    for (size_t i = 0; i < kinds.size() && i < kLegendKinds; ++i) {
        const QString caption = kindName(icons_, kinds[i].image) + QStringLiteral(" ") +
                                toQString(shortSizeText(kinds[i].bytes));
        room -= 12 + (icons_ ? 16 : 0) + fontMetrics().horizontalAdvance(caption) + 3 * spacing;
        if (room < 0 && i > 0) break;
        row->addWidget(swatch(kindColour(kinds[i].image), legend_));
        if (icons_) {
            auto* icon = new QLabel(legend_);
            icon->setPixmap(icons_->image(kinds[i].image).pixmap(16, 16));
            row->addWidget(icon);
        }
        auto* text = new QLabel(caption, legend_);
        text->setObjectName(QStringLiteral("sizeMapLegendKind"));
        row->addWidget(text);
    }
    static_cast<QHBoxLayout*>(row)->addStretch(1);
}

void SizeMapWindow::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    emit closed();
}

} // namespace zt
