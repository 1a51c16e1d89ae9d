#include "platform/collate.h"

#include <climits>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <vector>

// One Japanese collator is opened and configured once for the process. ICU
// collators must not be used by two threads at the same moment, so each thread
// that compares names works on its own clone of it (cloning is cheap and
// shares the rule data). Any thread may therefore call these functions.
//
// Identical strength: at tertiary strength ICU's Japanese rules call
// あ/ア/ｱ and ABC/ＡＢＣ equal, but names that differ must never compare equal.
// Even the identical level equates canonically equivalent spellings (が as one
// code point or as か + U+3099, which can sit side by side in one folder) and
// treats every ill-formed byte as U+FFFD, so ties are broken on the bytes.

namespace zt {
namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

CollatorPtr openJapanese() {
    UErrorCode err = U_ZERO_ERROR;
    CollatorPtr c(ucol_open("ja", &err));
    if (U_FAILURE(err) || !c) throw std::runtime_error("ICU cannot open the Japanese collator");
    ucol_setStrength(c.get(), UCOL_IDENTICAL);
    return c;
}

const UCollator* sharedCollator() {
    static const CollatorPtr c = openJapanese();
    return c.get();
}

UCollator* threadCollator() {
    thread_local const CollatorPtr c = [] {
        UErrorCode err = U_ZERO_ERROR;
        CollatorPtr clone(ucol_clone(sharedCollator(), &err));
        if (U_FAILURE(err) || !clone) throw std::runtime_error("ICU cannot clone the collator");
        return clone;
    }();
    return c.get();
}

int byteCompare(std::string_view a, std::string_view b) {
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Folds the capital at s[i] (if it is one) and returns the length of the
// character there; ill-formed bytes are stepped over one at a time.
inline size_t foldAt(char* s, size_t i, size_t n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        if (c >= 'A' && c <= 'Z') s[i] = char(c + 0x20);
        return 1;
    }
    if (i + 1 >= n) return 1;
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    switch (c) {
    case 0xCE: // Greek U+0391-U+03A9 (U+03A2 is unassigned)
        if (c1 >= 0x91 && c1 <= 0x9F) {
            s[i + 1] = char(c1 + 0x20); // U+03B1-U+03BF
            return 2;
        }
        if (c1 >= 0xA0 && c1 <= 0xA9 && c1 != 0xA2) {
            s[i] = char(0xCF); // U+03C0-U+03C9
            s[i + 1] = char(c1 - 0x20);
            return 2;
        }
        return 1;
    case 0xD0: // Cyrillic U+0401, U+0410-U+042F
        if (c1 == 0x81) {
            s[i] = char(0xD1); // U+0451
            s[i + 1] = char(0x91);
            return 2;
        }
        if (c1 >= 0x90 && c1 <= 0x9F) {
            s[i + 1] = char(c1 + 0x20); // U+0430-U+043F
            return 2;
        }
        if (c1 >= 0xA0 && c1 <= 0xAF) {
            s[i] = char(0xD1); // U+0440-U+044F
            s[i + 1] = char(c1 - 0x20);
            return 2;
        }
        return 1;
    case 0xEF: // full-width Latin U+FF21-U+FF3A
        if (c1 == 0xBC && i + 2 < n) {
            const auto c2 = static_cast<unsigned char>(s[i + 2]);
            if (c2 >= 0xA1 && c2 <= 0xBA) {
                s[i + 1] = char(0xBD); // U+FF41-U+FF5A
                s[i + 2] = char(c2 - 0x20);
                return 3;
            }
        }
        return 1;
    default:
        return 1;
    }
}

} // namespace

int compareLocale(std::string_view a, std::string_view b) {
    if (a.size() > INT32_MAX || b.size() > INT32_MAX) return byteCompare(a, b);
    UErrorCode err = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(threadCollator(), a.data(), int32_t(a.size()),
                                                b.data(), int32_t(b.size()), &err);
    if (U_FAILURE(err) || r == UCOL_EQUAL) return byteCompare(a, b);
    return r == UCOL_LESS ? -1 : 1;
}

int compareLocaleNoCase(std::string_view a, std::string_view b) {
    // Reused buffers: sorting calls this very often.
    thread_local std::string la, lb;
    la.assign(a);
    lb.assign(b);
    lowerAnsiInPlace(la);
    lowerAnsiInPlace(lb);
    return compareLocale(la, lb);
}

std::string localeSortKey(std::string_view utf8) {
    if (utf8.size() > INT32_MAX / 2) return {};
    UErrorCode err = U_ZERO_ERROR;
    std::vector<UChar> u(utf8.size() + 1);
    int32_t ulen = 0;
    // Ill-formed bytes become U+FFFD, as ucol_strcollUTF8 treats them.
    u_strFromUTF8WithSub(u.data(), int32_t(u.size()), &ulen, utf8.data(), int32_t(utf8.size()),
                         0xFFFD, nullptr, &err);
    if (U_FAILURE(err)) return {};
    const UCollator* coll = threadCollator();
    std::string key(utf8.size() * 4 + 16, '\0');
    int32_t need = ucol_getSortKey(coll, u.data(), ulen, reinterpret_cast<uint8_t*>(key.data()),
                                   int32_t(key.size()));
    if (need > int32_t(key.size())) {
        key.resize(size_t(need));
        need = ucol_getSortKey(coll, u.data(), ulen, reinterpret_cast<uint8_t*>(key.data()),
                               int32_t(key.size()));
    }
    // The key ends with its only zero byte; the name's bytes follow it as the
    // tie-break, which keeps memcmp order equal to compareLocale order.
    key.resize(need > 0 ? size_t(need) : 0);
    if (key.empty() || key.back() != '\0') key.push_back('\0');
    key.append(utf8);
    return key;
}

void lowerAnsiInPlace(std::string& utf8) {
    char* s = utf8.data();
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) { // ASCII fast path
            if (c >= 'A' && c <= 'Z') s[i] = char(c + 0x20);
            ++i;
            continue;
        }
        i += foldAt(s, i, n);
    }
}

std::string lowerAnsi(std::string_view utf8) {
    std::string s(utf8);
    lowerAnsiInPlace(s);
    return s;
}

} // namespace zt
