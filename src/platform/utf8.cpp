#include "platform/utf8.h"

#include <unicode/uchar.h>

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

int rawByteAt(std::string_view s, size_t i) {
    if (i + 2 >= s.size() || static_cast<unsigned char>(s[i]) != 0xED) return -1;
    const auto b1 = static_cast<unsigned char>(s[i + 1]), b2 = static_cast<unsigned char>(s[i + 2]);
    if ((b1 != 0xB2 && b1 != 0xB3) || (b2 & 0xC0) != 0x80) return -1;
    return 0x80 | ((b1 & 1) << 6) | (b2 & 0x3F);
}

void appendRawByte(std::string& out, unsigned char byte) {
    out += char(0xED);
    out += char(0xB2 | ((byte >> 6) & 1));
    out += char(0x80 | (byte & 0x3F));
}

bool holdsRawBytes(std::string_view s) {
    for (size_t i = s.find('\xED'); i != std::string_view::npos; i = s.find('\xED', i + 1))
        if (rawByteAt(s, i) >= 0) return true;
    return false;
}

std::string nativeBytesOf(std::string_view name) {
    if (!holdsRawBytes(name)) return std::string(name);
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (const int b = rawByteAt(name, i); b >= 0) {
            out += char(b);
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string rawBytesReplaced(std::string_view s) {
    if (!holdsRawBytes(s)) return replaceInvalidUtf8(s);
    std::string out;
    out.reserve(s.size());
    size_t from = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (rawByteAt(s, i) < 0) continue;
        out += replaceInvalidUtf8(s.substr(from, i - from));
        out += "\xEF\xBF\xBD"; // one U+FFFD for the one byte
        from = i + 3;
        i += 2;
    }
    return out + replaceInvalidUtf8(s.substr(from));
}

std::string keepBytesRaw(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    for (size_t i = 0; i < s.size();) {
        if (const size_t n = utf8SequenceLength(s, i)) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            appendRawByte(out, static_cast<unsigned char>(s[i++]));
        }
    }
    return out;
}

int terminalColumns(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 0;
    const auto cp = UChar32(c);
    const auto kind = u_charType(cp);
    if (kind == U_NON_SPACING_MARK || kind == U_ENCLOSING_MARK || kind == U_FORMAT_CHAR) return 0;
    const int width = u_getIntPropertyValue(cp, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

std::string_view columnsPrefix(std::string_view s, int maxColumns) {
    int used = 0;
    for (size_t pos = 0; pos < s.size();) {
        const size_t at = pos;
        used += terminalColumns(decodeUtf8(s, pos));
        if (used > maxColumns) return s.substr(0, at);
    }
    return s;
}

int columnsOf(std::string_view s) {
    int used = 0;
    for (size_t pos = 0; pos < s.size();)
        used += terminalColumns(decodeUtf8(s, pos));
    return used;
}

} // namespace zt
