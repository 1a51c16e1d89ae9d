#include "settings/sidesettings.h"

#include "platform/codec.h"
#include "platform/datafiles.h"
#include "platform/textfile.h"

namespace zt {

namespace {

constexpr std::string_view kChecksums = "checksums=";
constexpr std::string_view kColourScheme = "colour-scheme=";

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
        if (line.starts_with(kChecksums))
            s.recordChecksums = line.substr(kChecksums.size()) != "0";
        else if (line.starts_with(kColourScheme))
            s.colourScheme = line.substr(kColourScheme.size());
        else if (!line.empty())
            s.otherLines.push_back(line);
    }
    return s;
}

bool saveSideSettings(const std::filesystem::path& dataDir, const SideSettings& settings) {
    TextFileBuilder out;
    out.line(std::string(kChecksums) + (settings.recordChecksums ? "1" : "0"));
    out.line(std::string(kColourScheme) + settings.colourScheme);
    for (const std::string& line : settings.otherLines)
        out.line(line);
    return writeSideFile(fileOf(dataDir), out.bytes());
}

} // namespace zt
