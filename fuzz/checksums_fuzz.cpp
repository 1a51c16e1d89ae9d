// Arbitrary checksum side files: a file is either refused whole or read into
// a set that writes back to the very same bytes; nothing a file states makes
// the reader hold more records than its bound.
#include "integrity/checksums.h"
#include "library/stockinfo.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zt;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t bound = 64;
    ChecksumSet set;
    if (parseChecksums(bytes, bound, set) == ChecksumParse::Ok) {
        check(set.fileCount() + set.folderCount() <= bound);
        ChecksumSet again;
        const std::string written = serializeChecksums(set);
        check(parseChecksums(written, bound, again) == ChecksumParse::Ok);
        check(serializeChecksums(again) == written);
    } else {
        check(set.fileCount() == 0 && set.folderCount() == 0);
    }
    // The same bytes as a facts file, whose verify facts are read beside the others.
    const StockInfo info = parseStockInfo(bytes);
    (void)verifyText(info.lastVerify);
    (void)stockInfoTexts(info);
    return 0;
}
