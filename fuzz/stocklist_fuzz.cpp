// Arbitrary stock names: a name either stays a plain file inside Data that is
// none of the program's own files, or touches no file at all.
#include "catalogue/stockpath.h"
#include "platform/codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zt;
    const std::filesystem::path dataDir = "/nonexistent/Data";
    // As raw UTF-8 (a name typed in) and as a line of StockList.dat.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    for (const std::string& name : {raw, cp932::decode(raw)}) {
        const auto p = stockFilePath(dataDir, name);
        check(p.has_value() == isSafeStockName(name));
        if (!p) continue;
        check(p->parent_path() == dataDir);
        check(p->filename().string() == name + ".dat");
        const std::string file = lowered(p->filename().string());
        check(file != "stocklist.dat" && file != "setting.dat");
        check(p->lexically_normal() == *p);
    }
    return 0;
}
