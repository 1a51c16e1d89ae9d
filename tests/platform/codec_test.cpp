#include "platform/codec.h"

#include <gtest/gtest.h>
#include <string>

using namespace zt;

namespace {

std::string utf8(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += char(cp);
    } else if (cp < 0x800) {
        s += char(0xC0 | (cp >> 6));
        s += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += char(0xE0 | (cp >> 12));
        s += char(0x80 | ((cp >> 6) & 0x3F));
        s += char(0x80 | (cp & 0x3F));
    } else {
        s += char(0xF0 | (cp >> 18));
        s += char(0x80 | ((cp >> 12) & 0x3F));
        s += char(0x80 | ((cp >> 6) & 0x3F));
        s += char(0x80 | (cp & 0x3F));
    }
    return s;
}

} // namespace

TEST(Codec, WritesTheBytesWindowsWrites) {
    EXPECT_EQ(cp932::encode("Readme 1.txt"), "Readme 1.txt");
    // Trail bytes that are ASCII '\' and '|' must not be mistaken for them.
    EXPECT_EQ(cp932::encode("表"), "\x95\x5C");
    EXPECT_EQ(cp932::encode("ポ"), "\x83\x7C");
    EXPECT_EQ(cp932::encode("日本語フォルダ"),
              "\x93\xFA\x96\x7B\x8C\xEA\x83\x74\x83\x48\x83\x8B\x83\x5F");
    EXPECT_EQ(cp932::encode("ｱｲｳﾞ"), "\xB1\xB2\xB3\xDE");
    // Characters held more than once: the lowest sequence, but the IBM rows
    // (FA-FC) win over the NEC-selected rows (ED, EE).
    EXPECT_EQ(cp932::encode("髙"), "\xFB\xFC");
    EXPECT_EQ(cp932::encode("ⅰ"), "\xFA\x40");
    EXPECT_EQ(cp932::encode("￢"), "\x81\xCA");
    EXPECT_EQ(cp932::encode("∵"), "\x81\xE6");
    EXPECT_EQ(cp932::encode("Ⅰ"), "\x87\x54");
    EXPECT_EQ(cp932::encode("～"), "\x81\x60");
}

TEST(Codec, ReadsEverySequenceOfADuplicatedCharacter) {
    EXPECT_EQ(cp932::decode("\xEE\xE0"), "髙");
    EXPECT_EQ(cp932::decode("\xFB\xFC"), "髙");
    EXPECT_EQ(cp932::decode("\xEE\xF9"), "￢");
    EXPECT_EQ(cp932::decode("\xFA\x54"), "￢");
    EXPECT_EQ(cp932::decode("\x87\x9A"), "∵");
}

TEST(Codec, EscapesWhatCodePage932CannotHold) {
    EXPECT_EQ(cp932::encode("a😀b"), "a&#128512;b");
    EXPECT_EQ(cp932::encode("한글"), "&#54620;&#44544;");
    // ICU's own table writes nothing at all for these two.
    EXPECT_EQ(cp932::encode("x\u00ADy"), "x&#173;y");
    EXPECT_EQ(cp932::encode("x\u200By"), "x&#8203;y");
    // One-way look-alikes would read back as something else.
    EXPECT_EQ(cp932::encode("¥"), "&#165;");
    EXPECT_EQ(cp932::encode("〜"), "&#12316;");
    EXPECT_EQ(cp932::encode("\u00A0"), "&#160;");
    EXPECT_EQ(cp932::encode("¬"), "&#172;"); // CP932's sign is the full-width ￢
}

TEST(Codec, EscapesControlCharactersSoNoLineBreakIsWritten) {
    const std::string name = "a\r\nb\tc\x7f" + utf8(0x85) + utf8(0) + "d";
    const std::string bytes = cp932::encode(name);
    EXPECT_EQ(bytes, "a&#13;&#10;b&#9;c&#127;&#133;&#0;d");
    EXPECT_EQ(cp932::decode(bytes), name);
}

TEST(Codec, ProtectsLiteralReferences) {
    EXPECT_EQ(cp932::encode("&#65;"), "&#38;#65;");
    EXPECT_EQ(cp932::decode(cp932::encode("&#65;")), "&#65;");
    EXPECT_EQ(cp932::decode(cp932::encode("&#38;")), "&#38;");
    EXPECT_EQ(cp932::encode("&#99999999999;"), "&#38;#99999999999;");
    // An '&' that does not start a reference is written as it is.
    for (const char* s : {"R&D", "&", "&#", "&#;", "&#x41;", "&#12", "&amp;", "a&&#b"})
        EXPECT_EQ(cp932::encode(s), s) << s;
}

