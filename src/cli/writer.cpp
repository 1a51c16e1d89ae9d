#include "cli/writer.h"

#include "cli/output.h"
#include "cli/status.h"
#include "platform/textfile.h"
#include "platform/utf8.h"

#include <cstdio>
#include <cstdlib>

namespace zt::cli {

namespace {

constexpr size_t kBlock = 64 * 1024;

// True when the bytes at i encode a C1 control (U+0080-U+009F) in UTF-8.
bool isC1At(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

} // namespace

Output& Output::operator<<(std::string_view text) {
    if (failed_) return *this;
    buffer_.append(text);
    if (buffer_.size() >= kBlock) flush();
    return *this;
}

bool Output::flush() {
    if (!failed_ && !buffer_.empty() && !writeStandardOutput(buffer_, &why_)) failed_ = true;
    buffer_.clear();
    return !failed_;
}

int Output::finish(int status) {
    if (flush()) return status;
    printError("標準出力に書き込めません", why_);
    return kFileError;
}

Output& out() {
    static Output standard;
    return standard;
}

std::string jsonString(std::string_view text) {
    const std::string valid = rawBytesReplaced(text); // JSON is UTF-8 only
    const std::string_view utf8 = valid;
    std::string s = "\"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += char(c);
        } else if (c < 0x20 || c == 0x7F || isC1At(utf8, i)) {
            if (c == 0xC2) c = static_cast<unsigned char>(utf8[++i]);
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            s += buf;
        } else {
            s += char(c);
        }
    }
    s += '"';
    return s;
}

std::string jsonStrings(const std::vector<std::string>& texts) {
    std::string s = "[";
    for (size_t i = 0; i < texts.size(); ++i)
        s += (i ? "," : "") + jsonString(texts[i]);
    return s + ']';
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) v |= uint32_t(static_cast<unsigned char>(bytes[i + 2]));
        s += kDigits[(v >> 18) & 63];
        s += kDigits[(v >> 12) & 63];
        s += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        s += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
    }
    return s;
}

JsonLine& JsonLine::key(std::string_view key) {
    if (body_.size() > 1) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    return *this;
}

JsonLine& JsonLine::text(std::string_view k, std::string_view value) {
    key(k).body_ += jsonString(value);
    if (holdsRawBytes(value))
        json(std::string(k) + "Raw", '"' + base64(nativeBytesOf(value)) + '"');
    return *this;
}

JsonLine& JsonLine::number(std::string_view k, uint64_t value) {
    key(k).body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::flag(std::string_view k, bool value) {
    key(k).body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::time(std::string_view k, FileTime value) {
    key(k);
    if (value.isZero()) {
        body_ += "null";
        return *this;
    }
    const LocalDateTime d = toLocalDateTime(value);
    const int offset = std::abs(d.utcOffsetSeconds) / 60;
    char buf[64];
    std::snprintf(buf, sizeof buf, "\"%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d\"", d.year, d.month,
                  d.day, d.hour, d.minute, d.second, d.utcOffsetSeconds < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    body_ += buf;
    return *this;
}

JsonLine& JsonLine::json(std::string_view k, std::string_view value) {
    key(k).body_ += value;
    return *this;
}

} // namespace zt::cli
