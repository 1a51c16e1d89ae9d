#include "browser/sizemap.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <random>

namespace zt {
namespace {

// Every pixel of area covered by exactly one non-empty rectangle, and none
// outside it.
void expectTiles(const std::vector<MapRect>& rects, MapRect area) {
    std::vector<int> cover(size_t(area.w) * size_t(area.h), 0);
    for (const MapRect& r : rects) {
        if (r.empty()) continue;
        ASSERT_GE(r.x, area.x);
        ASSERT_GE(r.y, area.y);
        ASSERT_LE(r.x + r.w, area.x + area.w);
        ASSERT_LE(r.y + r.h, area.y + area.h);
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                ++cover[size_t(y - area.y) * size_t(area.w) + size_t(x - area.x)];
    }
    for (size_t i = 0; i < cover.size(); ++i)
        ASSERT_EQ(cover[i], 1) << "pixel " << i % size_t(area.w) << "," << i / size_t(area.w);
}

// Each area within rounding of its share: the rounding moves each of the four
// edges by at most half a pixel.
void expectProportional(const std::vector<uint64_t>& sizes, const std::vector<MapRect>& rects,
                        MapRect area) {
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const double want = double(area.area()) * double(sizes[i]) / total;
        const double w = want / std::max(1, rects[i].h), h = want / std::max(1, rects[i].w);
        const double slack = std::max(w, double(rects[i].w)) + std::max(h, double(rects[i].h)) + 1;
        EXPECT_NEAR(double(rects[i].area()), want, slack) << "item " << i;
    }
}

TEST(SizeMap, SquarifyTilesTheAreaInProportion) {
    struct Case {
        const char* what;
        std::vector<uint64_t> sizes;
        MapRect area;
    };
    std::mt19937_64 random(7);
    std::vector<uint64_t> mixed(300);
    for (auto& s : mixed)
        s = 1 + random() % 1'000'000;
    const Case cases[] = {
        {"one", {5}, {3, 4, 10, 7}},
        {"equal four in a square", {1, 1, 1, 1}, {0, 0, 100, 100}},
        {"descending", {60, 30, 6, 3, 1}, {0, 0, 120, 40}},
        {"tall area", {4, 9, 1, 7, 7, 2}, {10, 10, 30, 200}},
        {"random", mixed, {0, 0, 300, 200}},
        {"more items than pixels", std::vector<uint64_t>(5000, 3), {0, 0, 40, 30}},
        {"sizes near the top of 64 bits", {~0ull / 3, ~0ull / 3, 1}, {0, 0, 64, 64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rects = squarify(c.sizes, c.area);
        ASSERT_EQ(rects.size(), c.sizes.size());
        expectTiles(rects, c.area);
        expectProportional(c.sizes, rects, c.area);
    }
    const auto four = squarify(std::vector<uint64_t>{1, 1, 1, 1}, {0, 0, 100, 100});
    for (const MapRect& r : four)
        EXPECT_EQ(r.w * 1000 + r.h, 50050) << "equal items in a square are squares";
}

TEST(SizeMap, ZeroSizesAndEmptyAreasTakeNoRoom) {
    const std::vector<uint64_t> sizes{0, 8, 0, 8};
    const auto rects = squarify(sizes, {0, 0, 16, 8});
    EXPECT_TRUE(rects[0].empty());
    EXPECT_TRUE(rects[2].empty());
    expectTiles(rects, {0, 0, 16, 8});
    for (const MapRect& r : squarify(std::vector<uint64_t>{0, 0}, {0, 0, 5, 5}))
        EXPECT_TRUE(r.empty());
    for (const MapRect& r : squarify(std::vector<uint64_t>{1, 2}, {0, 0, 0, 5}))
        EXPECT_TRUE(r.empty());
    EXPECT_TRUE(squarify({}, {0, 0, 5, 5}).empty());
}

TEST(SizeMap, OneHugeAmongAMillionTiny) {
    std::vector<uint64_t> sizes(1'000'000, 1);
    sizes[123'456] = 1'000'000; // half of everything
    const MapRect area{0, 0, 800, 600};
    const auto rects = squarify(sizes, area);
    expectTiles(rects, area);
    EXPECT_NEAR(double(rects[123'456].area()), area.area() / 2.0, 800);
}

// A stock's folders as tiles: contents inside their folder's frame, areas
// following the folders' totals, and a deep chain ends where frames leave no room.
TEST(SizeMap, TreeTilesNestInsideTheirFolders) {
    test::StockBuilder b;
    FolderNode* top = b.root("top");
    FolderNode* big = b.add(top, "big");
    FolderNode* none = b.add(top, "empty");
    for (int i = 0; i < 3; ++i)
        b.tree.addFile(big, "f" + std::to_string(i))->size = 3000;
    b.tree.addFile(top, "small.txt")->size = 1000;
    b.tree.addFile(top, "zero.txt");
    FolderNode* chain = top;
    for (int i = 0; i < 100'000; ++i)
        chain = b.tree.addChild(chain, "d");
    b.tree.addFile(chain, "deep.bin")->size = 10'000;
    const FolderSizes sizes(b.tree);
    EXPECT_EQ(sizes.bytesOf(*top), 20'000u);
    EXPECT_EQ(sizes.of(*top).files, 6u);

    const MapRect area{0, 0, 200, 100};
    const auto tiles =
        layoutSizeMap(*top, sizes, area, {.frame = 1, .header = 0, .minContents = 3});
    ASSERT_FALSE(tiles.empty());
    EXPECT_EQ(tiles[0].folder, top);
    EXPECT_EQ(tiles[0].rect, area);
    long long topLevel = 0;
    for (size_t i = 1; i < tiles.size(); ++i) {
        const MapTile& t = tiles[i];
        EXPECT_NE(t.folder, none);
        if (t.file) {
            EXPECT_NE(t.file->name(), "zero.txt");
        }
        if (t.depth == 1) topLevel += t.rect.area();
        // Its folder's tile (or, for a folder, its parent's) comes before it and holds it.
        const FolderNode* holder = t.file ? t.folder : t.folder->parent;
        int at = -1;
        for (size_t j = 0; j < i; ++j)
            if (tiles[j].isFolder() && tiles[j].folder == holder) at = int(j);
        ASSERT_GE(at, 0);
        const MapRect& p = tiles[size_t(at)].rect;
        EXPECT_TRUE(t.rect.x > p.x && t.rect.y > p.y && t.rect.x + t.rect.w < p.x + p.w &&
                    t.rect.y + t.rect.h < p.y + p.h);
    }
    EXPECT_EQ(topLevel, 198 * 98) << "the root's contents fill it inside the frame";
    EXPECT_LT(tiles.size(), 200u) << "the chain stops where the frames meet";
    EXPECT_EQ(tileAt(tiles, 0, 0), 0);
    EXPECT_EQ(tileAt(tiles, 500, 5), -1);
    const int inner = tileAt(tiles, 100, 50);
    ASSERT_GT(inner, 0);
    EXPECT_GT(tiles[size_t(inner)].depth, 0);
}

TEST(SizeMap, FolderShares) {
    EXPECT_EQ(shareThousandths(1, 3), 333);
    EXPECT_EQ(shareThousandths(2, 3), 667);
    EXPECT_EQ(shareThousandths(5, 0), 0);
    EXPECT_EQ(shareThousandths(~0ull, ~0ull), 1000);
}

} // namespace
} // namespace zt
