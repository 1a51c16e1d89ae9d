// Arbitrary disc images through the image reader, both file systems: opening
// and listing never crash, never hang and never hand out more entries than
// the image could hold.
//
// The input is a sparse image, so that the fuzzer's small inputs can reach a
// UDF anchor 512 KiB in: records of a sector number (modulo 1024) and a
// length (2 bytes each, little-endian) and that many bytes (at most 2048) put
// at the start of that sector; everything else is zero. The seeds are
// small images made by xorriso, genisoimage and mkudffs in that form.
#include "image/imagereader.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <string>

namespace {

constexpr size_t kSector = 2048;
// Images of at most 2 MiB: room for the UDF anchors at 256 and at the end,
// small enough to make and read thousands of times a second.
constexpr size_t kMaxSectors = 1024;

std::string sparseImage(const uint8_t* data, size_t size) {
    std::map<size_t, std::string_view> sectors;
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t lba = (size_t(data[at]) | size_t(data[at + 1]) << 8) % kMaxSectors;
        const size_t length = size_t(data[at + 2]) | size_t(data[at + 3]) << 8;
        at += 4;
        const size_t n = std::min({kSector, length, size - at});
        sectors[lba] = std::string_view(reinterpret_cast<const char*>(data + at), n);
        at += n;
    }
    std::string image;
    if (sectors.empty()) return image;
    image.resize((sectors.rbegin()->first + 1) * kSector);
    for (const auto& [lba, bytes] : sectors)
        image.replace(lba * kSector, bytes.size(), bytes);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string image = sparseImage(data, size);
    auto file = std::make_shared<zt::RandomAccessFile>(zt::RandomAccessFile::inMemory(image));
    zt::OpenedImage opened = zt::openImage(file);
    if (opened.status != zt::ImageOpenStatus::Opened) return 0;
    uint64_t count = 0;
    zt::ImageEntry e;
    while (opened.reader->next(e)) {
        if (++count > zt::imageEntryBudget(image.size())) std::abort();
        if (e.path.empty()) std::abort();
    }
    return 0;
}
