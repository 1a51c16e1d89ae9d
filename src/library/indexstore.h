#pragma once
// The name indexes in Data/Index: built when a stock is written, checked
// against their stock file before every use, built again when missing, stale
// (the stock file's stamp differs: its size, its times, or which file it is)
// or not to be trusted.
#include "index/catalogsummary.h"
#include "index/nameindex.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// be read or the index cannot be written. With `column`, the stock's bits in
// the catalogue summary are added to it (for refreshSummary).
bool buildIndex(const std::filesystem::path& dataDir, std::string_view stock,
                std::vector<SummaryStock>* columns = nullptr);

// The stock's index when it is fresh and checks out; nullopt otherwise.
[[nodiscard]] std::optional<NameIndex> openIndex(const std::filesystem::path& dataDir,
                                                   std::string_view stock);

} // namespace zt

namespace zt {

// Data/Index/Catalogue.sum (no stock's index: those end in .idx).
[[nodiscard]] std::filesystem::path summaryFilePath(const std::filesystem::path& dataDir);

// The catalogue summary when it is there and checks out; nullopt otherwise.
[[nodiscard]] std::optional<CatalogueSummary> openSummary(const std::filesystem::path& dataDir);

// Brings the summary up to date for these stocks, under the Data folder's
// lock (a folder another process holds is left as it is: a stock the summary
// lacks or holds stale is only searched through its own index). A stock's
// bits come from `built` (indexes this process just built), else from the
// summary when its stamp still holds, else from its fresh index; a stock
// with none of them is left out. Stocks the summary held besides these stay
// while their stamps hold. Nothing is written when nothing changed.
void refreshSummary(const std::filesystem::path& dataDir, const std::vector<std::string>& stocks,
                    std::vector<SummaryStock> built = {});

} // namespace zt
