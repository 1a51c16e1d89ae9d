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
    if (foldCase) {
        static const Forms folded = buildForms(true);
        return folded;
    }
    static const Forms exact = buildForms(false);
    return exact;
}

// The key of an ASCII text without building the table: an ASCII character is
// only ever stored as its own byte (a letter in either case when folding).
ByteKey asciiKey(std::string_view text, bool foldCase) {
    ByteKey key;
    for (const char c : text) {
        if (c == '\n') { // only a reference holds a line feed
            key.positions.clear();
            key.ampersandOnly = true;
            return key;
        }
        const auto b = uint8_t(c);
        const bool letter = foldCase && b >= 'a' && b <= 'z';
        key.positions.push_back({letter ? uint8_t(b - 0x20) : b, b});
    }
    key.all = key.positions.empty();
    return key;
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
    if (std::all_of(text.begin(), text.end(), [](char c) { return uint8_t(c) < 0x80; }))
        return asciiKey(text, foldCase);
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

// The per-word bit sets, filled front to back. Kept apart from Scan and
// copied into each pass, so its counters stay in registers.
struct Words {
    uint64_t* feeds;
    uint64_t* dashes;
    uint32_t* before;
    uint64_t lineStartCarry = 1; // the first byte starts a line
    uint32_t lines = 0;          // line feeds before the current word

    // Word w: its line feeds (lineFeedCount of them) and its dashes that start a line.
    void put(size_t w, uint64_t lf, uint64_t dash, int lineFeedCount) {
        feeds[w] = lf;
        dashes[w] = dash & ((lf << 1) | lineStartCarry);
        lineStartCarry = lf >> 63;
        before[w] = lines;
        lines += uint32_t(lineFeedCount);
    }
};

struct Scan {
    const char* p;
    size_t n;
    const ByteKey& key;
    ByteIndex& index;
    Words words;

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
            const uint64_t lf = maskOf(p + i, len, {'\n', '\n'});
            words.put(i / 64, lf, maskOf(p + i, len, {'-', '-'}), popcount64(lf));
            if (key.all) continue;
            uint64_t m = maskOf(p + i, len, {'&', '&'});
            if (keyed) m |= maskOf(p + i, len, key.positions.front());
            take(m, i);
        }
    }
};

#if defined(__x86_64__)
inline __m128i sse2Equal(__m128i v, Position set) {
    const __m128i e = _mm_cmpeq_epi8(v, _mm_set1_epi8(char(set[0])));
    if (set[0] == set[1]) return e;
    return _mm_or_si128(e, _mm_cmpeq_epi8(v, _mm_set1_epi8(char(set[1]))));
}

inline __m128i sse2At(const char* q) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// 64 bytes a step while the bytes looked at beyond the block are inside the input.
size_t blocksSse2(Scan& s) {
    const size_t m = s.key.positions.size(), reach = m ? m - 1 : 0;
    const Position first = m ? s.key.positions.front() : Position{'&', '&'};
    const Position last = m ? s.key.positions.back() : Position{'&', '&'};
    Words words = s.words;
    size_t i = 0;
    for (; i + 64 + reach <= s.n; i += 64) {
        uint64_t feeds = 0, dashes = 0, places = 0;
        for (int k = 0; k < 4; ++k) {
            const char* q = s.p + i + 16 * k;
            const __m128i v = sse2At(q);
            feeds |= uint64_t(uint32_t(_mm_movemask_epi8(sse2Equal(v, {'\n', '\n'})))) << (16 * k);
            dashes |= uint64_t(uint32_t(_mm_movemask_epi8(sse2Equal(v, {'-', '-'})))) << (16 * k);
            if (s.key.all) continue;
            const __m128i c = _mm_or_si128(
                sse2Equal(v, {'&', '&'}),
                _mm_and_si128(sse2Equal(v, first), sse2Equal(sse2At(q + reach), last)));
            places |= uint64_t(uint32_t(_mm_movemask_epi8(c))) << (16 * k);
        }
        words.put(i / 64, feeds, dashes, popcount64(feeds));
        if (places) s.take(places, i);
    }
    s.words = words;
    return i;
}

__attribute__((target("avx2,popcnt"), always_inline)) inline __m256i avx2Equal(__m256i v,
                                                                                Position set) {
    const __m256i e = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(char(set[0])));
    if (set[0] == set[1]) return e;
    return _mm256_or_si256(e, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(char(set[1]))));
}

__attribute__((target("avx2,popcnt"), always_inline)) inline __m256i avx2At(const char* q) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
}

__attribute__((target("avx2,popcnt"), always_inline)) inline uint64_t avx2Bits(__m256i e0,
                                                                               __m256i e1) {
    return uint64_t(uint32_t(_mm256_movemask_epi8(e0))) |
           (uint64_t(uint32_t(_mm256_movemask_epi8(e1))) << 32);
}

