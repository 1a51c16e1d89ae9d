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

ByteSet setOf(char c, bool foldCase)
{
    if (foldCase && c >= 'a' && c <= 'z') return {c, char(c - 0x20)};
    if (foldCase && c >= 'A' && c <= 'Z') return {char(c + 0x20), c};
    return {c, c};
}

#if defined(__SSE2__)
inline uint64_t mask64(const char* p, __m128i a, __m128i b)
{
    uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const __m128i eq = _mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b));
        m |= uint64_t(uint32_t(_mm_movemask_epi8(eq))) << (16 * k);
    }
    return m;
}
#endif

// Bits of the bytes p[0..n) that are in set (n <= 64).
uint64_t maskScalar(const char* p, size_t n, ByteSet set)
{
    uint64_t m = 0;
    for (size_t i = 0; i < n; ++i)
        if (p[i] == set.a || p[i] == set.b) m |= uint64_t(1) << i;
    return m;
}

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c; }

bool equalAt(const char* p, std::string_view text, bool foldCase)
{
    if (!foldCase) return std::memcmp(p, text.data(), text.size()) == 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (lowerAscii(p[i]) != lowerAscii(text[i])) return false;
    return true;
}

} // namespace

uint64_t LineScanner::lineFeedMask(size_t base) const
{
#if defined(__SSE2__)
    if (base + 64 <= size_) {
        const __m128i lf = _mm_set1_epi8('\n');
        return mask64(data_ + base, lf, lf);
    }
#endif
    return maskScalar(data_ + base, std::min<size_t>(64, size_ - base), {'\n', '\n'});
}

std::vector<size_t> FindCandidates(std::string_view bytes, std::string_view text, bool foldCase)
{
    std::vector<size_t> out;
    const size_t n = bytes.size(), m = text.size();
    if (m == 0) return out;
    const char* p = bytes.data();
    // A place is looked at closely when its byte is the text's first and the
    // byte m-1 further on is the text's last (or when it holds '&').
    const ByteSet first = setOf(text.front(), foldCase), last = setOf(text.back(), foldCase);
    auto take = [&](uint64_t mask, size_t base) {
        while (mask) {
            const size_t at = base + size_t(__builtin_ctzll(mask));
            mask &= mask - 1;
            if (p[at] == '&' || (at + m <= n && equalAt(p + at, text, foldCase))) out.push_back(at);
        }
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i f1 = _mm_set1_epi8(first.a), f2 = _mm_set1_epi8(first.b);
    const __m128i l1 = _mm_set1_epi8(last.a), l2 = _mm_set1_epi8(last.b);
    const __m128i amp = _mm_set1_epi8('&');
    for (; i + 64 + m - 1 <= n; i += 64) {
        const uint64_t mask = (mask64(p + i, f1, f2) & mask64(p + i + m - 1, l1, l2)) |
                              mask64(p + i, amp, amp);
        take(mask, i);
    }
#endif
    for (; i < n; i += 64) {
        const size_t len = std::min<size_t>(64, n - i);
        take(maskScalar(p + i, len, first) | maskScalar(p + i, len, {'&', '&'}), i);
    }
    return out;
}

} // namespace zt::scan
