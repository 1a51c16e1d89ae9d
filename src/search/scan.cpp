#include "search/scan.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zt::scan {

namespace {

// One byte value, or two (a letter in both cases), to look for.
struct ByteSet {
    char a, b;
};

ByteSet setOf(char c, bool foldCase) {
    if (foldCase && c >= 'a' && c <= 'z') return {c, char(c - 0x20)};
    if (foldCase && c >= 'A' && c <= 'Z') return {char(c + 0x20), c};
    return {c, c};
}

// Bits of the bytes p[0..n) that are in set (n <= 64).
uint64_t maskScalar(const char* p, size_t n, ByteSet set) {
    uint64_t m = 0;
    for (size_t i = 0; i < n; ++i)
        if (p[i] == set.a || p[i] == set.b) m |= uint64_t(1) << i;
    return m;
}

#if defined(__SSE2__)
struct Block {
    __m128i v[4];
    explicit Block(const char* p) {
        for (int k = 0; k < 4; ++k)
            v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    }
    [[nodiscard]] uint64_t mask(__m128i a, __m128i b) const {
        uint64_t m = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i eq = _mm_or_si128(_mm_cmpeq_epi8(v[k], a), _mm_cmpeq_epi8(v[k], b));
            m |= uint64_t(uint32_t(_mm_movemask_epi8(eq))) << (16 * k);
        }
        return m;
    }
};
#endif

inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c;
}

bool equalAt(const char* p, std::string_view text, bool foldCase) {
    if (!foldCase) return std::memcmp(p, text.data(), text.size()) == 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (lowerAscii(p[i]) != lowerAscii(text[i])) return false;
    return true;
}

} // namespace

void indexBytes(std::string_view bytes, std::string_view text, bool foldCase, ByteIndex& index) {
    const size_t n = bytes.size(), m = text.size();
    const char* p = bytes.data();
    index.lineFeeds.assign((n + 63) / 64, 0);
    index.candidates.clear();
    uint64_t* lf = index.lineFeeds.data();

    // A place is looked at closely when its byte is the text's first and the
    // byte m-1 further on is the text's last (or when it holds '&').
    const ByteSet first = m ? setOf(text.front(), foldCase) : ByteSet{'\n', '\n'};
    const ByteSet last = m ? setOf(text.back(), foldCase) : ByteSet{'\n', '\n'};
    auto take = [&](uint64_t mask, size_t base) {
        while (mask) {
            const size_t at = base + size_t(__builtin_ctzll(mask));
            mask &= mask - 1;
            if (p[at] == '&' || (at + m <= n && equalAt(p + at, text, foldCase)))
                index.candidates.push_back(at);
        }
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i nl = _mm_set1_epi8('\n'), amp = _mm_set1_epi8('&');
    const __m128i f1 = _mm_set1_epi8(first.a), f2 = _mm_set1_epi8(first.b);
    const __m128i l1 = _mm_set1_epi8(last.a), l2 = _mm_set1_epi8(last.b);
    const size_t reach = m ? m - 1 : 0; // bytes looked at beyond the block
    for (; i + 64 + reach <= n; i += 64) {
        const Block b(p + i);
        lf[i / 64] = b.mask(nl, nl);
        if (m == 0) continue;
        const uint64_t places = b.mask(f1, f2) & Block(p + i + reach).mask(l1, l2);
        if (const uint64_t mask = places | b.mask(amp, amp)) take(mask, i);
    }
#endif
    for (; i < n; i += 64) {
        const size_t len = std::min<size_t>(64, n - i);
        lf[i / 64] = maskScalar(p + i, len, {'\n', '\n'});
        if (m) take(maskScalar(p + i, len, first) | maskScalar(p + i, len, {'&', '&'}), i);
    }
}

} // namespace zt::scan
