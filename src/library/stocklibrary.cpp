#include "library/stocklibrary.h"

#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "library/checksumstore.h"
#include "library/indexstore.h"
#include "library/names.h"
#include "library/sidefiles.h"
#include "platform/collate.h"
#include "platform/datadir.h"
#include "platform/datalock.h"
#include "platform/fileops.h"
#include "platform/textfile.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace zt {

namespace fs = std::filesystem;

std::string messageCannotOpen(const fs::path& p) {
    return "ファイル " + p.string() + " は開けません";
}

std::string messageCannotCreate(const fs::path& p) {
    return "ファイル " + p.string() + " を作成できません";
}

std::string messageStockChanged(std::string_view name) {
    return "ストック " + std::string(name) + " は変更されました。もう一度読み込んでください";
}

std::string messageCannotOpenLock(const fs::path& p) {
    return "ロックファイル " + p.string() + " を開けません";
}

std::string messageSideFolderRefused(const fs::path& p) {
    return "フォルダ " + p.string() + " はリンクかフォルダでないため使えません";
}

std::string messageNoSuchStock(std::string_view name) {
    return "ストック " + std::string(name) + " はありません";
}

std::string messageNoSuchFolder(std::string_view path) {
    return "フォルダ " + std::string(path) + " はありません";
}

std::string messageNameNotAllowed(std::string_view name) {
    return "ストック名 " + std::string(name) + " は使えません";
}

std::string messageMountOrReadable(std::string_view device) {
    return "ディスクをマウントするか、デバイス " + std::string(device) + " を読めるようにしてください";
}

std::string messageOtherFileSystemFolders(int count) {
    return "別のファイルシステムのフォルダ " + std::to_string(count) + " 個は読み込みませんでした";
}

std::optional<int> stockMoveTarget(int count, int index, MoveDirection dir) {
    if (index < 0 || index >= count) return std::nullopt;
    const int target = dir == MoveDirection::Up ? index - 1 : index + 1;
    if (target < 0 || target >= count) return std::nullopt;
    return target;
}

const FolderNode* findFolder(const FolderTree& tree, std::string_view path) {
    const FolderNode* node = tree.root();
    while (node && !path.empty()) {
        // "\" as the stock's own paths write it, or "/" as a shell user types
        // it: no stored name holds either.
        const size_t cut = path.find_first_of("\\/");
        // A name typed with bytes that are no text meets its raw bytes.
        const std::string typed = keepBytesRaw(path.substr(0, cut));
        const std::string_view part = typed;
        path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
        if (part.empty()) continue;
        const FolderNode* exact = nullptr;
        const FolderNode* caseBlind = nullptr;
        int caseBlindCount = 0;
        for (const FolderNode* c : node->children) {
            if (c->name == part) {
                exact = c;
                break;
            }
            if (compareLocaleNoCase(c->name, part) == 0 && caseBlindCount++ == 0) caseBlind = c;
        }
        node = exact ? exact : (caseBlindCount == 1 ? caseBlind : nullptr);
    }
    return node;
}

namespace {

StockResult failure(StockFailure f, std::string message) {
    return StockResult::fail(f, std::move(message));
}

template <class T> StockOutcome<T> failed(const StockResult& r) {
    StockOutcome<T> out;
    static_cast<StockResult&>(out) = r;
    return out;
}

template <class T> StockOutcome<T> succeeded(T value) {
    StockOutcome<T> out;
    out.value = std::move(value);
    return out;
}

// The row of a list entry: the hinted row when it still holds the name, else
// the first entry of that name; -1 when none does.
int rowOf(const std::vector<std::string>& names, const StockRef& ref) {
    if (ref.row >= 0 && size_t(ref.row) < names.size() && names[size_t(ref.row)] == ref.name)
        return ref.row;
    const auto it = std::find(names.begin(), names.end(), ref.name);
    return it == names.end() ? -1 : int(it - names.begin());
}

// The names a list may take without any system refusing the file.
bool adoptableName(std::string_view name) {
    static constexpr std::string_view kWindowsForbidden = "\\/:*?\"<>|";
    return isSafeStockName(name) && !hasControlCharacter(name) && !isWindowsReservedName(name) &&
           name.find_first_of(kWindowsForbidden) == std::string_view::npos;
}

} // namespace

