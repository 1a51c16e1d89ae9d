#include "platform/codec.h"
#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

// A settings file as written by hand: titles and values given as UTF-8 lines.
std::string fileOf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto l : lines) {
        out += cp932::encode(l);
        out += "\r\n";
    }
    return out;
}

const std::string kSample = fileOf({
    "/////バージョン情報/////",
    "1300",
    "/////メインFormの大きさ・位置/////",
    "800",
    "600",
    "-20",
    "30",
    "/////Panelの大きさ/////",
    "150",
    "120",
    "250",
    "/////CDドライブの有効・無効/////",
    "0",
    "/////ハードディスクの有効・無効/////",
    "5",
    "/////リムーバブルディスクの有効・無効/////",
    "0",
    "/////検索ダイアログの表示/////",
    "1",
    "/////ドライブ読み出し時のパス表示/////",
    "0",
    "/////アイコンを種別で変える/////",
    "0",
    "/////アイコン整列種類/////",
    "2",
});

TEST(Settings, ReadsEveryValueByPosition) {
    Settings s;
    EXPECT_TRUE(parseSettings(kSample, s));
    EXPECT_EQ(s.version, 1300);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.top, -20);
    EXPECT_EQ(s.left, 30);
    EXPECT_EQ(s.leftColumnWidth, 150);
    EXPECT_EQ(s.stockListHeight, 120);
    EXPECT_EQ(s.folderTreeWidth, 250);
    EXPECT_FALSE(s.cdDrives);
    EXPECT_TRUE(s.hardDisks); // 5 counts as on
    EXPECT_FALSE(s.removableDisks);
    EXPECT_TRUE(s.searchDialogShown);
    EXPECT_FALSE(s.showPathWhileReading);
    EXPECT_FALSE(s.iconsByFileType);
    EXPECT_EQ(s.iconArrangement, 2);
}

TEST(Settings, SavesTheFixedLayoutWithVersion1200AndNormalisedValues) {
    test::TempDir dir;
    test::writeFile(dir / "Setting.dat", kSample);
    Settings s;
    ASSERT_TRUE(loadSettingsFile(dir.path(), s));
    ASSERT_TRUE(saveSettingsFile(dir.path(), s));
    EXPECT_EQ(s.version, 1200);

    // Same text as read, except the version and the flag that held 5.
    std::string expected = kSample;
    expected.replace(expected.find("1300"), 4, "1200");
    expected.replace(expected.find("\r\n5\r\n"), 5, "\r\n1\r\n");
    EXPECT_EQ(test::readFile(dir / "Setting.dat"), expected);

    Settings again;
    ASSERT_TRUE(loadSettingsFile(dir.path(), again));
    EXPECT_EQ(again, s);
}

TEST(Settings, DefaultsRoundTripInTwentyFiveLines) {
    Settings s;
    const std::string bytes = serializeSettings(s);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 25);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 25);
    Settings read;
    read.width = 1; // proves the values come from the file
    EXPECT_TRUE(parseSettings(bytes, read));
    EXPECT_EQ(read, s);
}

TEST(Settings, ArrangementKeepsTheLowByteSigned) {
    for (auto [text, expected] : {std::pair{"-1", -1}, {"255", -1}, {"258", 2}, {"127", 127}}) {
        std::string bytes = kSample;
        bytes.replace(bytes.rfind("2\r\n"), 1, text);
        Settings s;
        EXPECT_TRUE(parseSettings(bytes, s));
        EXPECT_EQ(s.iconArrangement, expected) << text;
        EXPECT_NE(serializeSettings(s).find("\r\n" + std::to_string(expected) + "\r\n"),
                  std::string::npos);
    }
}

TEST(Settings, BlankLinesAndBlanksBetweenValuesDoNotMatter) {
    std::string spaced;
    for (char c : kSample) {
        spaced += c;
        if (c == '\n') spaced += "\r\n  \t\r\n";
    }
    Settings a, b;
    EXPECT_TRUE(parseSettings(kSample, a));
    EXPECT_TRUE(parseSettings(spaced, b));
    EXPECT_EQ(a, b);

    // Bare LF line ends read the same too.
    std::string lf;
    for (char c : kSample)
        if (c != '\r') lf += c;
    Settings c;
    EXPECT_TRUE(parseSettings(lf, c));
    EXPECT_EQ(a, c);
}

TEST(Settings, ATitleWithABlankShiftsTheValues) {
    // The second half of the title stands where the bounds should be: no number
    // there, so the four bounds keep their defaults, that half is taken as the
    // next title, and the bounds land in the panel sizes.
    std::string bytes = kSample;
    const std::string title = cp932::encode("/////メインFormの大きさ・位置/////");
    bytes.replace(bytes.find(title), title.size(),
                  cp932::encode("/////メインForm の大きさ・位置/////"));
    Settings s;
    parseSettings(bytes, s);
    EXPECT_EQ(s.width, Settings{}.width);
    EXPECT_EQ(s.left, Settings{}.left);
    EXPECT_EQ(s.leftColumnWidth, 800);
    EXPECT_EQ(s.stockListHeight, 600);
    EXPECT_EQ(s.folderTreeWidth, -20);
}

TEST(Settings, MissingOrShortFileKeepsDefaultsForWhatWasNotRead) {
    test::TempDir dir;
    Settings s;
    EXPECT_FALSE(loadSettingsFile(dir.path(), s));
    EXPECT_EQ(s, Settings{});

    // Cut after the panel sizes: those are read, the options keep their defaults.
    const std::string cut = kSample.substr(0, kSample.find(cp932::encode("/////CDドライブ")));
    test::writeFile(dir / "Setting.dat", cut);
    Settings t;
    EXPECT_FALSE(loadSettingsFile(dir.path(), t));
    EXPECT_EQ(t.width, 800);
    EXPECT_EQ(t.folderTreeWidth, 250);
    EXPECT_TRUE(t.cdDrives);
    EXPECT_TRUE(t.showPathWhileReading);
    EXPECT_FALSE(t.searchDialogShown);
    EXPECT_EQ(t.iconArrangement, 0);

    // Cut in the middle of a number: the digits present are the value.
    Settings u;
    EXPECT_FALSE(parseSettings(kSample.substr(0, kSample.find("800") + 2), u));
    EXPECT_EQ(u.width, 80);
    EXPECT_EQ(u.height, Settings{}.height);
}

TEST(Settings, OutOfRangeNumbersWrapLikeTheCLibrary) {
    std::string bytes = kSample;
    bytes.replace(bytes.find("800"), 3, "4294967297"); // 2^32 + 1
    bytes.replace(bytes.find("600"), 3, "99999999999999999999999");
    Settings s;
    EXPECT_TRUE(parseSettings(bytes, s));
    EXPECT_EQ(s.width, 1);
    EXPECT_EQ(s.height, -1); // saturated at the 64-bit maximum, low 32 bits
}

TEST(Settings, SaveReportsAFolderItCannotWriteInto) {
    test::TempDir dir;
    Settings s;
    EXPECT_FALSE(saveSettingsFile(dir / "missing-folder", s));
}

} // namespace
} // namespace zt
