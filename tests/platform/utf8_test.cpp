#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(Utf8, WellFormedSequencesOnly) {
    const struct {
        std::string_view bytes;
        bool valid;
    } cases[] = {
        {"abc", true},
        {"写真", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},         // overlong "/"
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xE5\x86", false},         // cut short
        {"\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(replaceInvalidUtf8("a\xFF"
                                 "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Utf8, CutsAndDecodesOnCharacterBoundaries) {
    const std::string_view s = "ab写真cd"; // 2 + 3 + 3 + 2 bytes
    EXPECT_EQ(utf8Prefix(s, 4), "ab");
    EXPECT_EQ(utf8Prefix(s, 5), "ab写");
    EXPECT_EQ(utf8Prefix(s, 99), s);
    EXPECT_EQ(utf8Suffix(s, 4), "cd");
    EXPECT_EQ(utf8Suffix(s, 5), "真cd");
    std::u32string decoded;
    for (size_t pos = 0; pos < s.size();)
        decoded += decodeUtf8(s, pos);
    EXPECT_EQ(decoded, U"ab写真cd");
    size_t pos = 0;
    EXPECT_EQ(decodeUtf8("\xFF"
                         "a",
                         pos),
              U'\uFFFD');
    EXPECT_EQ(pos, 1u);
}

// Bytes that no encoding reads are held as raw bytes and given back exactly;
// everything that is text stays as it is.
TEST(Utf8, RawBytesComeBackAsTheNameOnDisk) {
    const std::string_view natives[] = {"bad\xff\xfe.txt", "\x80", "写\xe5\x86", "\xed\xb2\x80",
                                        "plain", ""};
    for (const std::string_view native : natives) {
        const std::string held = keepBytesRaw(native);
        EXPECT_TRUE(isValidUtf8(rawBytesReplaced(held))) << native;
        EXPECT_EQ(nativeBytesOf(held), native) << native;
        EXPECT_EQ(holdsRawBytes(held), !isValidUtf8(native)) << native;
    }
    EXPECT_EQ(keepBytesRaw("a\xff"), "a\xED\xB3\xBF");
    EXPECT_EQ(rawBytesReplaced(keepBytesRaw("a\xff\xfe")), "a\uFFFD\uFFFD");
    EXPECT_EQ(rawByteAt("\xED\xB2\x80", 0), 0x80);
    EXPECT_EQ(rawByteAt("\xED\x9F\xBF", 0), -1); // U+D7FF is a real character
}

TEST(Utf8, TerminalColumnsCountWideCharactersTwice) {
    const struct {
        std::string_view text;
        int columns;
        int cutAt;
        std::string_view cut;
    } cases[] = {
        {"abc", 3, 2, "ab"},
        {"写真abc", 7, 3, "写"}, // a wide character never half-shown
        {"ｱｲｳ", 3, 2, "ｱｲ"},     // half-width katakana take one
        {"e\u0301x", 2, 1, "e\u0301"},
        {"", 0, 5, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(columnsOf(c.text), c.columns) << c.text;
        EXPECT_EQ(columnsPrefix(c.text, c.cutAt), c.cut) << c.text;
    }
}

} // namespace
} // namespace zt
