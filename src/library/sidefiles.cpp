#include "library/sidefiles.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace zt {

namespace {
constexpr SideFileKind kKinds[] = {kStockInfoFile, kStockIndexFile};
} // namespace

std::filesystem::path sideFilePath(const std::filesystem::path& dataDir, SideFileKind kind,
                                   std::string_view name) {
    return dataDir / kind.folder / (std::string(name) + kind.extension);
}

void moveSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                   std::string_view newName) {
    for (const SideFileKind& k : kKinds) {
        const auto from = sideFilePath(dataDir, k, oldName);
        const auto to = sideFilePath(dataDir, k, newName);
        if (std::rename(from.c_str(), to.c_str()) != 0) {
            std::error_code ec;
            std::filesystem::remove(to, ec); // never leave another stock's facts behind
        }
    }
}

void removeSideFiles(const std::filesystem::path& dataDir, std::string_view name) {
    for (const SideFileKind& k : kKinds) {
        std::error_code ec;
        std::filesystem::remove(sideFilePath(dataDir, k, name), ec);
    }
}

} // namespace zt
