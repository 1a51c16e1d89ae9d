// Arbitrary bytes as a name index: reading it never crashes or reads out of
// bounds, and what it yields stays within its records. Arbitrary bytes as a
// stock file: the index built of them always opens and finds every record
// whose name holds the text.
#include "index/nameindex.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zt;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    // As an index, with the stamp it names itself (so the checks go deeper).
    FileStamp stamp;
    if (size >= 32) {
        std::memcpy(&stamp.size, data + 16, 8);
        std::memcpy(&stamp.modifiedNs, data + 24, 8);
    }
    if (auto index = NameIndex::open(in, stamp)) {
        for (uint32_t r = 0; r < index->recordCount() && r < 200; ++r)
            (void)index->recordOffset(r);
        for (size_t f = 0; f < index->folderRecords().size() && f < 200; ++f) {
            (void)index->folderName(f);
            const uint32_t parent = index->folderParents()[f];
            check(parent == NameIndex::kNoParent || parent < f);
        }
        (void)index->checkWhole();
        const std::string_view text = in.substr(0, std::min<size_t>(size, 6));
        if (const auto found = index->candidates(trigramsOf(text)))
            for (uint32_t r : *found)
                check(r < index->recordCount());
    }
    // As a stock file.
    const FileStamp made{size, 7};
    const std::string built = buildNameIndex(in, made);
    const auto index = NameIndex::open(built, made);
    check(index.has_value());
    for (uint32_t r = 0; r < index->recordCount(); ++r)
        check(index->recordOffset(r) < size);
    auto whole = NameIndex::open(built, made);
    check(whole && whole->checkWhole());
    return 0;
}
