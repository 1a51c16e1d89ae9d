#include "gui/panes/sizes/sizemapview.h"

#include "browser/properties.h"
#include "gui/common/iconcache.h"
#include "gui/common/text.h"
#include "gui/common/workrunner.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace zt {

QString pathInStock(const FolderNode* folder, const FileRecord* file) {
    std::vector<std::string_view> parts;
    if (file) parts.push_back(file->name());
    for (const FolderNode* n = folder; n && n->parent; n = n->parent)
        parts.push_back(n->name);
    std::string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
        (path += '\\') += *it;
    return path.empty() ? QStringLiteral("\\") : toQString(path);
}

SizeMapView::SizeMapView(const IconCache* icons, QWidget* parent)
    : QWidget(parent), icons_(icons), runner_(new WorkRunner(this)) {
    setObjectName(QStringLiteral("sizeMapView"));
    setMouseTracking(true);
    setMinimumSize(120, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("容量マップ"));
}

SizeMapView::~SizeMapView() {
    runner_->abandon(); // the job reads the stock's tree
}

void SizeMapView::showFolder(const FolderTree* tree, const FolderNode* root,
                             std::shared_ptr<const FolderSizes> sizes) {
    if (tree != tree_) sizes_.reset();
    tree_ = tree;
    if (sizes) sizes_ = std::move(sizes);
    showingStocks_ = false;
    root_ = root;
    relayout();
}

void SizeMapView::clear() {
    runner_->abandon();
    layingOut_ = false;
    root_ = nullptr;
    tree_ = nullptr;
    sizes_.reset();
    picture_ = {};
    hoveredTile_ = -1;
    update();
}

void SizeMapView::showStocks(std::vector<StockBlock> stocks) {
    runner_->abandon();
    layingOut_ = false;
    showingStocks_ = true;
    stocks_ = std::move(stocks);
    relayout();
}

void SizeMapView::relayout() {
    runner_->abandon();
    hoveredTile_ = -1;
    layingOut_ = false;
    if (showingStocks_) {
        // A few hundred stocks at most: no worker needed.
        scale_ = devicePixelRatioF();
        stockImage_ = drawStockMap(stocks_, mapSize(), mapFont(), stockRects_);
        update();
        emit drawn();
        return;
    }
    if (!root_) {
        picture_ = {};
        update();
        return;
    }
    struct Layout {
        std::shared_ptr<const FolderSizes> sizes;
        bool madeSizes = false;
        MapPicture picture;
    };
    auto run = std::make_shared<Layout>();
    run->sizes = sizes_;
    WorkLook look;
    look.dialog = false;
    layingOut_ = true;
    scale_ = devicePixelRatioF();
    runner_->start(
        look,
        [run, tree = tree_, root = root_, icons = icons_, size = mapSize(),
         font = mapFont()](WorkControl& work) {
            const auto cancelled = [&work] { return work.cancelled(); };
            if (!run->sizes) {
                // The stock's totals, once, whatever folder is shown first.
                run->sizes = std::make_shared<const FolderSizes>(*tree, cancelled);
                run->madeSizes = true;
                if (work.cancelled()) return;
            }
            const auto imageOf = [icons](std::string_view name) {
                return icons ? icons->imageIndexOf(name) : int(IconCache::GenericFile);
            };
            run->picture = drawSizeMap(*root, *run->sizes, size, font, imageOf, cancelled);
        },
        [this, run](const JobEnd& end) {
            layingOut_ = false;
            if (end.cancelled || end.threw() || !run->picture.complete) return;
            if (run->madeSizes) {
                sizes_ = run->sizes;
                emit sizesMade(sizes_);
            }
            picture_ = std::move(run->picture);
            update();
            emit drawn();
        });
}

void SizeMapView::setRoot(const FolderNode* root) {
    if (!root || root == root_) return;
    root_ = root;
    relayout();
    emit rootChanged(root);
}

void SizeMapView::goUp() {
    if (!showingStocks_ && root_ && root_->parent) setRoot(root_->parent);
}

