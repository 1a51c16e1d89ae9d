#include "browser/contents.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

namespace zt {
namespace {

// A folder "top" with subfolders and files, owning everything.
struct Folder : test::StockBuilder {
    FolderNode* top = root("top");

    Folder(std::initializer_list<const char*> folders, std::initializer_list<const char*> files) {
        for (const char* f : folders)
            add(top, f);
        for (const char* f : files)
            tree.addFile(top, f);
    }
};

std::vector<std::string> captions(const std::vector<ContentsItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.emplace_back(i.caption);
    return out;
}

// Insertion sort with the list's own comparison: what a control that sorts
// with it shows.
std::vector<std::string> sortedByComparison(std::vector<ContentsItem> items,
                                            Arrangement arrangement) {
    for (size_t i = 1; i < items.size(); ++i)
        for (size_t j = i; j > 0 && compareContents(items[j - 1], items[j], arrangement) > 0; --j)
            std::swap(items[j - 1], items[j]);
    return captions(items);
}

TEST(Contents, KindIsWhatFollowsTheLastDot) {
    EXPECT_EQ(kindOf("a.b.txt"), "txt");
    EXPECT_EQ(kindOf(".profile"), "profile");
    EXPECT_EQ(kindOf("Makefile"), "Makefile");
    EXPECT_EQ(kindOf("name."), "");
    EXPECT_EQ(kindOf("写真.ＪＰＧ"), "ＪＰＧ");
    EXPECT_EQ(kindOf(""), "");
}

TEST(Contents, ListsChildrenThenFilesWithTheirImages) {
    Folder f({"b", "A"}, {"z.txt", "m"});
    const auto items = listContents(*f.top, [](std::string_view n) { return n == "m" ? 7 : 9; });
    ASSERT_EQ(captions(items), (std::vector<std::string>{"b", "A", "z.txt", "m"}));
    EXPECT_TRUE(items[0].isFolder());
    EXPECT_EQ(items[0].folder, f.top->children[0]);
    EXPECT_EQ(items[2].imageIndex, 9);
    EXPECT_EQ(items[3].imageIndex, 7);
    EXPECT_FALSE(items[3].isFolder());
    EXPECT_EQ(items[3].file->name(), "m");
    // Without a type function every file gets the generic image.
    EXPECT_EQ(listContents(*f.top, nullptr)[2].imageIndex, 2);
}

TEST(Contents, SortsByNameAndByKind) {
    Folder f({"b", "A"}, {"z.txt", "a.TXT", "m"});
    auto items = listContents(*f.top, [](std::string_view) { return 2; });

    const std::vector<std::string> byName{"A", "b", "a.TXT", "m", "z.txt"};
    const std::vector<std::string> byKind{"A", "b", "m", "a.TXT", "z.txt"};
    EXPECT_EQ(sortedByComparison(items, Arrangement::ByName), byName);
    EXPECT_EQ(sortedByComparison(items, Arrangement::ByKind), byKind);

    sortContents(items, Arrangement::ByName);
    EXPECT_EQ(captions(items), byName);
    sortContents(items, Arrangement::ByKind);
    EXPECT_EQ(captions(items), byKind);
    sortContents(items, Arrangement(5)); // an arrangement read from a damaged settings file
    EXPECT_EQ(captions(items), byName);
}

TEST(Contents, FoldersNamedLikeFilesStayFirstAndSortByTheirKind) {
    Folder f({"x.zip", "Data", "a.txt"}, {"b.doc", "c.aaa"});
    auto items = listContents(*f.top, nullptr);
    sortContents(items, Arrangement::ByKind);
    EXPECT_EQ(captions(items),
              (std::vector<std::string>{"Data", "a.txt", "x.zip", "c.aaa", "b.doc"}));
}

TEST(Contents, ComparisonNeverSaysEqual) {
    Folder f({}, {"Same", "same"});
    const auto items = listContents(*f.top, nullptr);
    EXPECT_EQ(compareContents(items[0], items[1], Arrangement::ByName), -1);
    EXPECT_EQ(compareContents(items[1], items[0], Arrangement::ByName), -1);
    EXPECT_EQ(compareContents(items[0], items[0], Arrangement::ByKind), -1);
}

TEST(Contents, FastSortAgreesWithTheComparison) {
    // Mixed Japanese and ASCII names, both cases, with and without kinds.
    const char* parts[] = {"a", "B", "あ", "ア", "ｱ", "漢",  "Ｚ",
                           "z", "1", "_",  "-",  ".", "txt", "TXT"};
    std::mt19937 rng(5);
    std::vector<std::string> names;
    std::set<std::string> seen;
    while (names.size() < 300) {
        std::string n;
        const int len = 1 + int(rng() % 5);
        for (int i = 0; i < len; ++i)
            n += parts[rng() % std::size(parts)];
        if (seen.insert(n).second) names.push_back(n);
    }
    test::StockBuilder s;
    FolderNode* top = s.root("top");
    for (size_t i = 0; i < names.size(); ++i) {
        if (i % 7 == 0)
            s.add(top, names[i]);
        else
            s.tree.addFile(top, names[i]);
    }
    for (const Arrangement arrangement : {Arrangement::ByName, Arrangement::ByKind}) {
        auto items = listContents(*top, nullptr);
        sortContents(items, arrangement);
        for (size_t i = 1; i < items.size(); ++i)
            ASSERT_EQ(compareContents(items[i - 1], items[i], arrangement), -1)
                << items[i - 1].caption << " / " << items[i].caption;
    }
}

TEST(Contents, KeysKeptWithTheListSortAsAFreshSortDoes) {
    Folder f({"Sub", "a"}, {"b.TXT", "a.txt", "c.jpg", "B.jpg", "Makefile", "z.txt", "写真.jpg"});
    auto items = listContents(*f.top, nullptr);
    ContentsKeys keys(items);
    for (const Arrangement arrangement :
         {Arrangement::ByKind, Arrangement::ByName, Arrangement::ByKind, Arrangement(7)}) {
        keys.sort(items, arrangement);
        auto fresh = listContents(*f.top, nullptr);
        sortContents(fresh, arrangement);
        EXPECT_EQ(captions(items), captions(fresh)) << int(arrangement);
    }
}

TEST(Contents, ListingReportsProgressAndStopsWhenAsked) {
    test::StockBuilder s;
    FolderNode* top = s.root("top");
    for (int i = 0; i < 200; ++i)
        s.tree.addFile(top, "f" + std::to_string(i));
    int last = 0;
    bool stopped = true;
    auto items = listContents(
        *top, nullptr, [&](int n) { return (last = n), false; }, &stopped);
    EXPECT_EQ(items.size(), 200u);
    EXPECT_EQ(last, 200);
    EXPECT_FALSE(stopped);
    items = listContents(
        *top, nullptr, [](int) { return true; }, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_LT(items.size(), 200u);
}

} // namespace
} // namespace zt
