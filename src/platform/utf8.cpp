#include "platform/utf8.h"

namespace zt {

size_t utf8SequenceLength(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (size_t k = 2; k < len; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return len;
}

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = utf8SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string replaceInvalidUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    for (size_t i = 0; i < s.size();) {
        const size_t n = utf8SequenceLength(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string_view utf8Prefix(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    size_t cut = maxBytes;
    while (cut > 0 && isUtf8Continuation(s[cut]))
        --cut;
    return s.substr(0, cut);
}

std::string_view utf8Suffix(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    size_t start = s.size() - maxBytes;
    while (start < s.size() && isUtf8Continuation(s[start]))
        ++start;
    return s.substr(start);
}

char32_t decodeUtf8(std::string_view s, size_t& pos) {
    const size_t n = utf8SequenceLength(s, pos);
    if (n == 0) {
        ++pos;
        return U'\uFFFD';
    }
    const auto b = [&](size_t k) { return char32_t(static_cast<unsigned char>(s[pos + k])); };
    char32_t cp = n == 1 ? b(0) : n == 2 ? (b(0) & 0x1F) : n == 3 ? (b(0) & 0x0F) : (b(0) & 0x07);
    for (size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (b(k) & 0x3F);
    pos += n;
    return cp;
}

} // namespace zt