int SizeMapView::stockAt(const QPoint& pos) const {
    const QPoint m = toMap(pos);
    for (size_t i = 0; i < stockRects_.size(); ++i)
        if (stockRects_[i].contains(m.x(), m.y())) return int(i);
    return -1;
}

QString SizeMapView::describeAt(const QPoint& pos) const {
    if (showingStocks_) {
        const int i = stockAt(pos);
        if (i < 0) return {};
        const StockBlock& s = stocks_[size_t(i)];
        return toQString(s.name) + QStringLiteral("　") + toQString(shortSizeText(s.bytes)) +
               QStringLiteral("（") + toQString(sizeText(s.bytes)) + QStringLiteral("）");
    }
    const int i = tileAt(picture_.tiles, toMap(pos).x(), toMap(pos).y());
    if (i < 0) return {};
    const MapTile& t = picture_.tiles[size_t(i)];
    const uint64_t whole = picture_.tiles.front().bytes;
    return pathInStock(t.folder, t.file) + QStringLiteral("　") +
           toQString(shortSizeText(t.bytes)) + QStringLiteral("（") + toQString(sizeText(t.bytes)) +
           QStringLiteral("、") + toQString(shareText(shareThousandths(t.bytes, whole))) +
           QStringLiteral("）");
}

QRect SizeMapView::markedRect() const {
    if (hoveredTile_ < 0) return {};
    const MapRect r = showingStocks_ ? stockRects_[size_t(hoveredTile_)]
                                     : picture_.tiles[size_t(hoveredTile_)].rect;
    return QRectF(r.x / scale_, r.y / scale_, r.w / scale_, r.h / scale_).toAlignedRect();
}

// The map is drawn in the screen's own pixels, so it stays sharp on a
// display that scales the window.
QSize SizeMapView::mapSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

QFont SizeMapView::mapFont() const {
    QFont f = font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * devicePixelRatioF());
    else
        f.setPixelSize(int(f.pixelSize() * devicePixelRatioF()));
    return f;
}

QPoint SizeMapView::toMap(const QPoint& pos) const {
    return (QPointF(pos) * scale_).toPoint();
}

void SizeMapView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QImage& image = showingStocks_ ? stockImage_ : picture_.image;
    if (image.isNull()) {
        p.fillRect(rect(), palette().window());
        return;
    }
    // While a new size is laid out the old picture stands in, stretched.
    p.drawImage(rect(), image);
    if (const QRect r = markedRect(); !r.isEmpty()) {
        p.setPen(QPen(palette().highlight().color(), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }
}

void SizeMapView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    relayout();
}

void SizeMapView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    const int at =
        showingStocks_ ? stockAt(pos) : tileAt(picture_.tiles, toMap(pos).x(), toMap(pos).y());
    if (at != hoveredTile_) {
        hoveredTile_ = at;
        update();
        emit hovered(describeAt(pos));
    }
}

void SizeMapView::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    hoveredTile_ = -1;
    update();
    emit hovered({});
}

void SizeMapView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pos = e->position().toPoint();
    if (showingStocks_) return;
    const int i = tileAt(picture_.tiles, toMap(pos).x(), toMap(pos).y());
    if (i < 0) return;
    const MapTile& t = picture_.tiles[size_t(i)];
    emit itemClicked(t.folder, t.file);
}

void SizeMapView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pos = e->position().toPoint();
    if (showingStocks_) {
        if (const int i = stockAt(pos); i >= 0)
            emit stockChosen(toQString(stocks_[size_t(i)].name));
        return;
    }
    const int i = tileAt(picture_.tiles, toMap(pos).x(), toMap(pos).y());
    if (i <= 0) return;
    // A file zooms into its folder, so a double click anywhere in a folder enters it.
    const MapTile& t = picture_.tiles[size_t(i)];
    if (t.file && t.folder == root_) return;
    setRoot(t.folder);
}

} // namespace zt
