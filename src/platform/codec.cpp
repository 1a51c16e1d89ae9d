#include "platform/codec.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>

// The conversion runs on tables of our own. ICU's "windows-31j" converter is
// asked once, for every single byte and byte pair, what it decodes to; the
// writing direction is derived from that answer, so a character is written as
// bytes only when those bytes read back as the same character. ICU's own
// writing direction is never used: it maps some characters to nothing (soft
// hyphen, zero-width space) and others one-way to look-alikes.

namespace zt::cp932 {
namespace {

constexpr int kLeads = 60;   // 0x81-0x9F, 0xE0-0xFC
constexpr int kTrails = 188; // 0x40-0x7E, 0x80-0xFC
constexpr char32_t kReplacement = 0xFFFD;

// A decoded character as UTF-8: up to three bytes in the low bytes, length in the top byte.
using Packed = uint32_t;

Packed packUtf8(char32_t cp) {
    if (cp < 0x80) return (1u << 24) | cp;
    if (cp < 0x800) return (2u << 24) | (0xC0 | (cp >> 6)) | ((0x80 | (cp & 0x3F)) << 8);
    return (3u << 24) | (0xE0 | (cp >> 12)) | ((0x80 | ((cp >> 6) & 0x3F)) << 8) |
           ((0x80 | (cp & 0x3F)) << 16);
}

struct Tables {
    std::array<Packed, 256> single{};            // 0: not a character on its own
    std::array<int16_t, 256> leadIndex{};        // -1: not a lead byte
    std::array<int16_t, 256> trailIndex{};       // -1: not a trail byte
    std::array<Packed, kLeads * kTrails> pair{}; // 0: unmapped pair
    std::array<uint16_t, 0x10000> encode{};      // 0: not holdable (escape it)

    Tables();
};

bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

Tables::Tables() {
    leadIndex.fill(-1);
    trailIndex.fill(-1);
    int n = 0;
    for (int b = 0x81; b <= 0xFC; ++b)
        if (b <= 0x9F || b >= 0xE0) leadIndex[b] = int16_t(n++);
    n = 0;
    for (int b = 0x40; b <= 0xFC; ++b)
        if (b != 0x7F) trailIndex[b] = int16_t(n++);

    // Single bytes: ASCII as itself (ICU swaps 0x1A/0x1C/0x7F; files never did),
    // 0xA1-0xDF half-width katakana.
    for (int b = 0; b < 0x80; ++b)
        single[b] = packUtf8(char32_t(b));
    for (int b = 0xA1; b <= 0xDF; ++b)
        single[b] = packUtf8(0xFF61 + (b - 0xA1));
    for (int b = 0; b < 0x80; ++b)
        if (!isControl(char32_t(b))) encode[b] = uint16_t(b);
    for (int b = 0xA1; b <= 0xDF; ++b)
        encode[0xFF61 + (b - 0xA1)] = uint16_t(b);

    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> cnv(ucnv_open("windows-31j", &err),
                                                           &ucnv_close);
    if (U_FAILURE(err) || !cnv)
        throw std::runtime_error("ICU has no windows-31j converter: cannot read CP932");
    ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    if (U_FAILURE(err)) throw std::runtime_error("cannot configure the windows-31j converter");

    // Pairs are visited in increasing byte order, so the first sequence seen
    // for a character is the lowest one, which is what Windows writes, except
    // that the NEC-selected IBM extension rows (0xED, 0xEE) give way to the IBM
    // extension rows (0xFA-0xFC).
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (leadIndex[lead] < 0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trailIndex[trail] < 0) continue;
            const char in[2] = {char(lead), char(trail)};
            UChar u[4];
            err = U_ZERO_ERROR;
            int32_t len = ucnv_toUChars(cnv.get(), u, 4, in, 2, &err);
            if (U_FAILURE(err) || len != 1 || (u[0] >= 0xD800 && u[0] <= 0xDFFF)) continue;
            const char16_t cp = u[0];
            pair[size_t(leadIndex[lead] * kTrails + trailIndex[trail])] = packUtf8(cp);
            if (isControl(cp) || cp == kReplacement) continue;
            uint16_t& slot = encode[cp];
            const int have = slot >> 8;
            if (slot == 0 || (lead >= 0xFA && (have == 0xED || have == 0xEE)))
                slot = uint16_t((lead << 8) | trail);
        }
    }
}

