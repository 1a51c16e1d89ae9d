#include "cli/commands.h"

namespace zt::cli {

int cmdExport(const std::filesystem::path&, const Args&)
{
    error("not available yet");
    return kUsageOrIoError;
}
int cmdRename(const std::filesystem::path&, const Args&)
{
    error("not available yet");
    return kUsageOrIoError;
}
int cmdDelete(const std::filesystem::path&, const Args&)
{
    error("not available yet");
    return kUsageOrIoError;
}
int cmdMove(const std::filesystem::path&, const Args&)
{
    error("not available yet");
    return kUsageOrIoError;
}

} // namespace zt::cli
