#include "search/scan.h"

#include "platform/codec.h"
#include "platform/collate.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zt::scan {

namespace {

using Position = std::array<unsigned char, 2>;

bool isLeadByte(int c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

size_t utf8Length(unsigned char c) {
    return c < 0x80 ? 1 : c < 0xC0 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 0;
}

// Every stored form (one byte, or a lead and a trail byte) of each character,
// keyed by the character as the search compares it. A line never holds a line
// feed, so a name with one stores it as a reference.
using Forms = std::unordered_map<std::string, std::vector<std::string>>;

Forms buildForms(bool foldCase) {
    Forms forms;
    auto add = [&](std::string bytes) {
        std::string c = cp932::decode(bytes);
        if (c.empty() || c == "\xEF\xBF\xBD" || utf8Length(uint8_t(c[0])) != c.size()) return;
        if (foldCase) lowerAnsiInPlace(c);
        forms[c].push_back(std::move(bytes));
    };
    for (int b = 0; b < 256; ++b)
        if (b != '\n' && !isLeadByte(b)) add(std::string(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        if (isLeadByte(lead))
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                add({char(lead), char(trail)});
    return forms;
}

const Forms& formsOf(bool foldCase) {
    static const Forms exact = buildForms(false), folded = buildForms(true);
    return foldCase ? folded : exact;
}

// The byte positions of one character: every form as long as the others and
// at most two values a position; false when the character has no such shape.
bool positionsOf(const std::vector<std::string>& forms, std::vector<Position>& out) {
    const size_t length = forms.front().size();
    for (size_t i = 0; i < length; ++i) {
        Position p{uint8_t(forms.front()[i]), uint8_t(forms.front()[i])};
        for (const std::string& f : forms) {
            if (f.size() != length) return false;
            const auto b = uint8_t(f[i]);
            if (b == p[0] || b == p[1]) continue;
            if (p[0] != p[1]) return false;
            p[1] = b;
        }
        if (p[0] > p[1]) std::swap(p[0], p[1]);
        out.push_back(p);
    }
    return true;
}

} // namespace

ByteKey makeByteKey(std::string_view text, bool foldCase) {
    ByteKey key;
    const Forms& forms = formsOf(foldCase);
    std::vector<Position> run;
    for (size_t i = 0; i < text.size();) {
        const size_t n = utf8Length(uint8_t(text[i]));
        if (n == 0 || i + n > text.size()) { // not UTF-8: no screening
            key.all = true;
            return key;
        }
        const std::string c(text.substr(i, n));
        i += n;
        const auto it = forms.find(c);
        std::vector<Position> positions;
        if (it == forms.end() && c != "\xEF\xBF\xBD") key.ampersandOnly = true;
        if (it != forms.end() && positionsOf(it->second, positions)) {
            run.insert(run.end(), positions.begin(), positions.end());
        } else {
            run.clear();
        }
        if (run.size() > key.positions.size()) key.positions = run;
    }
    if (key.ampersandOnly) key.positions.clear();
    key.all = key.positions.empty() && !key.ampersandOnly;
    return key;
}

namespace {

struct Scan {
    const char* p;
    size_t n;
    const ByteKey& key;
    ByteIndex& index;

    bool keyAt(size_t at) const {
        const size_t m = key.positions.size();
        if (at + m > n) return false;
        for (size_t i = 0; i < m; ++i) {
            const auto b = uint8_t(p[at + i]);
            if (b != key.positions[i][0] && b != key.positions[i][1]) return false;
        }
        return true;
    }
    // Places whose first (and last) key byte fit: kept when they hold '&' or the key.
    void take(uint64_t mask, size_t base) {
        while (mask) {
            const size_t at = base + size_t(__builtin_ctzll(mask));
            mask &= mask - 1;
            if (p[at] == '&' || keyAt(at)) index.candidates.push_back(uint32_t(at));
        }
    }
    static uint64_t maskOf(const char* q, size_t len, Position set) {
        uint64_t m = 0;
        for (size_t i = 0; i < len; ++i)
            if (uint8_t(q[i]) == set[0] || uint8_t(q[i]) == set[1]) m |= uint64_t(1) << i;
        return m;
    }
    // The bytes from i on, one at a time.
    void tail(size_t i) {
        const bool keyed = !key.positions.empty();
        for (; i < n; i += 64) {
            const size_t len = std::min<size_t>(64, n - i);
            index.lineFeeds[i / 64] = maskOf(p + i, len, {'\n', '\n'});
            if (key.all) continue;
            uint64_t m = maskOf(p + i, len, {'&', '&'});
            if (keyed) m |= maskOf(p + i, len, key.positions.front());
            take(m, i);
        }
    }
};

#if defined(__x86_64__)
inline uint64_t sse2Mask(const __m128i* v, Position set) {
    const __m128i a = _mm_set1_epi8(char(set[0])), b = _mm_set1_epi8(char(set[1]));
    uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i eq = _mm_or_si128(_mm_cmpeq_epi8(v[k], a), _mm_cmpeq_epi8(v[k], b));
        m |= uint64_t(uint32_t(_mm_movemask_epi8(eq))) << (16 * k);
    }
    return m;
}

inline void sse2Load(const char* q, __m128i* v) {
    for (int k = 0; k < 4; ++k)
        v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * k));
}

// 64 bytes a step while the key's last byte is still inside the input.
size_t blocksSse2(Scan& s) {
    const size_t m = s.key.positions.size(), reach = m ? m - 1 : 0;
    const Position first = m ? s.key.positions.front() : Position{'\n', '\n'};
    const Position last = m ? s.key.positions.back() : Position{'\n', '\n'};
    uint64_t* lf = s.index.lineFeeds.data();
    size_t i = 0;
    __m128i v[4], w[4];
    for (; i + 64 + reach <= s.n; i += 64) {
        sse2Load(s.p + i, v);
        lf[i / 64] = sse2Mask(v, {'\n', '\n'});
        if (s.key.all) continue;
        uint64_t places = sse2Mask(v, {'&', '&'});
        if (m) {
            sse2Load(s.p + i + reach, w);
            places |= sse2Mask(v, first) & sse2Mask(w, last);
        }
        if (places) s.take(places, i);
    }
    return i;
}

__attribute__((target("avx2"), always_inline)) inline uint64_t avx2Mask(__m256i v0, __m256i v1,
                                                                         Position set) {
    const __m256i a = _mm256_set1_epi8(char(set[0])), b = _mm256_set1_epi8(char(set[1]));
    const __m256i e0 = _mm256_or_si256(_mm256_cmpeq_epi8(v0, a), _mm256_cmpeq_epi8(v0, b));
    const __m256i e1 = _mm256_or_si256(_mm256_cmpeq_epi8(v1, a), _mm256_cmpeq_epi8(v1, b));
    return uint64_t(uint32_t(_mm256_movemask_epi8(e0))) |
           (uint64_t(uint32_t(_mm256_movemask_epi8(e1))) << 32);
}

__attribute__((target("avx2"))) size_t blocksAvx2(Scan& s) {
    const size_t m = s.key.positions.size(), reach = m ? m - 1 : 0;
    const Position first = m ? s.key.positions.front() : Position{'\n', '\n'};
    const Position last = m ? s.key.positions.back() : Position{'\n', '\n'};
    uint64_t* lf = s.index.lineFeeds.data();
    size_t i = 0;
    for (; i + 64 + reach <= s.n; i += 64) {
        const auto* q = reinterpret_cast<const __m256i*>(s.p + i);
        const __m256i v0 = _mm256_loadu_si256(q), v1 = _mm256_loadu_si256(q + 1);
        lf[i / 64] = avx2Mask(v0, v1, {'\n', '\n'});
        if (s.key.all) continue;
        uint64_t places = avx2Mask(v0, v1, {'&', '&'});
        if (m) {
            const auto* r = reinterpret_cast<const __m256i*>(s.p + i + reach);
            places |= avx2Mask(v0, v1, first) &
                      avx2Mask(_mm256_loadu_si256(r), _mm256_loadu_si256(r + 1), last);
        }
        if (places) s.take(places, i);
    }
    return i;
}

bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
#endif

} // namespace

void indexBytes(std::string_view bytes, const ByteKey& key, ByteIndex& index) {
    index.lineFeeds.resize((bytes.size() + 63) / 64);
    index.candidates.clear();
    Scan s{bytes.data(), bytes.size(), key, index};
    size_t done = 0;
#if defined(__x86_64__)
    done = haveAvx2() ? blocksAvx2(s) : blocksSse2(s);
#endif
    s.tail(done);
}

std::vector<uint32_t> findCandidates(std::string_view bytes, const ByteKey& key) {
    ByteIndex index;
    indexBytes(bytes, key, index);
    return std::move(index.candidates);
}

} // namespace zt::scan
