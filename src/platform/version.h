#pragma once
// The program's version: the project's version number, and the git commit it
// was built from when it was built from a checkout.
#include <string_view>

namespace zt {

[[nodiscard]] std::string_view programVersion(); // e.g. "1.0" or "1.0 (a7b50bc)"

} // namespace zt
