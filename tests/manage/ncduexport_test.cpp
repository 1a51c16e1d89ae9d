#include "manage/ncduexport.h"
#include "platform/filetime.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(NcduExport, WritesFoldersAsArraysOfTheirEntries) {
    test::StockBuilder s;
    FolderNode* top = s.root("top");
    FileRecord* f = s.tree.addFile(top, "f");
    f->size = 12;
    f->modified = fileTimeFromUnix(1'000'000'000);
    s.add(top, "empty");
    std::string out;
    ASSERT_TRUE(writeNcduExport(s.tree, {"9", 5}, [&](std::string_view p) {
        out += p;
        return true;
    }));
    EXPECT_EQ(out, "[1,2,{\"progname\":\"zutomelark\",\"progver\":\"9\",\"timestamp\":5},\n"
                   "[{\"name\":\"top\"},\n{\"name\":\"f\",\"asize\":12,\"dsize\":12,"
                   "\"mtime\":1000000000},\n[{\"name\":\"empty\"}]]]\n");
}

// A stock nested far deeper than any stack allows, and a folder of many
// files: written in pieces, every bracket closed, and a refused piece stops it.
TEST(NcduExport, DeepAndWideStocksAreWrittenInPieces) {
    test::StockBuilder s;
    FolderNode* n = s.root("top");
    for (int i = 0; i < 20'000; ++i)
        s.tree.addFile(n, "file" + std::to_string(i));
    for (int i = 0; i < 100'000; ++i)
        n = s.tree.addChild(n, "d");
    size_t pieces = 0, open = 0, close = 0;
    ASSERT_TRUE(writeNcduExport(s.tree, {"1", 0}, [&](std::string_view p) {
        ++pieces;
        for (char c : p) {
            open += c == '[';
            close += c == ']';
        }
        return true;
    }));
    EXPECT_GT(pieces, 10u);
    EXPECT_EQ(open, close);
    EXPECT_EQ(open, 100'002u);
    size_t calls = 0;
    EXPECT_FALSE(writeNcduExport(s.tree, {"1", 0}, [&](std::string_view) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3u);
    EXPECT_FALSE(writeNcduExport(FolderTree{}, {"1", 0}, [](std::string_view) { return true; }));
}

} // namespace
} // namespace zt
