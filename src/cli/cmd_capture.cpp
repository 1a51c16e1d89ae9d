#include "cli/commands.h"

namespace zt::cli {

int cmdCapture(const std::filesystem::path&, const Args&)
{
    error("not available yet");
    return kUsageOrIoError;
}

} // namespace zt::cli
