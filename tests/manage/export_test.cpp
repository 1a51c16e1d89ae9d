#include "manage/export.h"
#include "platform/codec.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

// The stock used by every export test:
//   top: t1.txt t2
//   A:   a.tar.gz        A/AA: deep.c     A/AB: (empty)
//   B:   Makefile .hidden
class Export : public ::testing::Test, protected test::StockBuilder {
  protected:
    FolderNode *top = nullptr, *a = nullptr, *aa = nullptr, *ab = nullptr, *b = nullptr;

    void SetUp() override {
        top = root("stock", {"t1.txt", "t2"});
        a = add(top, "A", {"a.tar.gz"});
        aa = add(a, "AA", {"deep.c"});
        ab = add(a, "AB");
        b = add(top, "B", {"Makefile", ".hidden"});
    }

    std::string run(const FolderNode* from, ExportKind kind, ExportRange range,
                    bool strip = false) {
        return fileNameListBytes(tree, from, ExportOptions{kind, range, strip});
    }
};

std::string lines(std::initializer_list<std::string_view> ls) {
    std::string out;
    for (auto l : ls)
        (out += l) += "\r\n";
    return out;
}

TEST_F(Export, EveryKindAndRangeFromASubfolder) {
    using K = ExportKind;
    using R = ExportRange;
    EXPECT_EQ(run(a, K::Files, R::FolderAndBelow), lines({"a.tar.gz", "deep.c"}));
    EXPECT_EQ(run(a, K::Folders, R::FolderAndBelow), lines({"AA", "AB"}));
    EXPECT_EQ(run(a, K::Both, R::FolderAndBelow), lines({"a.tar.gz", "AA", "deep.c", "AB"}));
    EXPECT_EQ(run(a, K::Files, R::FolderOnly), lines({"a.tar.gz"}));
    EXPECT_EQ(run(a, K::Folders, R::FolderOnly), lines({"AA", "AB"}));
    EXPECT_EQ(run(a, K::Both, R::FolderOnly), lines({"a.tar.gz", "AA", "AB"}));
}

TEST_F(Export, WholeStockStartsAtTheTopWhateverIsSelected) {
    using K = ExportKind;
    using R = ExportRange;
    EXPECT_EQ(run(aa, K::Files, R::WholeStock),
              lines({"t1.txt", "t2", "a.tar.gz", "deep.c", "Makefile", ".hidden"}));
    EXPECT_EQ(run(aa, K::Folders, R::WholeStock), lines({"A", "AA", "AB", "B"}));
    EXPECT_EQ(run(b, K::Both, R::WholeStock), lines({"t1.txt", "t2", "A", "a.tar.gz", "AA",
                                                     "deep.c", "AB", "B", "Makefile", ".hidden"}));
}

TEST_F(Export, ExtensionsGoFromFileNamesOnly) {
    add(b, "dir.d");
    EXPECT_EQ(
        run(top, ExportKind::Both, ExportRange::WholeStock, true),
        lines({"t1", "t2", "A", "a.tar", "AA", "deep", "AB", "B", "Makefile", ".hidden", "dir.d"}));
    EXPECT_EQ(stripExtension("a.tar.gz"), "a.tar");
    EXPECT_EQ(stripExtension("Makefile"), "Makefile");
    EXPECT_EQ(stripExtension("trailing."), "trailing");
    EXPECT_EQ(stripExtension(".config.json"), ".config");
}

TEST_F(Export, EmptyFolderGivesNothingAndNamesAreCp932) {
    EXPECT_EQ(run(ab, ExportKind::Both, ExportRange::FolderAndBelow), "");
    add(top, "日本語フォルダ", {"表.txt"});
    EXPECT_EQ(run(top, ExportKind::Both, ExportRange::FolderOnly),
              "t1.txt\r\nt2\r\nA\r\nB\r\n" + cp932::encode("日本語フォルダ") + "\r\n");
}

TEST(ExportDeep, AVeryDeepTreeNeedsNoDeepStack) {
    test::StockBuilder s;
    FolderTree& tree = s.tree;
    FolderNode* n = s.root("s");
    for (int i = 0; i < 200000; ++i)
        n = tree.addChild(n, "d");
    const std::string out = fileNameListBytes(
        tree, tree.root(), {ExportKind::Folders, ExportRange::FolderAndBelow, false});
    EXPECT_EQ(out.size(), 200000u * 3);
}

} // namespace
} // namespace zt
