#include "browser/sizemap.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zt {

namespace {

// Edges are rounded once each; two rectangles sharing an edge share the very
// double it was computed as, so they meet without gap or overlap.
int edge(double v) {
    return int(std::floor(v + 0.5));
}

MapRect rounded(double x0, double y0, double x1, double y1) {
    const int l = edge(x0), t = edge(y0);
    return {l, t, edge(x1) - l, edge(y1) - t};
}

// The worst aspect ratio of a row of total `sum`, largest `big` and smallest
// `small` (in area units) along a side of length `side`.
double worst(double sum, double big, double small, double side) {
    const double s2 = side * side, sum2 = sum * sum;
    return std::max(s2 * big / sum2, sum2 / (s2 * small));
}

// Lays order[first..] (sizes descending, all non-zero) into the rectangle.
void layRows(std::span<const uint64_t> sizes, const std::vector<uint32_t>& order, double total,
             double x0, double y0, double x1, double y1, std::vector<MapRect>& out) {
    double remaining = total;
    size_t i = 0;
    const size_t n = order.size();
    while (i < n) {
        const double w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0 || remaining <= 0) break;
        const bool column = w >= h; // a row along the shorter side
        const double side = column ? h : w;
        const double scale = w * h / remaining; // area per byte
        double sum = double(sizes[order[i]]) * scale;
        const double big = sum; // sizes descend: the row's first is its largest
        double small = sum;
        size_t end = i + 1;
        for (; end < n; ++end) {
            const double next = double(sizes[order[end]]) * scale;
            if (worst(sum + next, big, next, side) > worst(sum, big, small, side)) break;
            sum += next;
            small = next;
        }
        const bool last = end == n;
        const double far = last ? (column ? x1 : y1) : (column ? x0 : y0) + sum / side;
        double at = column ? y0 : x0;
        const double rowBytes = sum / scale;
        double bytesSoFar = 0;
        for (size_t k = i; k < end; ++k) {
            bytesSoFar += double(sizes[order[k]]);
            const double to = k + 1 == end ? (column ? y1 : x1)
                                           : (column ? y0 : x0) + side * (bytesSoFar / rowBytes);
            out[order[k]] = column ? rounded(x0, at, far, to) : rounded(at, y0, to, far);
            at = to;
        }
        (column ? x0 : y0) = far;
        remaining -= rowBytes;
        i = end;
    }
    // What is left had no room: empty, at the corner it would have started from.
    for (; i < n; ++i)
        out[order[i]] = {edge(x0), edge(y0), 0, 0};
}

// squarify with the caller's buffers, so a map of ten thousand folders does
// not allocate twice per folder.
void squarifyInto(std::span<const uint64_t> sizes, MapRect area, std::vector<MapRect>& out,
                  std::vector<uint32_t>& order) {
    out.assign(sizes.size(), MapRect{area.x, area.y, 0, 0});
    if (area.empty()) return;
    order.clear();
    double total = 0;
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] > 0) {
            order.push_back(uint32_t(i));
            total += double(sizes[i]);
        }
    // Larger first; equal sizes in their given order.
    std::sort(order.begin(), order.end(), [&sizes](uint32_t a, uint32_t b) {
        return sizes[a] != sizes[b] ? sizes[a] > sizes[b] : a < b;
    });
    layRows(sizes, order, total, area.x, area.y, double(area.x) + area.w, double(area.y) + area.h,
            out);
}

} // namespace

std::vector<MapRect> squarify(std::span<const uint64_t> sizes, MapRect area) {
    std::vector<MapRect> out;
    std::vector<uint32_t> order;
    squarifyInto(sizes, area, out, order);
    return out;
}

namespace {

// Where a folder tile's contents go: inside its frame, below its name when
// there is room for one.
MapRect contentsRect(const MapRect& r, const MapLook& look) {
    MapRect in{r.x + look.frame, r.y + look.frame, r.w - 2 * look.frame, r.h - 2 * look.frame};
    if (look.header > 0 && in.h >= 3 * look.header) {
        in.y += look.header;
        in.h -= look.header;
    }
    return in;
}

} // namespace

std::vector<MapTile> layoutSizeMap(const FolderNode& root, const FolderSizes& sizes, MapRect area,
                                   const MapLook& look, const std::function<bool()>& cancelled) {
    std::vector<MapTile> tiles;
    if (area.empty()) return tiles;
    tiles.push_back({area, &root, nullptr, sizes.bytesOf(root), 0});
    std::vector<size_t> pending{0}; // folder tiles whose contents are still to lay out
    std::vector<uint64_t> itemBytes;
    struct Item {
        const FolderNode* folder;
        const FileRecord* file;
    };
    std::vector<Item> items;
    std::vector<MapRect> rects;
    std::vector<uint32_t> order;
    while (!pending.empty()) {
        if (cancelled && cancelled()) break;
        const MapTile parent = tiles[pending.back()];
        pending.pop_back();
        const MapRect inner = contentsRect(parent.rect, look);
        if (inner.w < look.minContents || inner.h < look.minContents || parent.bytes == 0) continue;
        items.clear();
        itemBytes.clear();
        for (const FolderNode* c : parent.folder->children)
            if (const uint64_t b = sizes.bytesOf(*c); b > 0) {
                items.push_back({c, nullptr});
                itemBytes.push_back(b);
            }
        for (const FileRecord* f = parent.folder->firstFile; f; f = f->next)
            if (f->size > 0) {
                items.push_back({parent.folder, f});
                itemBytes.push_back(f->size);
            }
        squarifyInto(itemBytes, inner, rects, order);
        for (size_t k = 0; k < items.size(); ++k) {
            if (rects[k].empty()) continue;
            if (!items[k].file) pending.push_back(tiles.size());
            tiles.push_back(
                {rects[k], items[k].folder, items[k].file, itemBytes[k], parent.depth + 1});
        }
    }
    return tiles;
}

int tileAt(const std::vector<MapTile>& tiles, int x, int y) {
    for (size_t i = tiles.size(); i-- > 0;)
        if (tiles[i].rect.contains(x, y)) return int(i);
    return -1;
}

} // namespace zt
