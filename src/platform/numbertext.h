#pragma once
// Numbers as the product writes them for people to read.
#include <string>

namespace zt {

// A number in decimal, grouped by threes: 1,234,567.
[[nodiscard]] std::string groupThousands(unsigned long long value);

} // namespace zt
