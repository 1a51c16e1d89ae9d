#include "settings/sidesettings.h"

#include "platform/codec.h"
#include "platform/datafiles.h"
#include "platform/textfile.h"

namespace zt {

namespace {

std::filesystem::path fileOf(const std::filesystem::path& dataDir) {
    return dataDir / "Options" / "options.txt";
}

} // namespace

SideSettings loadSideSettings(const std::filesystem::path& dataDir) {
    SideSettings s;
    const auto bytes = readSideFile(fileOf(dataDir), size_t(64) << 10);
    if (!bytes) return s;
    LineCursor in(*bytes);
    std::string_view raw;
    while (in.next(raw)) {
        const std::string line = cp932::decode(raw);
        if (line.starts_with("checksums=")) s.recordChecksums = line.substr(10) != "0";
    }
    return s;
}

bool saveSideSettings(const std::filesystem::path& dataDir, const SideSettings& settings) {
    TextFileBuilder out;
    out.line(std::string("checksums=") + (settings.recordChecksums ? "1" : "0"));
    return writeSideFile(fileOf(dataDir), out.bytes());
}

} // namespace zt