const Tables& tables() {
    static const std::unique_ptr<const Tables> t = std::make_unique<const Tables>();
    return *t;
}

inline char* put(char* o, Packed v) {
    std::memcpy(o, &v, 4); // the output always has slack for the unused bytes
    return o + (v >> 24);
}

inline char* putUtf8(char* o, char32_t cp) {
    if (cp < 0x10000) return put(o, packUtf8(cp));
    o[0] = char(0xF0 | (cp >> 18));
    o[1] = char(0x80 | ((cp >> 12) & 0x3F));
    o[2] = char(0x80 | ((cp >> 6) & 0x3F));
    o[3] = char(0x80 | (cp & 0x3F));
    return o + 4;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// Nonzero when one of the eight bytes of w (all below 0x80) equals b.
inline uint64_t hasByte(uint64_t w, unsigned b) {
    const uint64_t x = w ^ (kOnes * b);
    return (x - kOnes) & ~x & kHighs;
}
// Nonzero when one of the eight bytes of w (all below 0x80) is below b.
inline uint64_t hasLess(uint64_t w, unsigned b) {
    return (w - kOnes * b) & ~w & kHighs;
}

constexpr uint32_t kRawByteBase = 0xDC00;

inline bool isRawByteCode(uint32_t v) {
    return v >= kRawByteBase + 0x80 && v <= kRawByteBase + 0xFF;
}

inline bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Longest decimal number a reference may carry (U+10FFFF has seven digits).
constexpr int kMaxRefDigits = 7;

// Parses "&#N;" at p (p[0] == '&'). Returns the end of the reference and sets
// cp when N is a Unicode scalar value; nullptr otherwise.
const unsigned char* parseRef(const unsigned char* p, const unsigned char* end, char32_t& cp) {
    if (end - p < 4 || p[1] != '#') return nullptr;
    const unsigned char* q = p + 2;
    uint32_t v = 0;
    int digits = 0;
    while (q < end && isDigit(*q)) {
        if (++digits > kMaxRefDigits) return nullptr;
        v = v * 10 + (*q++ - '0');
    }
    if (digits == 0 || q == end || *q != ';') return nullptr;
    // U+DC80-U+DCFF: a raw name byte (platform/utf8.h); other surrogates are no text.
    if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF && !isRawByteCode(v))) return nullptr;
    cp = v;
    return q + 1;
}

// True when the '&' at p starts "&#" digits ";" (of any length), which the
// reader would take for a reference.
bool looksLikeRef(const unsigned char* p, const unsigned char* end) {
    if (end - p < 4 || p[1] != '#' || !isDigit(p[2])) return false;
    const unsigned char* q = p + 3;
    while (q < end && isDigit(*q))
        ++q;
    return q < end && *q == ';';
}

template <bool ResolveRefs> void decodeImpl(std::string_view bytes, std::string& out) {
    const Tables& t = tables();
    const size_t base = out.size();
    // Every input byte yields at most three output bytes; +4 for put()'s slack.
    out.resize(base + bytes.size() * 3 + 4);
    char* const o0 = out.data() + base;
    char* o = o0;
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        // Plain ASCII, eight bytes at a time.
        while (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            if ((w & kHighs) || (ResolveRefs && hasByte(w, '&'))) break;
            std::memcpy(o, p, 8);
            o += 8;
            p += 8;
        }
        if (p == end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            if (ResolveRefs && c == '&') {
                char32_t cp;
                if (const unsigned char* next = parseRef(p, end, cp)) {
                    o = putUtf8(o, cp);
                    p = next;
                    continue;
                }
            }
            *o++ = char(c);
            ++p;
            continue;
        }
        const int lead = t.leadIndex[c];
        if (lead >= 0) {
            const int trail = (end - p >= 2) ? t.trailIndex[p[1]] : -1;
            if (trail >= 0) {
                const Packed v = t.pair[size_t(lead * kTrails + trail)];
                o = put(o, v ? v : packUtf8(kReplacement));
                p += 2;
            } else {
                // A lead byte without a trail byte: only the lead byte is lost,
                // the next byte is read on its own.
                o = put(o, packUtf8(kReplacement));
                ++p;
            }
            continue;
        }
        const Packed v = t.single[c];
        o = put(o, v ? v : packUtf8(kReplacement));
        ++p;
    }
    out.resize(base + size_t(o - o0));
}