StockLibrary::StockLibrary(fs::path dataDir) : dataDir_(std::move(dataDir)) {}

fs::path StockLibrary::listPath() const {
    return stockListPath(dataDir_);
}

StockOutcome<std::vector<std::string>> StockLibrary::names(bool missingIsEmpty) const {
    auto names = loadStockList(dataDir_);
    if (names) return succeeded(std::move(*names));
    // A list that is simply not there is empty; one that is there but cannot
    // be read must never be replaced by what was not read.
    if (!existsInAnyForm(listPath())) {
        if (missingIsEmpty) return succeeded(std::vector<std::string>{});
        return failed<std::vector<std::string>>(
            failure(StockFailure::CannotOpen, messageCannotOpen(listPath())));
    }
    return failed<std::vector<std::string>>(
        failure(StockFailure::ListUnreadable, messageCannotOpen(listPath())));
}

std::optional<fs::path> StockLibrary::stockFile(std::string_view name) const {
    return stockFilePath(dataDir_, name);
}

namespace {
void (*afterListSaved)() = nullptr;
} // namespace

void setAfterListSaved(void (*hook)()) {
    afterListSaved = hook;
}

namespace {

// The Data folder's lock for a change; a failure tells a folder another
// program holds from one that cannot be written.
StockResult lockData(const StockLibrary& library, std::optional<DataLock>& lock) {
    bool busy = false;
    lock = DataLock::acquire(library.dataDir(), DataLock::Mode::Exclusive, std::chrono::seconds(10),
                             &busy);
    if (!lock && busy) return failure(StockFailure::DataBusy, std::string(kMessageDataBusy));
    if (!lock)
        return failure(StockFailure::CannotCreate,
                       messageCannotOpenLock(library.dataDir() / DataLock::kFileName));
    return {};
}

// Runs change(names) on the current list under the Data folder's lock and
// saves the list when change returns success and asked for it.
template <class Change>
StockResult changeList(const StockLibrary& library, bool& save, Change&& change) {
    std::optional<DataLock> lock;
    if (StockResult locked = lockData(library, lock); !locked.ok()) return locked;
    // What killed writers left behind goes while nobody else changes Data.
    removeDataTemporaries(library.dataDir());
    auto names = library.names();
    if (!names.ok()) return names;
    // And the side files of stocks that a kill kept from going with them.
    removeOrphanSideFiles(library.dataDir(), names.value);
    save = false;
    StockResult r = change(names.value);
    if (!r.ok() || !save) return r;
    if (!saveStockList(library.dataDir(), names.value))
        return failure(StockFailure::CannotCreate, messageCannotCreate(library.listPath()));
    if (afterListSaved) afterListSaved();
    return r;
}

// After a change: the index of the stock it wrote (when one did), then the
// catalogue summary brought to the list as it is now. Both are conveniences
// a search builds again when they are missing.
void indexAndSummarise(const fs::path& dataDir, std::string_view written = {}) {
    std::vector<SummaryStock> built;
    if (!written.empty()) (void)buildIndex(dataDir, written, &built);
    if (const auto listed = loadStockList(dataDir)) refreshSummary(dataDir, *listed, std::move(built));
}

} // namespace

std::optional<FileIdentity> StockLibrary::stockIdentity(std::string_view name) const {
    const auto path = stockFile(name);
    return path ? fileIdentity(*path) : std::nullopt;
}

StockOutcome<OpenedStock> StockLibrary::open(std::string_view name,
                                             const OpenCallbacks& callbacks) const {
    const auto listed = names();
    if (!listed.ok()) return failed<OpenedStock>(listed);
    if (std::find(listed.value.begin(), listed.value.end(), name) == listed.value.end())
        return failed<OpenedStock>(failure(StockFailure::NoSuchStock, messageNoSuchStock(name)));
    return openListed(name, callbacks);
}

