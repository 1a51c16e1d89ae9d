// The settings reader on arbitrary bytes: never crashes, and whatever it reads
// is written and read back unchanged (version aside).
#include "settings/settings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zt::Settings s;
    zt::parseSettings(std::string_view(reinterpret_cast<const char*>(data), size), s);
    s.version = zt::kSettingsFormatVersion;
    zt::Settings again;
    // Every value must come from the file (unsigned: width may be INT_MAX).
    again.width = int(unsigned(s.width) + 1u);
    if (!zt::parseSettings(zt::serializeSettings(s), again) || !(again == s)) std::abort();
    return 0;
}
