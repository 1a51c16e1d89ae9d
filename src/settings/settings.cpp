#include "settings/settings.h"

namespace zt {

std::filesystem::path SettingsPath(const std::filesystem::path& dataDir) { return dataDir / "Setting.dat"; }

} // namespace zt