StockOutcome<OpenedStock> StockLibrary::openListed(std::string_view name,
                                                   const OpenCallbacks& callbacks) const {
    const auto path = stockFile(name);
    if (!path)
        return failed<OpenedStock>(failure(StockFailure::NameRefused, messageNameNotAllowed(name)));
    StockOutcome<OpenedStock> out;
    const StockReadResult r = readStockFile(*path, std::string(name), out.value.tree,
                                            callbacks.onHeader, callbacks.cancelled);
    if (r.status == StockReadStatus::CannotOpen)
        return failed<OpenedStock>(failure(StockFailure::CannotOpen, messageCannotOpen(*path)));
    if (r.status == StockReadStatus::Cancelled) {
        out.value.tree.clear();
        return failed<OpenedStock>(failure(StockFailure::Cancelled, {}));
    }
    out.value.formatMark = r.formatMark;
    out.value.tree.sortAll();
    return out;
}

namespace {

SourceFacts factsOf(const fs::path& source, const CaptureResult& read) {
    return read.image ? imageFactsOf(source, *read.image) : sourceFactsOf(source);
}

// What the user is told of a source that could not be read: a disc in a
// drive that no one mounted needs the device to be readable.
std::string unreadableSourceMessage(const fs::path& source) {
    std::error_code ec;
    if (fs::is_block_file(source, ec)) return messageMountOrReadable(source.string());
    return std::string(kMessageInvalidSource);
}

CaptureOutcome captureFailed(const StockResult& r, std::string detail = {}) {
    CaptureOutcome out;
    static_cast<StockResult&>(out) = r;
    if (!detail.empty()) out.detail = std::move(detail);
    return out;
}

// A capture whose content could not be read to the end keeps nothing.
CaptureOutcome hashFailed(const HashPass& pass) {
    if (pass.end == PassEnd::Cancelled) return captureFailed(failure(StockFailure::Cancelled, {}));
    return captureFailed(failure(StockFailure::NoSource, std::string(kMessageMediumGone)),
                         pass.goneError ? std::strerror(pass.goneError) : "");
}

} // namespace

CaptureOutcome StockLibrary::capture(const CaptureRequest& request, FolderTree& tree,
                                     const CaptureCallbacks& callbacks,
                                     const ChecksumOptions& checksums) {
    if (const auto listed = names(); !listed.ok()) return captureFailed(listed);
    const bool named = request.name && !request.name->empty();
    if (named && (!adoptableName(*request.name) ||
                  request.name->find_first_of(kForbiddenNameChars) != std::string::npos))
        return captureFailed(
            failure(StockFailure::NameRefused, std::string(kMessageNameForbidden)));

    const CaptureResult read = captureSource(request.source, request.rootText, tree, callbacks);
    if (read.status == CaptureStatus::Cancelled)
        return captureFailed(failure(StockFailure::Cancelled, {}));
    if (read.status == CaptureStatus::NotAnImage)
        return captureFailed(
            failure(StockFailure::NoSource, messageNotAnImage(request.source.string())));
    if (read.status == CaptureStatus::NothingFound)
        return captureFailed(failure(StockFailure::NoSource, unreadableSourceMessage(request.source)),
                             read.error);
    // An image names itself: its label, else its file name.
    const std::string rootText = read.image ? tree.root()->name : request.rootText;
    // The content is read after the tree, whoever writes the stock and however.
    // The files of an image are inside it, not at their paths: no sums for now.
    std::optional<HashPass> hashed;
    if (checksums.mode != ChecksumMode::Keep && !read.image) {
        hashed = hashTree(request.source, tree, checksums.content);
        if (hashed->end != PassEnd::Completed) {
            tree.clear();
            return hashFailed(*hashed);
        }
    }

    if (callbacks.onStoring) callbacks.onStoring();
    // The file is written before the lock is taken (it may be large) and gets
    // its name under the lock, together with the list entry.
    AtomicFileWriter file(dataDir_ / "capture.dat", AtomicFileWriter::FollowLinks::No);
    // Streamed: the tree is held already, its file is never held whole beside it.
    streamStock(tree, [&file](std::string_view piece) { file.write(piece); });
    std::string chosen;
    bool save = false;
    const StockResult r = changeList(*this, save, [&](std::vector<std::string>& names) {
        if (named) {
            chosen = *request.name;
            if (stockNameTaken(names, chosen) || existsInAnyForm(*stockFile(chosen)))
                return failure(StockFailure::NameRefused, std::string(kMessageNameTaken));
        } else {
            chosen = uniqueStockName(stockNameBase(rootText), names, dataDir_);
        }
        const auto path = stockFile(chosen);
        if (!path || !file.commitAs(*path, true))
            return failure(StockFailure::CannotCreate,
                           messageCannotCreate(dataDir_ / (chosen + ".dat")));
        names.push_back(chosen);
        save = true;
        return StockResult{};
    });
    if (!r.ok()) {
        // The list would not name the file: take it back rather than leave a stray.
        if (r.failure == StockFailure::CannotCreate && save)
            std::remove(stockFile(chosen)->c_str());
        tree.clear();
        return captureFailed(r);
    }
    removeSideFiles(dataDir_, chosen); // leftovers of an older stock of that name
    tree.root()->name = chosen;
    // The facts are a convenience: a stock without them still opens and shows
    // what its file tells.
    (void)writeStockInfo(dataDir_, chosen, infoOfCapture(factsOf(request.source, read), tree,
                                                        nowFileTime()));
    indexAndSummarise(dataDir_, chosen); // else built when it is first needed
    CaptureOutcome out;
    if (hashed) {
        out.checksumsSaved = saveChecksums(dataDir_, chosen, hashed->sums);
        out.unreadableFiles = hashed->unreadable;
    }
    out.value = chosen;
    out.otherFileSystemFolders = read.otherFileSystemFolders;
    out.incomplete = read.incomplete;
    out.problem = read.problem;
    return out;
}

