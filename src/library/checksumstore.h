#pragma once
// The content checksums of a stock, kept in Data/Sums/<name>.sum (see
// integrity/checksums.h for the file). A checksum file is used only when it
// parses whole and was made for the stock file as it is now (its size and
// modification time); anything else is "unusable", never half-trusted.
#include "integrity/checksums.h"

#include <filesystem>
#include <string_view>

namespace zt {

enum class SumsState { Missing, Usable, Unusable };

[[nodiscard]] SumsState loadChecksums(const std::filesystem::path& dataDir, std::string_view name,
                                      ChecksumSet& out);
// Stamps the set with the stock file as it is now and saves it atomically;
// false when either fails (nothing else changes then).
[[nodiscard]] bool saveChecksums(const std::filesystem::path& dataDir, std::string_view name,
                                 ChecksumSet& set);
void removeChecksums(const std::filesystem::path& dataDir, std::string_view name);

} // namespace zt
