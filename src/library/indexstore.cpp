#include "library/indexstore.h"

#include "catalogue/stockpath.h"
#include "library/sidefiles.h"
#include "platform/datafiles.h"
#include "platform/datalock.h"
#include "platform/fileops.h"

#include <unordered_map>
#include <unordered_set>

namespace zt {

std::filesystem::path indexFilePath(const std::filesystem::path& dataDir, std::string_view stock) {
    return sideFilePath(dataDir, kStockIndexFile, stock);
}

namespace {

// The stamp of a stock's file as it is now; nullopt when it has none.
std::optional<FileStamp> stockStamp(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    return stockFile ? fileStamp(*stockFile) : std::nullopt;
}

} // namespace

IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock,
                      IndexCheck check) {
    const auto path = indexFilePath(dataDir, stock);
    if (!RandomAccessFile(path).ok()) return IndexState::Missing;
    const auto stamp = stockStamp(dataDir, stock);
    if (!stamp) return IndexState::Stale;
    if (auto index = NameIndex::read(path, *stamp))
        if (check == IndexCheck::Quick || index->checkWhole()) return IndexState::Fresh;
    // Told apart only for the report: a well-formed header of another stock
    // state or of another version.
    const auto header = readNameIndexHeader(path);
    if (header && (header->version != NameIndexHeader::kVersion || header->stock != *stamp))
        return IndexState::Stale;
    return IndexState::Damaged;
}

bool buildIndex(const std::filesystem::path& dataDir, std::string_view stock,
                std::vector<SummaryStock>* columns) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto indexFile = indexFilePath(dataDir, stock);
    // A folder that cannot take the index fails before the stock is read.
    if (!stockFile || !sideFolderWritable(indexFile.parent_path())) return false;
    const auto built = writeNameIndex(*stockFile, indexFile);
    if (built && columns)
        columns->push_back(
            {std::string(stock), built->stock, SummaryColumn::ofTrigrams(built->trigrams)});
    return built.has_value();
}

std::optional<NameIndex> openIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stamp = stockStamp(dataDir, stock);
    if (!stamp) return std::nullopt;
    return NameIndex::read(indexFilePath(dataDir, stock), *stamp);
}

std::filesystem::path summaryFilePath(const std::filesystem::path& dataDir) {
    return dataDir / kStockIndexFile.folder / "Catalogue.sum";
}

std::optional<CatalogueSummary> openSummary(const std::filesystem::path& dataDir) {
    std::shared_ptr<const RandomAccessFile> file = openSideFile(summaryFilePath(dataDir));
    if (!file) return std::nullopt;
    return CatalogueSummary::open(std::move(file));
}

namespace {

// Where a stock's bits in the new summary come from.
struct Planned {
    std::string name;
    FileStamp stamp;
    enum { Built, Kept, FromIndex } from = Kept;
    size_t at = 0; // in built, or the old summary's slot
};

// The stocks of the new summary, each with where its bits come from: those
// asked for first, in their order, then what the old one held that still holds.
std::vector<Planned> planSummary(const std::filesystem::path& dataDir,
                                 const std::vector<std::string>& stocks,
                                 const std::vector<SummaryStock>& built,
                                 const std::optional<CatalogueSummary>& old) {
    std::unordered_map<std::string_view, size_t> builtAt;
    for (size_t i = 0; i < built.size(); ++i)
        builtAt[built[i].name] = i;
    std::vector<Planned> plan;
    std::unordered_set<std::string_view> seen;
    const auto take = [&](const std::string& name) {
        if (plan.size() >= kMaxSummaryStocks || !seen.insert(name).second) return;
        const auto stamp = stockStamp(dataDir, name);
        if (!stamp) return;
        if (const auto b = builtAt.find(name); b != builtAt.end() && built[b->second].stamp == *stamp)
            plan.push_back({name, *stamp, Planned::Built, b->second});
        else if (const auto slot = old ? old->slotOf(name) : std::nullopt;
                 slot && old->stamp(*slot) == *stamp)
            plan.push_back({name, *stamp, Planned::Kept, *slot});
        else if (openIndex(dataDir, name)) // one without a fresh index stays out
            plan.push_back({name, *stamp, Planned::FromIndex, 0});
    };
    for (const std::string& name : stocks)
        take(name);
    if (old)
        for (size_t slot = 0; slot < old->stockCount(); ++slot)
            if (!seen.count(old->name(slot))) take(old->name(slot));
    return plan;
}

// True when the plan would write what the old summary already holds.
bool sameAsBefore(const std::vector<Planned>& plan, const std::optional<CatalogueSummary>& old) {
    if (!old || plan.size() != old->stockCount()) return false;
    for (size_t i = 0; i < plan.size(); ++i)
        if (plan[i].from != Planned::Kept || plan[i].at != i) return false;
    return true;
}

} // namespace

void refreshSummary(const std::filesystem::path& dataDir, const std::vector<std::string>& stocks,
                    std::vector<SummaryStock> built) {
    // A short wait: a summary not refreshed now only costs its stocks' speed.
    const auto lock =
        DataLock::acquire(dataDir, DataLock::Mode::Exclusive, std::chrono::milliseconds(500));
    if (!lock || !sideFolderWritable(summaryFilePath(dataDir).parent_path())) return;
    std::optional<CatalogueSummary> old = openSummary(dataDir);
    const std::vector<Planned> plan = planSummary(dataDir, stocks, built, old);
    if (sameAsBefore(plan, old)) return;
    std::optional<std::vector<SummaryColumn>> oldColumns;
    if (old) oldColumns = old->columns();
    std::vector<SummaryStock> next;
    next.reserve(plan.size());
    for (const Planned& p : plan) {
        if (p.from == Planned::Built) {
            next.push_back(std::move(built[p.at]));
        } else if (p.from == Planned::Kept && oldColumns) {
            next.push_back({p.name, p.stamp, std::move((*oldColumns)[p.at])});
        } else if (auto index = openIndex(dataDir, p.name)) {
            // A stock whose index is not fresh is left out until it is.
            if (auto trigrams = index->allTrigrams())
                next.push_back({p.name, index->builtFrom(), SummaryColumn::ofTrigrams(*trigrams)});
        }
    }
    (void)writeSideFile(summaryFilePath(dataDir), buildSummary(next), SideFileSync::Rebuildable);
}

} // namespace zt