std::string StockLibrary::checkRename(const StockRef& stock, std::string_view newName) const {
    const auto listed = names();
    if (!listed.ok()) return listed.message;
    const int row = rowOf(listed.value, stock);
    if (row < 0) return messageNoSuchStock(stock.name);
    return validateStockRename(dataDir_, listed.value, row, newName);
}

StockResult StockLibrary::rename(const StockRef& stock, std::string_view newName) {
    fs::path oldPath, newPath;
    bool oneFile = false, wroteNew = false, keepOld = false, save = false;
    const StockResult r = changeList(*this, save, [&](std::vector<std::string>& names) {
        const int row = rowOf(names, stock);
        if (row < 0) return failure(StockFailure::NoSuchStock, messageNoSuchStock(stock.name));
        if (const std::string m = validateStockRename(dataDir_, names, row, newName); !m.empty())
            return failure(StockFailure::NameRefused, m);
        if (names[size_t(row)] == newName) return StockResult{};
        const auto from = stockFile(stock.name);
        if (!from) return failure(StockFailure::NameRefused, messageNameNotAllowed(stock.name));
        oldPath = *from;
        newPath = *stockFile(newName);
        oneFile = sameStockFile(oldPath, newPath);
        // The new file first: a kill now leaves an unlisted copy, never a loss.
        if (oneFile ? !renameFile(oldPath, newPath) : !linkOrCopyFile(oldPath, newPath)) {
            if (!existsInAnyForm(oldPath))
                return failure(StockFailure::CannotOpen, messageCannotOpen(oldPath));
            return failure(StockFailure::CannotCreate, messageCannotCreate(newPath));
        }
        wroteNew = !oneFile;
        // The side files too, before the list names the new name: a kill
        // from here on leaves them with whichever name is listed.
        if (!oneFile) linkSideFiles(dataDir_, stock.name, newName);
        names[size_t(row)] = std::string(newName);
        // Another entry of the old name (a hand-edited list) keeps the old file.
        keepOld = std::find(names.begin(), names.end(), stock.name) != names.end();
        save = true;
        return StockResult{};
    });
    if (!r.ok()) {
        if (wroteNew && r.failure == StockFailure::CannotCreate) {
            std::remove(newPath.c_str());
            removeSideFiles(dataDir_, newName);
        }
        return r;
    }
    if (!save || keepOld) return r;
    if (oneFile) {
        // One file under both names (a file system blind to letter case):
        // its side files are renamed, as it was.
        renameSideFiles(dataDir_, stock.name, newName);
        indexAndSummarise(dataDir_);
        return r;
    }
    std::remove(oldPath.c_str());
    removeSideFiles(dataDir_, stock.name);
    indexAndSummarise(dataDir_);
    return r;
}

