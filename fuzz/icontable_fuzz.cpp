// icon.dat is read from the Data folder, which the user may edit: the parser
// must take any bytes, and what it accepts must keep the sample file in its folder.
#include "browser/icontable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zt::IconListFile list =
        zt::parseIconList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (list.declaredCount <= 0 && !list.extensions.empty()) std::abort();
    if (list.extensions.size() > size_t(list.declaredCount > 0 ? list.declaredCount : 0))
        std::abort();
    for (const std::string& ext : list.extensions) {
        if (ext.empty() || ext == "." || ext == ".." || ext.find('/') != std::string::npos ||
            ext.find('\0') != std::string::npos)
            std::abort();
    }
    return 0;
}
