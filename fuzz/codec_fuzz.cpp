// Arbitrary bytes through the codec: decoding never fails, whatever was read
// is written back so that it reads the same, and writing never produces a
// line break that would split a record.
#include "platform/codec.h"
#include "platform/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    namespace cp = zt::cp932;

    // Bytes read from a file, written back and read again, give the same text.
    const std::string text = cp::decode(in);
    const std::string written = cp::encode(text);
    check(!hasLineBreak(written));
    check(cp::isValid(written));
    check(cp::decode(written) == text);

    // Bytes taken as a name (possibly ill-formed UTF-8): no line break, and
    // writing what reads back gives the same bytes again.
    const std::string asName = cp::encode(in);
    check(!hasLineBreak(asName));
    check(cp::encode(cp::decode(asName)) == asName);

    // A file name's bytes, raw bytes held as such, survive the stock file
    // and come back as the very bytes.
    const std::string held = zt::keepBytesRaw(in);
    check(cp::decode(cp::encode(held)) == held);
    check(zt::nativeBytesOf(held) == in);

    // Valid CP932 never reads as a replacement character.
    if (cp::isValid(in)) check(cp::decodePlain(in).find("\uFFFD") == std::string::npos);
    return 0;
}