TEST(Codec, RoundTripsNames) {
    for (const std::string name :
         {"", "plain.txt", "表示ポート", "髙橋の写真 (2003)", "ｶﾀｶﾅ ﾃﾞｰﾀ", "Ⅰ〜Ⅻ №１ ∵",
          "😀 emoji 🎉", "한국어", "soft\u00ADhyphen", "zero\u200Bwidth", "&#65;&#38;&", "tab\there",
          "Ελληνικά ЁЖ", "\u00A5100", "\U0010FFFF"}) {
        EXPECT_EQ(cp932::decode(cp932::encode(name)), name) << name;
    }
}

TEST(Codec, EveryBmpCharacterSurvivesTheRoundTrip) {
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string s = utf8(cp);
        const std::string bytes = cp932::encode(s);
        ASSERT_EQ(cp932::decode(bytes), s) << "U+" << std::hex << uint32_t(cp);
        ASSERT_TRUE(cp932::isValid(bytes));
    }
}

TEST(Codec, InvalidUtf8IsWrittenAsReplacementCharacter) {
    EXPECT_EQ(cp932::encode("a\xFF"
                            "b"),
              "a&#65533;b");
    EXPECT_EQ(cp932::encode("\xE3\x81"), "&#65533;");                     // cut short
    EXPECT_EQ(cp932::encode("\xC0\xAF"), "&#65533;&#65533;");             // overlong
    EXPECT_EQ(cp932::encode("\xED\xA0\x80"), "&#65533;&#65533;&#65533;"); // surrogate
    EXPECT_EQ(cp932::encode("\xE3\x81"
                            "A"),
              "&#65533;A");
}

TEST(Codec, InvalidBytesReadAsReplacementCharacter) {
    const std::string fffd = "\uFFFD";
    EXPECT_EQ(cp932::decode("\x80"), fffd);
    EXPECT_EQ(cp932::decode("\xA0\xFD\xFE\xFF"), fffd + fffd + fffd + fffd);
    EXPECT_EQ(cp932::decode("a\x81"), "a" + fffd); // lead byte at the end
    // A lead byte followed by a non-trail byte loses only itself.
    EXPECT_EQ(cp932::decode("\x81 x"), fffd + " x");
    EXPECT_EQ(cp932::decode("\x81&#65;"), fffd + "A");
    // A well-formed but unassigned pair is one character.
    EXPECT_EQ(cp932::decode("\x85\x40z"), fffd + "z");
    EXPECT_FALSE(cp932::isValid("\x85\x40"));
    EXPECT_FALSE(cp932::isValid("\x81"));
    EXPECT_FALSE(cp932::isValid("\x80"));
    EXPECT_TRUE(cp932::isValid("\x95\x5C\xB1 &#1;"));
}

TEST(Codec, RawNameBytesKeepTheirOwnReference) {
    const std::string held = "a\xED\xB3\xBF\xED\xB2\x80"; // raw bytes 0xFF and 0x80
    EXPECT_EQ(cp932::encode(held), "a&#56575;&#56448;");
    EXPECT_EQ(cp932::decode("a&#56575;&#56448;"), held);
    EXPECT_EQ(cp932::decode("&#56447;&#56576;"), "&#56447;&#56576;"); // other surrogates: text
}

TEST(Codec, SingleBytesAreAsciiAndHalfWidthKatakana) {
    // ICU swaps 0x1A, 0x1C and 0x7F; the files never did.
    EXPECT_EQ(cp932::decode("\x1A\x1C\x7F\\~"), "\x1A\x1C\x7F\\~");
    EXPECT_EQ(cp932::decode("\xA1\xDF"), "\uFF61\uFF9F");
}

TEST(Codec, ResolvesOnlyValidReferences) {
    EXPECT_EQ(cp932::decode("&#65;&#12354;&#128512;"), "Aあ😀");
    EXPECT_EQ(cp932::decode("&#1114111;"), "\U0010FFFF");
    EXPECT_EQ(cp932::decode("&#0065;"), "A");
    for (const char* s : {"&#1114112;", "&#55296;", "&#00000065;", "&#65", "&#;", "&#x41;",
                          "& #65;", "&#-1;", "&#99999999999999999999;"})
        EXPECT_EQ(cp932::decode(s), s) << s;
    EXPECT_EQ(cp932::decodePlain("&#65;\x95\x5C"), "&#65;表");
}

TEST(Codec, AppendKeepsWhatIsAlreadyThere) {
    std::string out = "x";
    cp932::encodeAppend("表", out);
    cp932::decodeAppend("\x83\x7C", out);
    EXPECT_EQ(out, "x\x95\x5Cポ");
}
