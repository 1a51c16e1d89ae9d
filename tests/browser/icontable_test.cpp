#include "browser/icontable.h"

#include "platform/datadir.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace zt {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

std::vector<std::string> folderNames(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(IconList, ReadsTheCountThenThatManyTokens) {
    const auto l = parseIconList("3\r\ntxt\r\npdf\r\n  jpg zip\r\n");
    EXPECT_EQ(l.declaredCount, 3);
    EXPECT_EQ(l.extensions, (std::vector<std::string>{"txt", "pdf", "jpg"}));
    // The number may run straight into the first token, as "%d" reads it.
    EXPECT_EQ(parseIconList("2txt pdf").extensions, (std::vector<std::string>{"txt", "pdf"}));
}

TEST(IconList, SurvivesDamagedInput) {
    EXPECT_TRUE(parseIconList("").extensions.empty());
    EXPECT_TRUE(parseIconList("txt pdf").extensions.empty()); // no count
    EXPECT_TRUE(parseIconList("-4 txt").extensions.empty());
    EXPECT_EQ(parseIconList("99999999999999999999 txt").declaredCount, INT_MAX);
    EXPECT_EQ(parseIconList("99999999999999999999 txt").extensions,
              std::vector<std::string>{"txt"});
    EXPECT_EQ(parseIconList("5 a b").extensions, (std::vector<std::string>{"a", "b"}));

    // Tokens longer than 51 bytes, or ones that would take the sample file out
    // of its folder, use up their place but give no entry.
    const std::string longest(51, 'x'), tooLong(52, 'y');
    const auto l = parseIconList("7 " + longest + " " + tooLong + " a/b . .. &#47;etc ok never");
    EXPECT_EQ(l.extensions, (std::vector<std::string>{longest, "ok"}));
}

TEST(IconList, DecodesTheCodePage) {
    // "テキスト" in CP932.
    EXPECT_EQ(parseIconList("1 \x83\x65\x83\x4c\x83\x58\x83\x67").extensions,
              std::vector<std::string>{"テキスト"});
}

struct IconFolder {
    TempDir dir;
    fs::path icon = dir / "Icon";

    IconFolder(std::string_view list, bool withSample = true) {
        fs::create_directories(icon);
        writeFile(icon / "icon.dat", list);
        if (withSample) writeFile(icon / "test.dat", "sample");
    }
};

TEST(IconTable, RunsTheSampleThroughEveryTypeAndBack) {
    IconFolder f("4\r\ntxt\r\nMakefile\r\nTXT\r\npdf\r\n");
    std::vector<std::string> asked;
    IconTable t;
    t.load(f.dir.path(), [&](size_t i, const fs::path& sample) {
        asked.push_back(sample.filename().string());
        EXPECT_TRUE(fs::exists(sample));
        EXPECT_EQ(test::readFile(sample), "sample");
        return 6 + int(i);
    });
    EXPECT_EQ(asked,
              (std::vector<std::string>{"test.txt", "test.Makefile", "test.TXT", "test.pdf"}));
    EXPECT_EQ(t.imageIndexes(), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(folderNames(f.icon), (std::vector<std::string>{"icon.dat", "test.dat"}));
    EXPECT_EQ(test::readFile(f.icon / "test.dat"), "sample");

    // Case-blind, last dot, first equal entry wins.
    EXPECT_EQ(t.imageIndexOf("Readme.TXT"), 6);
    EXPECT_EQ(t.imageIndexOf("notes.txt"), 6);
    EXPECT_EQ(t.imageIndexOf("a.b.PDF"), 9);
    EXPECT_EQ(t.imageIndexOf("Makefile"), 7);
    EXPECT_EQ(t.imageIndexOf("MAKEFILE"), 7);
    EXPECT_EQ(t.imageIndexOf("x.Makefile"), 7);
    EXPECT_EQ(t.imageIndexOf("txt.doc"), 2);
    EXPECT_EQ(t.imageIndexOf("txt"), 6); // no dot: the whole name is the key
    EXPECT_EQ(t.imageIndexOf("trailing."), 2);
}

TEST(IconTable, EmptyListLeavesTheSampleInPlace) {
    IconFolder f("0\r\n");
    int calls = 0;
    IconTable t;
    t.load(f.dir.path(), [&](size_t, const fs::path&) { return ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(t.extensions().empty());
    EXPECT_EQ(t.imageIndexOf("a.txt"), 2);
    EXPECT_EQ(folderNames(f.icon), (std::vector<std::string>{"icon.dat", "test.dat"}));
}

TEST(IconTable, MissingFilesGiveTheGenericImage) {
    {
        TempDir empty;
        IconTable t;
        t.load(empty.path(), [](size_t, const fs::path&) { return 42; });
        EXPECT_TRUE(t.extensions().empty());
        EXPECT_EQ(t.imageIndexOf("a.txt"), 2);
        EXPECT_FALSE(fs::exists(empty / "Icon"));
    }
    {
        IconFolder f("2 txt pdf", /*withSample=*/false);
        int calls = 0;
        IconTable t;
        t.load(f.dir.path(), [&](size_t, const fs::path&) { return ++calls + 5; });
        EXPECT_EQ(calls, 0);
        EXPECT_EQ(t.extensions().size(), 2u);
        EXPECT_EQ(t.imageIndexOf("a.txt"), 2);
        EXPECT_EQ(t.imageIndexOf("a.pdf"), 2);
        EXPECT_EQ(folderNames(f.icon), std::vector<std::string>{"icon.dat"});
    }
}

TEST(IconTable, AUsersFileOfTheSamplesNameIsNeverReplaced) {
    IconFolder f("4 txt jpg pdf gif");
    writeFile(f.icon / "test.txt", "mine");
    writeFile(f.icon / "test.pdf", "also mine");
    std::vector<std::string> asked;
    IconTable t;
    t.load(f.dir.path(), [&](size_t i, const fs::path& sample) {
        asked.push_back(sample.filename().string() + "=" + test::readFile(sample));
        return 6 + int(i);
    });
    // Each entry is asked about the file of its name: the user's where there is one.
    EXPECT_EQ(asked, (std::vector<std::string>{"test.txt=mine", "test.jpg=sample",
                                               "test.pdf=also mine", "test.gif=sample"}));
    EXPECT_EQ(folderNames(f.icon),
              (std::vector<std::string>{"icon.dat", "test.dat", "test.pdf", "test.txt"}));
    EXPECT_EQ(test::readFile(f.icon / "test.txt"), "mine");
    EXPECT_EQ(test::readFile(f.icon / "test.pdf"), "also mine");
    EXPECT_EQ(test::readFile(f.icon / "test.dat"), "sample");
}

TEST(IconTable, NeverRenamesOutsideItsFolder) {
    IconFolder f("4 ../escape /tmp/x .. txt");
    IconTable t;
    t.load(f.dir.path(), [](size_t, const fs::path&) { return 6; });
    EXPECT_EQ(t.extensions(), std::vector<std::string>{"txt"});
    EXPECT_EQ(folderNames(f.dir.path()), std::vector<std::string>{"Icon"});
    EXPECT_EQ(folderNames(f.icon), (std::vector<std::string>{"icon.dat", "test.dat"}));
}

TEST(IconTable, TheShippedListLoads) {
    IconFolder f(templateIconList());
    IconTable t;
    t.load(f.dir.path(), [](size_t i, const fs::path&) { return 6 + int(i); });
    EXPECT_GE(t.extensions().size(), 140u);
    for (size_t i = 0; i < t.extensions().size(); ++i)
        ASSERT_EQ(t.imageIndexes()[i], 6 + int(i));
    EXPECT_GT(t.imageIndexOf("Song.MP3"), 5);
    EXPECT_GT(t.imageIndexOf("main.cpp"), 5);
    EXPECT_EQ(folderNames(f.icon), (std::vector<std::string>{"icon.dat", "test.dat"}));
}

} // namespace
} // namespace zt
