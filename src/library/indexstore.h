#pragma once
// The name indexes in Data/Index: built when a stock is written, checked
// against their stock file before every use, built again when missing, stale
// (the stock file's stamp differs: its size, its times, or which file it is)
// or not to be trusted.
#include "index/nameindex.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace zt {

enum class IndexState { Fresh, Missing, Stale, Damaged };

[[nodiscard]] std::filesystem::path indexFilePath(const std::filesystem::path& dataDir,
                                                  std::string_view stock);

// The state of a stock's index against its stock file as it is now. A quick
// look checks what every open checks (the header and the page directory); a
// thorough one reads and checks every part.
enum class IndexCheck { Quick, Thorough };
[[nodiscard]] IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock,
                                    IndexCheck check = IndexCheck::Quick);

// Builds (or builds again) a stock's index; false when the stock file cannot
// be read or the index cannot be written.
bool buildIndex(const std::filesystem::path& dataDir, std::string_view stock);

// The stock's index when it is fresh and checks out; nullopt otherwise.
[[nodiscard]] std::optional<NameIndex> openIndex(const std::filesystem::path& dataDir,
                                                   std::string_view stock);

} // namespace zt
