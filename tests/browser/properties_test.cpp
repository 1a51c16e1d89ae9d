#include "browser/properties.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(Properties, SizeTextGroupsByThrees) {
    EXPECT_EQ(sizeText(0), "0 バイト");
    EXPECT_EQ(sizeText(999), "999 バイト");
    EXPECT_EQ(sizeText(1000), "1,000 バイト");
    EXPECT_EQ(sizeText(123456), "123,456 バイト");
    EXPECT_EQ(sizeText(1234567), "1,234,567 バイト");
    EXPECT_EQ(sizeText(uint64_t(1) << 32), "4,294,967,296 バイト");
    // Never negative, even past the signed range.
    EXPECT_EQ(sizeText(uint64_t(1) << 63), "9,223,372,036,854,775,808 バイト");
    EXPECT_EQ(sizeText(UINT64_MAX), "18,446,744,073,709,551,615 バイト");
}

TEST(Properties, DateTextIsLocalTimeWithoutLeadingZeros) {
    test::ScopedTimeZone tz("JST-9");
    // 2001-04-07 00:05:03 UTC = 09:05:03 in Japan.
    EXPECT_EQ(dateText(fileTimeFromUnix(986601903)), "2001年4月7日 9:5:3");
    EXPECT_EQ(dateText(fileTimeFromUnix(1703980799)), "2023年12月31日 8:59:59");
}

TEST(Properties, UnknownTimes) {
    test::ScopedTimeZone tz("UTC");
    PropertyRecord file;
    file.name = "a.txt";
    file.created = fileTimeFromUnix(0);
    file.modified = fileTimeFromUnix(60);
    file.size = 5;
    auto t = textsOf(file);
    EXPECT_EQ(t.created, "1970年1月1日 0:0:0");
    EXPECT_EQ(t.modified, "1970年1月1日 0:1:0");
    EXPECT_EQ(t.accessed, "(不明)"); // zero access time only
    EXPECT_EQ(t.size, "5 バイト");

    // A folder never shows modified or accessed; the root has no times at all.
    PropertyRecord folder = file;
    folder.isFolder = true;
    folder.accessed = fileTimeFromUnix(120);
    t = textsOf(folder);
    EXPECT_EQ(t.created, "1970年1月1日 0:0:0");
    EXPECT_EQ(t.modified, "(不明)");
    EXPECT_EQ(t.accessed, "(不明)");
    t = textsOf(PropertyRecord{"root", true, {}, {}, {}, 0});
    EXPECT_EQ(t.created, "(不明)");
    EXPECT_EQ(t.size, "0 バイト");
}

struct Stock : test::StockBuilder {
    FolderNode* root = StockBuilder::root("CD");

    FolderNode* folder(FolderNode* parent, const char* name) { return add(parent, name); }
    FileRecord* file(FolderNode* in, const char* name, uint64_t size) {
        FileRecord* f = tree.addFile(in, name);
        f->size = size;
        return f;
    }
};

TEST(Properties, FilesAndFolders) {
    Stock s;
    FolderNode* empty = s.folder(s.root, "empty");
    FolderNode* outer = s.folder(s.root, "outer");
    FolderNode* inner = s.folder(outer, "inner");
    FolderNode* deep = s.folder(inner, "deep");
    s.file(inner, "a.bin", uint64_t(1) << 32);
    s.file(deep, "b.bin", 1000);
    FileRecord* f = s.file(s.root, "big.iso", 4'700'000'000ull);
    f->created = fileTimeFromUnix(100);
    outer->created = fileTimeFromUnix(200);

    auto r = propertiesOfItem(*s.root, "big.iso");
    EXPECT_FALSE(r.isFolder);
    EXPECT_EQ(r.size, 4'700'000'000ull);
    EXPECT_EQ(r.created, fileTimeFromUnix(100));

    r = propertiesOfItem(*s.root, "empty");
    EXPECT_TRUE(r.isFolder);
    EXPECT_EQ(textsOf(r).size, "0 バイト");

    // Files only in subfolders, at any depth.
    r = propertiesOfItem(*s.root, "outer");
    EXPECT_TRUE(r.isFolder);
    EXPECT_EQ(r.size, (uint64_t(1) << 32) + 1000);
    EXPECT_EQ(r.created, fileTimeFromUnix(200));
    EXPECT_EQ(propertiesOfFolder(*s.root).size, (uint64_t(1) << 32) + 1000 + 4'700'000'000ull);
    EXPECT_EQ(propertiesOfFolder(*empty).name, "empty");

    // Exact bytes only; no match at all shows nothing known.
    r = propertiesOfItem(*s.root, "OUTER");
    EXPECT_FALSE(r.isFolder);
    EXPECT_EQ(r.name, "OUTER");
    EXPECT_EQ(r.size, 0u);
    EXPECT_TRUE(r.created.isZero());
}

TEST(Properties, AFileOfTheSameNameWinsOverAFolder) {
    Stock s;
    FolderNode* sub = s.folder(s.root, "same");
    s.file(sub, "x", 10);
    s.file(s.root, "same", 3);
    const auto r = propertiesOfItem(*s.root, "same");
    EXPECT_FALSE(r.isFolder);
    EXPECT_EQ(r.size, 3u);
}

} // namespace
} // namespace zt
