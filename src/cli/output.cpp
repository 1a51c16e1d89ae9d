#include "cli/output.h"

#include "cli/writer.h"
#include "platform/direnum.h"
#include "platform/utf8.h"

#include <cstdio>
#include <iostream>

namespace zt::cli {

namespace {

void appendReference(std::string& out, uint32_t code) {
    out += "&#";
    out += std::to_string(code);
    out += ';';
}

// True when text at i holds "&#" digits ";", which reading would turn back
// into a character.
bool startsReference(std::string_view text, size_t i) {
    if (text.compare(i, 2, "&#") != 0) return false;
    size_t j = i + 2;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9')
        ++j;
    return j > i + 2 && j < text.size() && text[j] == ';';
}

// True when the bytes at i encode a C1 control (U+0080-U+009F) in UTF-8.
bool isC1At(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

// Text that already holds raw bytes: they are kept, any other stray byte
// becomes U+FFFD.
std::string heldText(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const size_t n = rawByteAt(s, i) >= 0 ? 3 : utf8SequenceLength(s, i);
        out += n ? s.substr(i, n) : std::string_view("\uFFFD");
        i += n ? n : 1;
    }
    return out;
}

std::string escape(std::string_view raw, bool escapeBackslash) {
    // Bytes that are no UTF-8 (a name typed in another encoding) could be
    // read as controls by a terminal: they become text first.
    // Raw name bytes are told apart from text by the decoding, so they are
    // kept as they are and shown as their own references.
    const std::string valid = holdsRawBytes(raw) ? heldText(raw) : displayNameOfNative(raw);
    const std::string_view text = valid;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (const int b = rawByteAt(text, i); b >= 0) {
            appendReference(out, 0xDC00 + uint32_t(b));
            i += 2;
        } else if (c < 0x20 || c == 0x7F) {
            appendReference(out, c);
        } else if (isC1At(text, i)) {
            appendReference(out, static_cast<unsigned char>(text[++i])); // C1: U+0080-U+009F
        } else if (c == '\\' && escapeBackslash) {
            appendReference(out, '\\');
        } else if (c == '&' && startsReference(text, i)) {
            appendReference(out, '&');
        } else {
            out += char(c);
        }
    }
    return out;
}

} // namespace

std::string escapeName(std::string_view utf8) {
    return escape(utf8, true);
}

std::string escapeMessage(std::string_view utf8) {
    return escape(utf8, false);
}

void printError(std::string_view message) {
    (void)out().flush(); // what came before the message is seen before it
    std::cerr << escapeMessage(message) << '\n';
}

void printError(std::string_view message, std::string_view detail) {
    if (detail.empty()) {
        printError(message);
        return;
    }
    (void)out().flush();
    std::cerr << escapeMessage(message) << ": " << escapeMessage(detail) << '\n';
}

} // namespace zt::cli
