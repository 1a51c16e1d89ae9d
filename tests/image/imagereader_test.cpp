#include "image/imagereader.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>

namespace zt {
namespace {

namespace fs = std::filesystem;

void makeTree(const fs::path& t) {
    fs::create_directories(t / "sub/deeper");
    test::writeFile(t / "a.txt", "abc");
    test::writeFile(t / "sub/日本語.txt", "nihongo");
    test::writeFile(t / "sub/deeper/z.bin", std::string(5000, 'z'));
}

// Every entry of an image, by path: is a directory, size.
std::map<std::string, std::pair<bool, uint64_t>> entriesOf(ImageReader& r) {
    std::map<std::string, std::pair<bool, uint64_t>> out;
    ImageEntry e;
    while (r.next(e))
        out[e.path] = {e.isDirectory, e.size};
    return out;
}

TEST(ImageReader, TellsEachFileSystemAndReadsItsEntries) {
    if (!test::haveTool("xorriso") || !test::haveTool("genisoimage")) GTEST_SKIP();
    test::TempDir tmp;
    makeTree(tmp / "tree");
    const std::map<std::string, std::pair<bool, uint64_t>> expected{
        {"a.txt", {false, 3}},
        {"sub", {true, 0}},
        {"sub/deeper", {true, 0}},
        {"sub/deeper/z.bin", {false, 5000}},
        {"sub/日本語.txt", {false, 7}},
    };
    const struct {
        test::ImageKind kind;
        const char* fileSystem;
    } cases[] = {
        {test::ImageKind::IsoRockRidgeJoliet, "ISO 9660 + Joliet + Rock Ridge"},
        {test::ImageKind::IsoJoliet, "ISO 9660 + Joliet"},
        {test::ImageKind::HybridUdf, "UDF 1.02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileSystem);
        const fs::path image = tmp / "x.iso";
        ASSERT_TRUE(test::makeImage(c.kind, tmp / "tree", image, "DISC_1"));
        OpenedImage opened = openImage(image);
        ASSERT_EQ(opened.status, ImageOpenStatus::Opened);
        EXPECT_EQ(opened.reader->volume().fileSystem, c.fileSystem);
        EXPECT_EQ(opened.reader->volume().label, "DISC_1");
        EXPECT_EQ(opened.reader->volume().imageSize, fs::file_size(image));
        EXPECT_FALSE(opened.reader->volume().created.isZero());
        EXPECT_EQ(entriesOf(*opened.reader), expected);
        EXPECT_FALSE(opened.reader->damaged());
    }
}

TEST(ImageReader, EmptyUdfRevisionsOpen) {
    if (!test::haveTool("mkudffs")) GTEST_SKIP();
    test::TempDir tmp;
    for (const char* rev : {"0x0102", "0x0201"}) {
        SCOPED_TRACE(rev);
        ASSERT_TRUE(test::makeEmptyUdf(tmp / "u.udf", rev, "ULABEL"));
        OpenedImage opened = openImage(tmp / "u.udf");
        ASSERT_EQ(opened.status, ImageOpenStatus::Opened);
        EXPECT_EQ(opened.reader->volume().fileSystem,
                  std::string("UDF ") + (rev == std::string("0x0102") ? "1.02" : "2.01"));
        EXPECT_EQ(opened.reader->volume().label, "ULABEL");
        EXPECT_TRUE(entriesOf(*opened.reader).empty());
    }
}

// Damaged and hostile images: each is refused or gives what could be read,
// never more entries than its size could hold, and ends.
TEST(ImageReader, HostileImagesEndAndStayBounded) {
    if (!test::haveTool("xorriso") || !test::haveTool("genisoimage")) GTEST_SKIP();
    test::TempDir tmp;
    fs::create_directories(tmp / "tree");
    for (int i = 0; i < 300; ++i)
        test::writeFile(tmp / "tree" / ("f" + std::to_string(i)), std::string(100, 'x'));
    ASSERT_TRUE(test::makeImage(test::ImageKind::IsoRockRidgeJoliet, tmp / "tree", tmp / "rr.iso", "R"));
    ASSERT_TRUE(test::makeImage(test::ImageKind::HybridUdf, tmp / "tree", tmp / "hy.iso", "H"));
    const std::string rr = test::readFile(tmp / "rr.iso");
    const std::string hy = test::readFile(tmp / "hy.iso");
    // The image with count bytes from `from` overwritten by fill.
    const auto overwritten = [](std::string bytes, size_t from, size_t count, char fill) {
        std::fill_n(bytes.begin() + long(from), std::min(count, bytes.size() - from), fill);
        return bytes;
    };
    // What each gives: nullopt refused, else the entries and whether the
    // image was found damaged (-1: any number, either way).
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::pair<int, bool>> gives;
    };
    const Case cases[] = {
        {"whole", rr, std::pair{300, false}},
        {"empty", "", std::nullopt},
        {"not an image", std::string(100000, 'q'), std::nullopt},
        {"truncated in the file data", rr.substr(0, rr.size() / 2), std::pair{-1, true}},
        {"truncated in the descriptors", rr.substr(0, 16 * 2048 + 100), std::nullopt},
        {"truncated in the directories", rr.substr(0, 20 * 2048), std::nullopt},
        {"directories overwritten", overwritten(rr, 18 * 2048, 8 * 2048, '\xff'), std::nullopt},
        // The ISO 9660 side of a hybrid still reads when its UDF side does not.
        {"UDF anchor zeroed", overwritten(hy, 256 * 2048, 2048, '\0'), std::pair{300, false}},
        {"UDF half overwritten", overwritten(hy, 0, hy.size() / 2, '\x5a'), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenedImage opened =
            openImage(std::make_shared<RandomAccessFile>(RandomAccessFile::inMemory(c.bytes)));
        ASSERT_EQ(opened.status == ImageOpenStatus::Opened, c.gives.has_value());
        if (!c.gives) continue;
        int count = 0;
        ImageEntry e;
        while (opened.reader->next(e))
            ++count;
        EXPECT_LE(uint64_t(count), imageEntryBudget(c.bytes.size()));
        if (c.gives->first >= 0) {
            EXPECT_EQ(count, c.gives->first);
        }
        EXPECT_EQ(opened.reader->damaged(), c.gives->second);
    }
}

} // namespace
} // namespace zt