StockResult StockLibrary::remove(const StockRef& stock) {
    bool save = false, stillListed = false;
    const StockResult r = changeList(*this, save, [&](std::vector<std::string>& names) {
        const int row = rowOf(names, stock);
        if (row < 0) return failure(StockFailure::NoSuchStock, messageNoSuchStock(stock.name));
        names.erase(names.begin() + row);
        stillListed = std::find(names.begin(), names.end(), stock.name) != names.end();
        save = true;
        return StockResult{};
    });
    // The list no longer names it; the file goes last (a failure is harmless)
    // unless another entry of the same name still uses it.
    if (!r.ok() || stillListed) return r;
    if (const auto path = stockFile(stock.name)) {
        std::remove(path->c_str());
        removeSideFiles(dataDir_, stock.name);
        indexAndSummarise(dataDir_);
    }
    return r;
}

StockOutcome<int> StockLibrary::move(const StockRef& stock, MoveDirection dir) {
    int moved = -1;
    bool save = false;
    const StockResult r = changeList(*this, save, [&](std::vector<std::string>& names) {
        const int row = rowOf(names, stock);
        if (row < 0) return failure(StockFailure::NoSuchStock, messageNoSuchStock(stock.name));
        const auto target = stockMoveTarget(int(names.size()), row, dir);
        if (!target) return failure(StockFailure::NothingFound, {});
        std::swap(names[size_t(row)], names[size_t(*target)]);
        moved = *target;
        save = true;
        return StockResult{};
    });
    if (!r.ok()) return failed<int>(r);
    return succeeded(moved);
}