__attribute__((target("avx2,popcnt"))) size_t blocksAvx2(Scan& s) {
    const size_t m = s.key.positions.size(), reach = m ? m - 1 : 0;
    const Position first = m ? s.key.positions.front() : Position{'&', '&'};
    const Position last = m ? s.key.positions.back() : Position{'&', '&'};
    const Position lf{'\n', '\n'}, amp{'&', '&'}, dash{'-', '-'};
    Words words = s.words;
    size_t i = 0;
    for (; i + 64 + reach <= s.n; i += 64) {
        const char* q = s.p + i;
        const __m256i v0 = avx2At(q), v1 = avx2At(q + 32);
        const uint64_t feeds = avx2Bits(avx2Equal(v0, lf), avx2Equal(v1, lf));
        words.put(i / 64, feeds, avx2Bits(avx2Equal(v0, dash), avx2Equal(v1, dash)),
                  __builtin_popcountll(feeds));
        if (s.key.all) continue;
        // '&', or the key's first byte here and its last byte m-1 further on.
        const __m256i c0 = _mm256_or_si256(
            avx2Equal(v0, amp),
            _mm256_and_si256(avx2Equal(v0, first), avx2Equal(avx2At(q + reach), last)));
        const __m256i c1 = _mm256_or_si256(
            avx2Equal(v1, amp),
            _mm256_and_si256(avx2Equal(v1, first), avx2Equal(avx2At(q + 32 + reach), last)));
        if (const uint64_t places = avx2Bits(c0, c1)) s.take(places, i);
    }
    s.words = words;
    return i;
}

// The same with one 64-byte register a step.
__attribute__((target("avx512f,avx512bw,popcnt"))) size_t blocksAvx512(Scan& s) {
    const size_t m = s.key.positions.size(), reach = m ? m - 1 : 0;
    const Position first = m ? s.key.positions.front() : Position{'&', '&'};
    const Position last = m ? s.key.positions.back() : Position{'&', '&'};
    const __m512i lf = _mm512_set1_epi8('\n'), dash = _mm512_set1_epi8('-'),
                  amp = _mm512_set1_epi8('&');
    const __m512i f0 = _mm512_set1_epi8(char(first[0])), f1 = _mm512_set1_epi8(char(first[1]));
    const __m512i l0 = _mm512_set1_epi8(char(last[0])), l1 = _mm512_set1_epi8(char(last[1]));
    const bool screen = !s.key.all;
    Words words = s.words;
    size_t i = 0;
    for (; i + 64 + reach <= s.n; i += 64) {
        const __m512i v = _mm512_loadu_si512(s.p + i);
        const uint64_t feeds = _mm512_cmpeq_epi8_mask(v, lf);
        words.put(i / 64, feeds, _mm512_cmpeq_epi8_mask(v, dash), __builtin_popcountll(feeds));
        if (!screen) continue;
        const __m512i w = _mm512_loadu_si512(s.p + i + reach);
        const uint64_t places =
            _mm512_cmpeq_epi8_mask(v, amp) |
            ((_mm512_cmpeq_epi8_mask(v, f0) | _mm512_cmpeq_epi8_mask(v, f1)) &
             (_mm512_cmpeq_epi8_mask(w, l0) | _mm512_cmpeq_epi8_mask(w, l1)));
        if (places) s.take(places, i);
    }
    s.words = words;
    return i;
}

bool haveAvx512() {
    static const bool yes = __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("popcnt");
    return yes;
}

bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    return yes;
}
#endif

} // namespace

bool supported(Vectors v) {
#if defined(__x86_64__)
    switch (v) {
    case Vectors::Avx512:
        return haveAvx512();
    case Vectors::Avx2:
        return haveAvx2();
    default:
        return true;
    }
#else
    return v == Vectors::Best || v == Vectors::None;
#endif
}

void indexBytes(std::string_view bytes, const ByteKey& key, ByteIndex& index, Vectors vectors) {
    const size_t words = (bytes.size() + 63) / 64;
    index.lineFeeds.resize(words);
    index.dashStarts.resize(words);
    index.linesBefore.resize(words);
    index.candidates.clear();
    Scan s{bytes.data(), bytes.size(), key, index,
           {index.lineFeeds.data(), index.dashStarts.data(), index.linesBefore.data()}};
    size_t done = 0;
#if defined(__x86_64__)
    if (vectors == Vectors::Best)
        vectors = haveAvx512() ? Vectors::Avx512 : haveAvx2() ? Vectors::Avx2 : Vectors::Sse2;
    if (vectors == Vectors::Avx512) done = blocksAvx512(s);
    if (vectors == Vectors::Avx2) done = blocksAvx2(s);
    if (vectors == Vectors::Sse2) done = blocksSse2(s);
#else
    (void)vectors;
#endif
    s.tail(done);
}

std::vector<uint32_t> findCandidates(std::string_view bytes, const ByteKey& key) {
    ByteIndex index;
    indexBytes(bytes, key, index);
    return std::move(index.candidates);
}

} // namespace zt::scan
