#include "catalogue/stockfile.h"
#include "platform/collate.h"
#include "search/engine.h"
#include "search/patterns.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(Wildcard, MatchesWholeNamesCharacterByCharacter) {
    struct Case {
        const char *name, *pattern;
        bool match;
    };
    const Case cases[] = {
        {"song.mp3", "*.mp3", true},
        {"song.mp3.bak", "*.mp3", false},
        {"a.mp3", "?.mp3", true},
        {"ab.mp3", "?.mp3", false},
        {"写真.jpg", "??.jpg", true}, // a double-byte character is one
        {"写真.jpg", "?.jpg", false},
        {"ｱｲｳ", "?ｲ?", true}, // half-width kana too
        {"夏の写真2024", "*写真*", true},
        {"写", "*写*", true},
        {"abc", "a*b*c", true},
        {"acb", "a*b*c", false},
        {"aaab", "*ab", true},
        {"", "*", true},
        {"", "?", false},
        {"x", "", false},
        {"*lit", "*lit", true},
        {"a.b", "a?b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchWildcard(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
    // Case-blind matching lowers both sides by the search's rule, full-width letters too.
    EXPECT_TRUE(matchWildcard(lowerAnsi("ＲＥＡＤＭＥ.TXT"), lowerAnsi("ｒｅａｄ*.txt")));
    EXPECT_FALSE(matchWildcard("ＲＥＡＤＭＥ.TXT", "ｒｅａｄ*.txt"));
    EXPECT_EQ(wildcardLiterals("*ab?cde*f"), (std::vector<std::string>{"ab", "cde", "f"}));
}

TEST(Regex, FindsAnywhereAndReportsBadPatterns) {
    RegexPattern digits("^IMG_\\d{4}\\.JPG$", true);
    ASSERT_TRUE(digits.valid());
    EXPECT_TRUE(digits.find("IMG_1234.JPG"));
    EXPECT_FALSE(digits.find("img_1234.jpg"));
    RegexPattern blind("^img_\\d{4}", false);
    EXPECT_TRUE(blind.find("IMG_1234.JPG"));
    RegexPattern japanese("写.", true);
    EXPECT_TRUE(japanese.find("夏の写真"));
}

// A pattern that does not compile says what is wrong in words, never ICU's code name.
TEST(RegexPattern, ErrorsInWords) {
    const struct {
        const char* pattern;
        const char* words;
    } cases[] = {
        {"(unclosed", "括弧 ( ) の対応がとれていません"},
        {"[abc", "[ に対応する ] がありません"},
        {"a{3,1}", "回数 {最小,最大} の書き方が正しくありません"},
        {"[z-a]", "文字の範囲 [x-y] の x が y より後ろです"},
    };
    for (const auto& c : cases) {
        RegexPattern bad(c.pattern, true);
        EXPECT_FALSE(bad.valid()) << c.pattern;
        EXPECT_TRUE(bad.error().starts_with(c.words)) << c.pattern << ": " << bad.error();
        EXPECT_EQ(bad.error().find("U_"), std::string::npos) << bad.error();
        EXPECT_NE(bad.error().find("文字目"), std::string::npos) << bad.error();
    }
}

// An expression that backtracks without end gives up on the name (it does
// not match) and the search counts it; the next name is tried afresh.
TEST(Regex, ANameThatTakesTooLongCountsAsNotMatchingAndIsCounted) {
    const std::string runaway = std::string(28, 'a') + "!";
    RegexPattern nested("^(a+)+$", true);
    EXPECT_FALSE(nested.find(runaway));
    EXPECT_TRUE(nested.find("aaaa"));
    EXPECT_EQ(nested.takeTimedOut(), 1);
    EXPECT_EQ(nested.takeTimedOut(), 0);

    test::StockBuilder s;
    s.add(s.root("S", {runaway, "aaa"}), runaway, {runaway});
    SearchRequest r;
    r.text = "^(a+)+$";
    r.mode = MatchMode::Regex;
    SearchOutcome out;
    searchStockBytes(serializeStock(s.tree), "S", r, {}, out);
    EXPECT_EQ(out.resultCount, 1);
    EXPECT_EQ(out.namesTimedOut, 3);
    EXPECT_EQ(messageNamesTimedOut(3), "時間がかかりすぎるため 3 件の名前を調べませんでした");
}

} // namespace
} // namespace zt
