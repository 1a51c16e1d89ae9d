// Lines with their places read from a file piece by piece are those of the
// whole bytes, over-long lines cut alike, from the start or from any line.
#include "platform/piecereader.h"
#include "platform/placedlines.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <random>

namespace zt {
namespace {

using Placed = std::vector<std::pair<std::string, uint64_t>>;

Placed readAll(PlacedLines& lines) {
    Placed out;
    std::string_view line;
    uint64_t at = 0;
    while (lines.next(line, at))
        out.emplace_back(line, at);
    return out;
}

TEST(PlacedLines, PiecesGiveTheLinesAndPlacesOfTheWhole) {
    std::mt19937 rng(11);
    test::TempDir dir;
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        for (int i = int(rng() % 30); i > 0; --i) {
            const size_t length = rng() % 8 == 0 ? kMaxLineBytes - 2 + rng() % 5000 : rng() % 90;
            for (size_t k = 0; k < length; ++k)
                bytes += "ab\x82\xa0\r"[rng() % 5]; // a double-byte character now and then
            bytes += rng() % 3 ? "\r\n" : "\n";
        }
        if (rng() % 2) bytes += "last";
        test::writeFile(dir / "f", bytes);
        PlacedLines whole(bytes);
        const Placed expected = readAll(whole);

        const RandomAccessFile file(dir / "f");
        PlacedLines pieces(file, 64 + rng() % 300);
        ASSERT_EQ(readAll(pieces), expected) << round;
        EXPECT_FALSE(pieces.failed());
        if (expected.empty()) continue;
        const size_t from = rng() % expected.size(); // back to a line by its place
        pieces.seek(expected[from].second);
        const Placed rest = readAll(pieces);
        EXPECT_EQ(rest, Placed(expected.begin() + long(from), expected.end())) << round;
    }
}

} // namespace
} // namespace zt
