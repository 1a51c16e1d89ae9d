#include "gui/panes/sizes/sizemapdraw.h"

#include "gui/common/iconcache.h"
#include "gui/common/text.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <unordered_map>

namespace zt {

namespace {

QRect toQRect(const MapRect& r) {
    return {r.x, r.y, r.w, r.h};
}

QColor folderColour(int depth) {
    const int v = std::max(150, 225 - 12 * depth);
    return QColor(v, v, v + 8 > 255 ? 255 : v + 8);
}

// Light edges top and left, dark ones bottom and right: each tile reads as a
// raised block, which is what lets equal neighbours be told apart.
void bevel(QPainter& p, const QRect& r, const QColor& c) {
    if (r.width() < 3 || r.height() < 3) return;
    const QColor light = c.lighter(125), dark = c.darker(150);
    p.fillRect(r.x(), r.y(), r.width(), 1, light);
    p.fillRect(r.x(), r.y(), 1, r.height(), light);
    p.fillRect(r.x(), r.bottom(), r.width(), 1, dark);
    p.fillRect(r.right(), r.y(), 1, r.height(), dark);
}

// A name inside its tile where a few letters fit, elided at the end.
void label(QPainter& p, const QFontMetrics& fm, const QRect& r, std::string_view name,
           const QColor& behind) {
    if (r.width() < 24 || r.height() < fm.height() + 2) return;
    const QString text = fm.elidedText(toQString(name), Qt::ElideRight, r.width() - 6);
    if (text.isEmpty() || text == QStringLiteral("…")) return;
    p.setPen(behind.lightness() > 140 ? Qt::black : Qt::white);
    p.drawText(r.adjusted(3, 1, -3, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

QColor kindColour(int image) {
    if (image == IconCache::GenericFile) return QColor(150, 160, 185);
    // Hues a golden angle apart: neighbours in the table never look alike.
    const int hue = int((unsigned(image) * 137u + 20u) % 360u);
    return QColor::fromHsv(hue, 150, 225);
}

MapPicture drawSizeMap(const FolderNode& root, const FolderSizes& sizes, QSize size,
                       const QFont& font, const std::function<int(std::string_view)>& imageOf,
                       const std::function<bool()>& cancelled) {
    MapPicture out;
    const QFontMetrics fm(font);
    MapLook look;
    look.frame = 1;
    look.header = fm.height() + 2;
    bool stopped = false;
    out.tiles = layoutSizeMap(root, sizes, {0, 0, size.width(), size.height()}, look,
                              [&] { return stopped = stopped || (cancelled && cancelled()); });
    if (stopped) return out; // a newer layout replaces this one: nothing to draw
    out.image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    out.image.fill(QColor(235, 235, 240));
    QPainter p(&out.image);
    p.setFont(font);
    std::unordered_map<int, uint64_t> byKind;
    size_t sinceAsked = 0;
    for (const MapTile& t : out.tiles) {
        if (cancelled && ++sinceAsked == 4096) {
            sinceAsked = 0;
            if (cancelled()) return out;
        }
        const QRect r = toQRect(t.rect);
        if (t.isFolder()) {
            const QColor c = folderColour(t.depth);
            p.fillRect(r, c);
            bevel(p, r, c);
            if (r.height() >= 3 * look.header) label(p, fm, r, t.folder->name, c);
            continue;
        }
        const int image = imageOf(t.file->name());
        byKind[image] += t.bytes;
        const QColor c = kindColour(image);
        p.fillRect(r, c);
        bevel(p, r, c);
        label(p, fm, r, t.file->name(), c);
    }
    for (const auto& [image, bytes] : byKind)
        out.kinds.push_back({image, bytes});
    std::sort(out.kinds.begin(), out.kinds.end(), [](const KindShare& a, const KindShare& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.image < b.image;
    });
    out.complete = !stopped;
    return out;
}

QImage drawStockMap(const std::vector<StockBlock>& stocks, QSize size, const QFont& font,
                    std::vector<MapRect>& rects) {
    std::vector<uint64_t> bytes;
    for (const StockBlock& s : stocks)
        bytes.push_back(s.bytes);
    rects = squarify(bytes, {0, 0, size.width(), size.height()});
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(235, 235, 240));
    QPainter p(&image);
    p.setFont(font);
    const QFontMetrics fm(font);
    for (size_t i = 0; i < stocks.size(); ++i) {
        if (rects[i].empty()) continue;
        const QRect r = toQRect(rects[i]);
        const QColor c = QColor::fromHsv(int((i * 137u + 200u) % 360u), 90, 230);
        p.fillRect(r, c);
        bevel(p, r, c);
        label(p, fm, r, stocks[i].name, c);
        label(p, fm, r.adjusted(0, fm.height(), 0, 0), shortSizeText(stocks[i].bytes), c);
    }
    return image;
}

} // namespace zt
