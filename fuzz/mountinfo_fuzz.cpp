// Arbitrary mount tables and volume names: parsing never fails, and any label or
// folder name turns into a stock name that can be a file inside Data.
#include "capture/capture.h"
#include "capture/drives.h"
#include "library/names.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zt;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const MountEntry& m : parseMountInfo(text)) {
        check(m.mountPoint.size() <= text.size());
        (void)isPseudoFileSystem(m.fsType);
    }
    const std::string label = decodeLabelName(text);
    check(label.size() <= text.size());
    check(unescapeMountField(text).size() <= text.size());

    const std::string name = uniqueStockName(stockNameBase(label), {}, "/nonexistent/Data");
    check(isSafeStockName(name));
    check(name.size() <= 210);
    check(!hasControlCharacter(name) && !isWindowsReservedName(name));
    check(name.find_first_of("\\/:*?\"<>|") == std::string::npos);
    (void)folderDisplayName(text);
    return 0;
}
