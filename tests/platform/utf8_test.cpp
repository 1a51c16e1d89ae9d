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

} // namespace
} // namespace zt