StockOutcome<std::vector<std::string>> StockLibrary::unlisted() const {
    const auto listed = names();
    if (!listed.ok()) return listed;
    std::vector<std::string> found;
    // Looked up, not searched for: a folder of many stocks is read once.
    const std::unordered_set<std::string_view> isListed(listed.value.begin(), listed.value.end());
    std::error_code ec;
    for (fs::directory_iterator it(dataDir_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".dat" || !it->is_regular_file(ec)) continue;
        const std::string name = p.stem().string();
        const std::string lower = lowerAnsi(name);
        if (lower == "stocklist" || lower == "setting" || name.empty()) continue;
        if (!isListed.contains(name)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return succeeded(std::move(found));
}

StockResult StockLibrary::adopt(std::string_view name) {
    bool save = false;
    const StockResult r = changeList(*this, save, [&](std::vector<std::string>& names) {
        if (stockNameTaken(names, name))
            return failure(StockFailure::NameRefused, std::string(kMessageNameTaken));
        if (!adoptableName(name))
            return failure(StockFailure::NameRefused, messageNameNotAllowed(name));
        const fs::path path = *stockFile(name);
        const std::optional<bool> stock = looksLikeStockFile(path);
        if (!stock) return failure(StockFailure::CannotOpen, messageCannotOpen(path));
        if (!*stock)
            return failure(StockFailure::NotAStock,
                           "ファイル " + path.string() + " はストックではありません");
        names.emplace_back(name);
        save = true;
        return StockResult{};
    });
    if (r.ok()) indexAndSummarise(dataDir_, name);
    return r;
}

StockOutcome<StockUpdate> StockLibrary::prepareUpdate(std::string_view name,
                                                      const std::optional<fs::path>& source,
                                                      const CaptureCallbacks& callbacks,
                                                      const ChecksumOptions& checksums) const {
    // Taken before the read: a file changed while it is read differs from it
    // too, and the update is refused rather than put over the change.
    const auto identity = stockIdentity(name);
    auto stored = open(name);
    if (!stored.ok()) return failed<StockUpdate>(stored);
    if (!identity)
        return failed<StockUpdate>(
            failure(StockFailure::StockChanged, messageStockChanged(name)));
    const fs::path from = source ? *source : recordedSource(name);
    if (from.empty())
        return failed<StockUpdate>(
            failure(StockFailure::NoSource, std::string(kMessageNoSourceRecorded)));

    StockOutcome<StockUpdate> out;
    StockUpdate& u = out.value;
    u.name = std::string(name);
    u.stored = *identity;
    const CaptureResult read = captureSource(from, u.name, u.tree, callbacks);
    if (read.status == CaptureStatus::Cancelled)
        return failed<StockUpdate>(failure(StockFailure::Cancelled, {}));
    if (read.status == CaptureStatus::NotAnImage)
        return failed<StockUpdate>(
            failure(StockFailure::NoSource, messageNotAnImage(from.string())));
    if (u.tree.root()) u.tree.root()->name = u.name; // an image names its top after itself
    if (read.status == CaptureStatus::NothingFound) {
        auto r = failed<StockUpdate>(failure(StockFailure::NoSource, unreadableSourceMessage(from)));
        r.detail = read.error.empty() ? from.string() : from.string() + ": " + read.error;
        return r;
    }
    u.diff = diffTrees(stored.value.tree, u.tree);
    u.info = infoOfCapture(factsOf(from, read), u.tree, nowFileTime());
    ChecksumSet old;
    const bool usable = loadChecksums(dataDir_, name, old) == SumsState::Usable &&
                        old.stamp == SumStamp{identity->size, identity->modifiedNs};
    if (!read.image && (checksums.mode != ChecksumMode::Keep || usable)) {
        const ChecksumSet* keep = checksums.mode == ChecksumMode::Rehash || !usable ? nullptr : &old;
        const bool reading = checksums.mode != ChecksumMode::Keep;
        HashPass pass = hashTree(from, u.tree, checksums.content, keep, reading);
        if (pass.end == PassEnd::Cancelled)
            return failed<StockUpdate>(failure(StockFailure::Cancelled, {}));
        if (pass.end == PassEnd::MediumGone) {
            auto r = failed<StockUpdate>(
                failure(StockFailure::NoSource, std::string(kMessageMediumGone)));
            if (pass.goneError) r.detail = std::strerror(pass.goneError);
            return r;
        }
        u.sums = std::move(pass.sums);
        u.sumsChanged = reading;
        u.unreadableFiles = pass.unreadable;
    }
    return out; // the note is taken as it is when the update is applied
}

fs::path StockLibrary::recordedSource(std::string_view name) const {
    const auto facts = readStockInfo(dataDir_, name);
    return facts ? fs::path(nativeBytesOf(facts->source)) : fs::path();
}

StockResult StockLibrary::applyUpdate(const StockUpdate& update) {
    std::optional<DataLock> lock;
    if (StockResult locked = lockData(*this, lock); !locked.ok()) return locked;
    const auto listed = names();
    if (!listed.ok()) return listed;
    if (std::find(listed.value.begin(), listed.value.end(), update.name) == listed.value.end())
        return failure(StockFailure::NoSuchStock, messageNoSuchStock(update.name));
    const auto path = stockFile(update.name);
    if (!path) return failure(StockFailure::NameRefused, messageNameNotAllowed(update.name));
    // Under the lock nobody replaces it between this look and the write.
    if (fileIdentity(*path) != update.stored)
        return failure(StockFailure::StockChanged, messageStockChanged(update.name));
    if (!writeStockFile(*path, update.tree))
        return failure(StockFailure::CannotCreate, messageCannotCreate(*path));
    // Sums made for the old file would never match the new one: replaced or gone.
    ChecksumSet sums = update.sums ? *update.sums : ChecksumSet();
    if (!update.sums || !saveChecksums(dataDir_, update.name, sums))
        removeChecksums(dataDir_, update.name);
    // The note as it is now: it may have been edited while the source was read;
    // the health record stays (it tells how the medium read, not the stock).
    StockInfo facts = update.info;
    if (const auto current = readStockInfo(dataDir_, update.name)) {
        facts.note = current->note;
        facts.lastVerify = current->lastVerify;
    }
    (void)writeStockInfo(dataDir_, update.name, facts);
    indexAndSummarise(dataDir_, update.name);
    return {};
}

namespace {

// The facts of a stock the list names: its side file, else the counts its
// stock file gives (streamed: no tree is built for them).
StockOutcome<StockInfo> infoOfListed(const fs::path& dataDir, std::string_view name) {
    const auto path = stockFilePath(dataDir, name);
    if (!path)
        return failed<StockInfo>(failure(StockFailure::NameRefused, messageNameNotAllowed(name)));
    if (auto side = readStockInfo(dataDir, name)) return succeeded(std::move(*side));
    StockInfo computed;
    if (!countStockFile(*path, computed))
        return failed<StockInfo>(failure(StockFailure::CannotOpen, messageCannotOpen(*path)));
    return succeeded(std::move(computed));
}

} // namespace

StockOutcome<StockInfo> StockLibrary::info(std::string_view name) const {
    const auto listed = names();
    if (!listed.ok()) return failed<StockInfo>(listed);
    if (std::find(listed.value.begin(), listed.value.end(), name) == listed.value.end())
        return failed<StockInfo>(failure(StockFailure::NoSuchStock, messageNoSuchStock(name)));
    return infoOfListed(dataDir_, name);
}

std::vector<StockOutcome<StockInfo>>
StockLibrary::infoOfEach(const std::vector<std::string>& listed) const {
    std::vector<StockOutcome<StockInfo>> out;
    out.reserve(listed.size());
    for (const std::string& name : listed)
        out.push_back(infoOfListed(dataDir_, name));
    return out;
}

std::optional<fs::path> StockLibrary::pathOnMedium(std::string_view name,
                                                   const std::vector<std::string>& parts) const {
    const auto facts = readStockInfo(dataDir_, name);
    // What a stock of an image holds is inside the image, nowhere a desktop can open it.
    if (!facts || facts->source.empty() || facts->kind == SourceKind::Image) return std::nullopt;
    // The names as the file system holds them: raw bytes given back as bytes.
    fs::path p = nativeBytesOf(facts->source);
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos ||
            part.find('\0') != std::string::npos || hasControlCharacter(part))
            return std::nullopt;
        p /= nativeBytesOf(part);
    }
    if (!existsInAnyForm(p)) return std::nullopt;
    return p;
}

