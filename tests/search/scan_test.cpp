#include "platform/codec.h"
#include "platform/collate.h"
#include "search/scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zt {
namespace {

// Random texts rich in line ends, '&', letters and double-byte characters,
// with lengths around the 64-byte blocks of the scanner.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> parts = {"\r\n", "\n", "&", "a", "A", "b", "B",
                                                   "-1", "\x83\x41", "\x82\x60", "\x82\x81", " "};
    std::string s;
    const size_t target = rng() % 300;
    while (s.size() < target)
        s += parts[rng() % parts.size()];
    return s;
}

TEST(SearchScan, LineFeedsCountLikeTheBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const std::string s = randomText(rng);
        scan::ByteIndex index;
        scan::indexBytes(s, scan::makeByteKey("ab", true), index);
        const size_t from = s.empty() ? 0 : rng() % s.size();
        const int count = 1 + int(rng() % 10);
        size_t expected = from;
        for (int k = 0; k < count && expected != scan::kNoLine; ++k) {
            const size_t lf = s.find('\n', expected);
            expected = lf == std::string::npos ? scan::kNoLine : lf + 1;
        }
        ASSERT_EQ(scan::afterLineFeeds(index, s.size(), from, count), expected) << round;
    }
}

TEST(SearchScan, CandidatesAreEveryPlaceOfTheKeyAndEveryAmpersand) {
    std::mt19937 rng(11);
    const std::vector<std::string> texts = {"a", "ab", "ab-1", "b\r", "-", "ア", "ａ", "アa"};
    for (int round = 0; round < 3000; ++round) {
        const std::string s = randomText(rng);
        const bool fold = rng() % 2;
        const std::string text = fold ? lowerAnsi(texts[rng() % texts.size()])
                                      : texts[rng() % texts.size()];
        const scan::ByteKey key = scan::makeByteKey(text, fold);
        std::vector<uint32_t> expected;
        for (size_t i = 0; i < s.size(); ++i) {
            bool match = s[i] == '&';
            for (size_t j = 0; !match && j < key.positions.size() && i + j < s.size(); ++j) {
                const auto b = uint8_t(s[i + j]);
                if (b != key.positions[j][0] && b != key.positions[j][1]) break;
                match = j + 1 == key.positions.size();
            }
            if (match) expected.push_back(uint32_t(i));
        }
        ASSERT_EQ(scan::findCandidates(s, key), expected) << round << " " << text;
    }
}

TEST(SearchScan, EveryKindOfVectorGivesTheSameIndex) {
    std::mt19937 rng(13);
    const scan::Vectors kinds[] = {scan::Vectors::Sse2, scan::Vectors::Avx2, scan::Vectors::Avx512};
    for (int round = 0; round < 500; ++round) {
        const std::string s = randomText(rng) + randomText(rng);
        const scan::ByteKey key =
            round % 3 ? scan::makeByteKey(round % 2 ? "ab" : "ア", round % 4 == 0)
                      : scan::makeByteKey(round % 2 ? "\n" : "", false);
        scan::ByteIndex plain, vector;
        scan::indexBytes(s, key, plain, scan::Vectors::None);
        for (const scan::Vectors kind : kinds) {
            if (!scan::supported(kind)) continue;
            scan::indexBytes(s, key, vector, kind);
            ASSERT_EQ(vector.lineFeeds, plain.lineFeeds) << round;
            ASSERT_EQ(vector.dashStarts, plain.dashStarts) << round;
            ASSERT_EQ(vector.linesBefore, plain.linesBefore) << round;
            ASSERT_EQ(vector.candidates, plain.candidates) << round;
        }
    }
}

TEST(SearchScan, KeysHoldEveryStoredFormOfTheText) {
    using P = std::vector<std::array<unsigned char, 2>>;
    struct Row {
        const char* text;
        bool fold;
        P positions;
        bool ampersandOnly, all;
    };
    const Row rows[] = {
        {"ab", false, {{'a', 'a'}, {'b', 'b'}}, false, false},
        {"ab", true, {{'A', 'a'}, {'B', 'b'}}, false, false},
        {"ア", false, {{0x83, 0x83}, {0x41, 0x41}}, false, false},
        // Full-width letters in both cases when the case does not count.
        {"ａ", true, {{0x82, 0x82}, {0x60, 0x81}}, false, false},
        {"ａ", false, {{0x82, 0x82}, {0x81, 0x81}}, false, false},
        // Only a reference can hold an emoji or a line feed.
        {"x😀", false, {}, true, false},
        {"a\nb", false, {}, true, false},
        // U+FFFD stands for any broken byte: the longest run around it is kept.
        {"a\xEF\xBF\xBD" "bc", false, {{'b', 'b'}, {'c', 'c'}}, false, false},
        {"\xEF\xBF\xBD", false, {}, false, true},
        {"", false, {}, false, true},
        {"\xFF", false, {}, false, true},
    };
    for (const Row& r : rows) {
        const scan::ByteKey key = scan::makeByteKey(r.text, r.fold);
        EXPECT_EQ(key.positions, r.positions) << r.text;
        EXPECT_EQ(key.ampersandOnly, r.ampersandOnly) << r.text;
        EXPECT_EQ(key.all, r.all) << r.text;
    }
    // An ASCII text's key is its own bytes: no two-byte form reads as an
    // ASCII character, and no other byte reads as one.
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string c = cp932::decode(std::string{char(lead), char(trail)});
            ASSERT_FALSE(c.size() == 1 && uint8_t(c[0]) < 0x80) << lead << " " << trail;
        }
    for (int b = 0x80; b < 0x100; ++b)
        ASSERT_FALSE(cp932::decode(std::string(1, char(b))).size() == 1) << b;
}

} // namespace
} // namespace zt
