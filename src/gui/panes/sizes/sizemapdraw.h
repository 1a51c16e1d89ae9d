#pragma once
// A size map drawn into an image: the layout of browser/sizemap.h with each
// file in the colour of its kind (the contents list's file-type images), each
// folder a frame in grey with its name where it fits. Made on a worker: an
// image is the one paint device that may be painted off the window's thread.
#include "browser/sizemap.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// Bytes drawn in one kind's colour.
struct KindShare {
    int image = 0; // the file-type image index (IconCache)
    uint64_t bytes = 0;
};

struct MapPicture {
    QImage image;
    std::vector<MapTile> tiles;
    std::vector<KindShare> kinds; // the kinds drawn, the most bytes first
    bool complete = false;        // false: stopped part way
};

// The colour of files of one image index; folders have their own greys.
[[nodiscard]] QColor kindColour(int image);

// Lays out root into an image of this size and draws it. imageOf gives a
// file's image index from its name; cancelled is asked once per folder.
[[nodiscard]] MapPicture drawSizeMap(const FolderNode& root, const FolderSizes& sizes, QSize size,
                                     const QFont& font,
                                     const std::function<int(std::string_view)>& imageOf,
                                     const std::function<bool()>& cancelled = {});

// One stock of the map of every stock.
struct StockBlock {
    std::string name;
    uint64_t bytes = 0;
};

// The stocks side by side, each sized by its bytes and labelled with its name
// and size; rects[i] is the rectangle of stocks[i] (empty for a stock of no bytes).
[[nodiscard]] QImage drawStockMap(const std::vector<StockBlock>& stocks, QSize size,
                                  const QFont& font, std::vector<MapRect>& rects);

} // namespace zt
