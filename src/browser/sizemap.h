#pragma once
// The size map's layout: a folder drawn as nested rectangles, each file and
// folder with an area in proportion to its bytes, laid out squarified (rows
// along the shorter side, each row grown while its worst aspect ratio gets no
// worse) so rectangles stay near square and can be told apart. Pure
// arithmetic: the window draws the tiles, benchmarks and tests measure them.
#include "browser/foldersizes.h"
#include "catalogue/foldertree.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zt {

// A rectangle of whole pixels.
struct MapRect {
    int x = 0, y = 0, w = 0, h = 0;

    [[nodiscard]] bool empty() const { return w <= 0 || h <= 0; }
    [[nodiscard]] long long area() const { return empty() ? 0 : (long long)w * h; }
    [[nodiscard]] bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + w && py < y + h;
    }
    friend bool operator==(const MapRect&, const MapRect&) = default;
};

// One rectangle per size, in the order of sizes. The rectangles of the
// non-zero sizes tile `area` exactly (every pixel in one of them; edges are
// rounded once, so neighbours share them), each within rounding of its share
// of the area; a rectangle too small to reach a pixel is empty, and so is
// that of a zero size.
[[nodiscard]] std::vector<MapRect> squarify(std::span<const uint64_t> sizes, MapRect area);

// One rectangle of the map.
struct MapTile {
    MapRect rect;
    const FolderNode* folder = nullptr; // the folder of the tile, or the folder holding its file
    const FileRecord* file = nullptr;   // null for a folder's tile
    uint64_t bytes = 0;
    int depth = 0; // 0 for the map's root, 1 for what it holds, ...

    [[nodiscard]] bool isFolder() const { return file == nullptr; }
};

struct MapLook {
    int frame = 1;       // a folder's contents are inset this far from its edges
    int header = 0;      // and this far from its top, for its name, when it is tall enough
    int minContents = 3; // contents narrower or lower than this are not laid out
};

// The tiles of root laid into area: root's own tile first, then every tile
// after the tile of its folder (so drawing them in order draws contents over
// their folder). Files and folders of no bytes take no room, and neither does
// anything whose rectangle rounds to nothing. No recursion: a stock nested
// 100,000 deep stops where the frames leave no room. `cancelled` is asked once
// per folder laid out; when it says stop, the tiles so far are returned.
[[nodiscard]] std::vector<MapTile> layoutSizeMap(const FolderNode& root, const FolderSizes& sizes,
                                                 MapRect area, const MapLook& look = {},
                                                 const std::function<bool()>& cancelled = {});

// The tile under a point: the last (innermost) tile that contains it, or -1.
[[nodiscard]] int tileAt(const std::vector<MapTile>& tiles, int x, int y);

} // namespace zt
