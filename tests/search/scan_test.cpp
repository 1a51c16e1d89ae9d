#include "platform/textfile.h"
#include "search/scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zt {
namespace {

// Random texts rich in line ends, '&' and letters, with lengths around the
// 64-byte blocks of the scanners.
std::string randomText(std::mt19937& rng) {
    static const std::string alphabet = "\r\n\n&aAbB-1\x83\x41 ";
    std::string s(rng() % 300, ' ');
    for (char& c : s)
        c = alphabet[rng() % alphabet.size()];
    return s;
}

TEST(SearchScan, LinesSplitLikeTheLineCursor) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const std::string s = randomText(rng);
        LineCursor expected(s);
        scan::ByteIndex index;
        scan::indexBytes(s, rng() % 2 ? "ab" : "", true, index);
        scan::LineScanner got(s, index);
        std::string_view a, b;
        for (;;) {
            // Skipping and reading must stay in step with the cursor.
            if (rng() % 4 == 0) {
                const int n = 1 + int(rng() % 9);
                for (int k = 0; k < n; ++k)
                    (void)expected.next(a);
                got.skip(n);
                continue;
            }
            const bool more = expected.next(a);
            ASSERT_EQ(got.next(b), more) << round;
            if (!more) break;
            ASSERT_EQ(a, b);
            ASSERT_EQ(got.offsetOf(b), size_t(b.data() - s.data()));
        }
    }
}

TEST(SearchScan, CandidatesAreEveryMatchAndEveryAmpersand) {
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        const std::string s = randomText(rng);
        const std::string text = std::vector<std::string>{"a", "ab", "Ab-1", "b\r", "-"}[rng() % 5];
        const bool fold = rng() % 2;
        std::vector<size_t> expected;
        for (size_t i = 0; i < s.size(); ++i) {
            bool match = s[i] == '&';
            if (!match && i + text.size() <= s.size()) {
                match = true;
                for (size_t j = 0; j < text.size(); ++j) {
                    char x = s[i + j], y = text[j];
                    if (fold) {
                        x = char(std::tolower(static_cast<unsigned char>(x)));
                        y = char(std::tolower(static_cast<unsigned char>(y)));
                    }
                    match = match && x == y;
                }
            }
            if (match) expected.push_back(i);
        }
        ASSERT_EQ(scan::findCandidates(s, text, fold), expected) << round << " " << text;
    }
}

} // namespace
} // namespace zt
