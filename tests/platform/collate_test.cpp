#include "platform/collate.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using namespace zt;

TEST(Collate, LowerCaseSortsBeforeUpperCase) {
    const std::vector<std::string> order = {"a", "A", "b", "B"};
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_LT(compareLocale(order[i], order[i + 1]), 0) << order[i];
        EXPECT_GT(compareLocale(order[i + 1], order[i]), 0) << order[i];
    }
    EXPECT_EQ(compareLocale("abc", "abc"), 0);
}

TEST(Collate, DifferentKanaAndWidthsAreNeverEqual) {
    EXPECT_NE(compareLocale("あ", "ア"), 0);
    EXPECT_NE(compareLocale("ア", "ｱ"), 0);
    EXPECT_NE(compareLocale("あ", "ｱ"), 0);
    EXPECT_NE(compareLocale("ABC", "ＡＢＣ"), 0);
    // Canonically equivalent spellings and different ill-formed bytes are not the same name either.
    EXPECT_NE(compareLocale("が", "か\u3099"), 0);
    EXPECT_NE(compareLocale("\xFE", "\xFF"), 0);
}

TEST(Collate, NoCaseFoldsOnlyCapitals) {
    EXPECT_EQ(compareLocaleNoCase("ABC", "abc"), 0);
    EXPECT_EQ(compareLocaleNoCase("ＡＢＣ", "ａｂｃ"), 0);
    EXPECT_EQ(compareLocaleNoCase("ΑΩ Ё", "αω ё"), 0);
    EXPECT_NE(compareLocaleNoCase("ABC", "ＡＢＣ"), 0);
    EXPECT_NE(compareLocaleNoCase("あ", "ア"), 0);
    EXPECT_LT(compareLocaleNoCase("apple", "BANANA"), 0);
}

TEST(Collate, SortKeysAgreeWithCompare) {
    std::vector<std::string> names = {"b",        "B",        "a",      "A",    "ア",   "あ",
                                      "ｱ",        "ABC",      "ＡＢＣ", "表",   "漢字", "10",
                                      "9",        "",         "a b",    "ab",   "Ab",   "ａ",
                                      "がっこう", "かっこう", "\xFF",   "\xFE", "が",   "か\u3099"};
    for (const auto& x : names)
        for (const auto& y : names) {
            const int c = compareLocale(x, y);
            const int k = localeSortKey(x).compare(localeSortKey(y));
            EXPECT_EQ(c < 0, k < 0) << x << " / " << y;
            EXPECT_EQ(c == 0, k == 0) << x << " / " << y;
        }
}

TEST(Collate, UsableFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&bad, t] {
            for (int i = 0; i < 2000; ++i)
                if (compareLocale("a", "A") >= 0 || compareLocale("あ", "ア") == 0)
                    ++bad[size_t(t)];
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(std::count(bad.begin(), bad.end(), 0), 4);
}

TEST(LowerAnsi, FoldsTheCapitalsOfCodePage932) {
    EXPECT_EQ(lowerAnsi("Hello, WORLD 123"), "hello, world 123");
    EXPECT_EQ(lowerAnsi("ＡＢＣＺ"), "ａｂｃｚ");
    EXPECT_EQ(lowerAnsi("ΑΒΠΡΣΤΩ"), "αβπρστω");
    EXPECT_EQ(lowerAnsi("АБЯЁ"), "абяё");
    EXPECT_EQ(lowerAnsi("Ⅰ"), "Ⅰ"); // no lower case in CP932's sense
}

TEST(LowerAnsi, LeavesEverythingElseAlone) {
    // Ѐ (U+0400) is not in CP932; U+03A2 is the gap between Ρ and Σ.
    for (const std::string s : {"アｱあ表", "ａｂｃ αω яё", "ÀÉ", "\u03A2", "\u0400"})
        EXPECT_EQ(lowerAnsi(s), s) << s;
    // Ill-formed input stays byte-identical, and bytes of other characters are never touched.
    EXPECT_EQ(lowerAnsi("\xCE"), "\xCE");
    EXPECT_EQ(lowerAnsi("\xD0\x41"), "\xD0"
                                     "a");
    EXPECT_EQ(lowerAnsi("\xEF\xBC"), "\xEF\xBC");
    EXPECT_EQ(lowerAnsi("\x91\xA1\xFF"), "\x91\xA1\xFF");
    std::string s = "ＱＵＩＣＫ Fox";
    lowerAnsiInPlace(s);
    EXPECT_EQ(s, "ｑｕｉｃｋ fox");
}