StockResult StockLibrary::setNote(std::string_view name, std::string_view note) {
    std::optional<DataLock> lock;
    if (StockResult locked = lockData(*this, lock); !locked.ok()) return locked;
    // A longer note would be cut when it is next read (and saved cut).
    if (!noteFits(note)) return failure(StockFailure::NameRefused, std::string(kMessageNoteTooLong));
    auto current = info(name);
    if (!current.ok()) return current;
    current.value.note = std::string(note);
    const fs::path file = sideFilePath(dataDir_, kStockInfoFile, name);
    if (!writeStockInfo(dataDir_, name, current.value)) return sideFileFailure(file, errno);
    return {};
}

StockResult sideFileFailure(const fs::path& file, int err) {
    // A side folder refused as a link (or as no folder) is named itself: the
    // file in it was never reached.
    if (err == ELOOP || err == ENOTDIR)
        return failure(StockFailure::CannotCreate, messageSideFolderRefused(file.parent_path()));
    StockResult r = failure(StockFailure::CannotCreate, messageCannotCreate(file));
    if (err != 0) r.detail = std::strerror(err);
    return r;
}

StockResult StockLibrary::exportNames(const FolderTree& tree, const FolderNode* start,
                                      const ExportOptions& options, const fs::path& out) const {
    std::string why;
    if (writeFileInPlace(out, fileNameListBytes(tree, start, options), &why)) return {};
    StockResult r = failure(StockFailure::CannotCreate, messageCannotCreate(out));
    r.detail = why;
    return r;
}

} // namespace zt