char* putRef(char* o, uint32_t n) {
    char digits[10];
    int k = 0;
    do {
        digits[k++] = char('0' + n % 10);
        n /= 10;
    } while (n);
    *o++ = '&';
    *o++ = '#';
    while (k)
        *o++ = digits[--k];
    *o++ = ';';
    return o;
}

// Reads one UTF-8 character at p (p[0] >= 0x80). Ill-formed input yields
// U+FFFD and consumes the maximal ill-formed prefix (at least one byte).
char32_t readUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p;
    int need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        ++p;
        return kReplacement;
    }
    const unsigned char* q = p + 1;
    for (int i = 0; i < need; ++i, ++q) {
        if (q == end || *q < lo || *q > hi) {
            p = q;
            return kReplacement;
        }
        cp = (cp << 6) | (*q & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    p = q;
    return cp;
}

} // namespace

void encodeAppend(std::string_view utf8, std::string& out) {
    const Tables& t = tables();
    const size_t base = out.size();
    // The worst case is an invalid byte, written as "&#65533;" (8 bytes).
    out.resize(base + utf8.size() * 8);
    char* const o0 = out.data() + base;
    char* o = o0;
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto end = p + utf8.size();
    while (p < end) {
        // Plain printable ASCII without '&', eight bytes at a time.
        while (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            if ((w & kHighs) || hasLess(w, 0x20) || hasByte(w, 0x7F) || hasByte(w, '&')) break;
            std::memcpy(o, p, 8);
            o += 8;
            p += 8;
        }
        if (p == end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            if (c == '&' && looksLikeRef(p, end)) {
                o = putRef(o, '&');
            } else if (isControl(c)) {
                o = putRef(o, c);
            } else {
                *o++ = char(c);
            }
            ++p;
            continue;
        }
        // A raw name byte keeps its own reference, so it reads back as that byte.
        if (c == 0xED && end - p >= 3 && (p[1] == 0xB2 || p[1] == 0xB3) && (p[2] & 0xC0) == 0x80) {
            o = putRef(o, kRawByteBase + (0x80 | ((p[1] & 1u) << 6) | (p[2] & 0x3Fu)));
            p += 3;
            continue;
        }
        const char32_t cp = readUtf8(p, end);
        const uint16_t bytes = cp < 0x10000 ? t.encode[cp] : 0;
        if (bytes == 0) {
            o = putRef(o, uint32_t(cp));
        } else if (bytes < 0x100) {
            *o++ = char(bytes);
        } else {
            *o++ = char(bytes >> 8);
            *o++ = char(bytes & 0xFF);
        }
    }
    out.resize(base + size_t(o - o0));
}

std::string encode(std::string_view utf8) {
    std::string out;
    encodeAppend(utf8, out);
    return out;
}

void decodeAppend(std::string_view bytes, std::string& out) {
    decodeImpl<true>(bytes, out);
}

std::string decode(std::string_view bytes) {
    std::string out;
    decodeImpl<true>(bytes, out);
    return out;
}

std::string decodePlain(std::string_view bytes) {
    std::string out;
    decodeImpl<false>(bytes, out);
    return out;
}

bool isValid(std::string_view bytes) {
    const Tables& t = tables();
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        const int lead = t.leadIndex[c];
        if (lead >= 0) {
            if (end - p < 2) return false;
            const int trail = t.trailIndex[p[1]];
            if (trail < 0 || t.pair[size_t(lead * kTrails + trail)] == 0) return false;
            p += 2;
            continue;
        }
        if (t.single[c] == 0) return false;
        ++p;
    }
    return true;
}

} // namespace zt::cp932
