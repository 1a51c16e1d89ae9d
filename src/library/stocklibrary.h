#pragma once
// The stock library: every use case the window and the command line share,
// over one Data folder that other processes may be using at the same time.
//
// Every change to the stock list is a read-modify-write made under the Data
// folder's lock and written at once. Files are written in an order that a
// kill at any instant cannot turn into a list entry without its file: a new
// stock file is in place before the list names it, and a file is removed
// only after the list stopped naming it. A stock file nobody lists can be
// found (unlisted) and taken back (adopt).
#include "capture/capture.h"
#include "catalogue/foldertree.h"
#include "integrity/contentpass.h"
#include "library/stockdiff.h"
#include "library/stockinfo.h"
#include "manage/export.h"
#include "platform/fileops.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// Why a use case failed. Each has one message text and one exit status of the
// command line (see cli/status.h).
enum class StockFailure {
    None,
    NothingFound,   // nothing to do: a move at the end of the list
    NoSuchStock,    // the list does not name it
    NoSuchFolder,   // the stock has no folder of that path
    NoSource,       // the source cannot be read or holds nothing
    NameRefused,    // the name check failed, or a name that may not name a file
    NotAStock,      // a file that does not read as a stock
    ListUnreadable, // StockList.dat exists but cannot be read: nothing may rewrite it
    CannotOpen,     // a file cannot be read
    CannotCreate,   // a file cannot be written
    DataBusy,       // another process holds the Data folder's lock too long
    StockChanged,   // the stock file is not the one read: another process replaced it
    Cancelled,      // the user stopped it
    Unexpected,     // an exception ended the work (the window's jobs report it)
};

struct StockResult {
    StockFailure failure = StockFailure::None;
    std::string message; // what the user is told, empty on success
    std::string detail;  // the system's reason, where there is one

    [[nodiscard]] bool ok() const { return failure == StockFailure::None; }
    [[nodiscard]] static StockResult fail(StockFailure f, std::string message) {
        return {f, std::move(message), {}};
    }
};

template <class T> struct StockOutcome : StockResult { T value{}; };

// A list entry as a window knows it: its name and the row it was seen at, so
// that of two entries with one name the right one changes.
struct StockRef {
    std::string name;
    int row = -1; // -1: the first entry of that name
};

enum class MoveDirection { Up, Down };

// The index the item at `index` moves to in a list of `count` items, or
// nullopt when it stays (no selection, first item up, last item down).
[[nodiscard]] std::optional<int> stockMoveTarget(int count, int index, MoveDirection dir);

struct OpenedStock {
    FolderTree tree; // sorted as the window shows it
    int formatMark = 0;
};

struct OpenCallbacks {
    // After the header, with the number of folders to come.
    std::function<void(int folderCount)> onHeader;
    // Asked before every folder record: true cancels the open.
    std::function<bool()> cancelled;
};

// A capture's outcome: the new stock's name, and how many folders below the
// source were not read because they are on another file system.
struct CaptureOutcome : StockOutcome<std::string> {
    int otherFileSystemFolders = 0;
    // An image of which some could not be read: the stock holds the rest,
    // the faces warn with kMessagePartlyRead and this reason.
    bool incomplete = false;
    std::string problem;
    bool checksumsSaved = false;  // asked for and stored beside the stock
    uint64_t unreadableFiles = 0; // files whose content could not be read
};

struct CaptureRequest {
    std::filesystem::path source;    // the folder, mount point, image file or device to read
    std::string rootText;            // the root's text (drive label, folder name); an
                                     // image names itself (its volume label, its file name)
    std::optional<std::string> name; // a name chosen by the user, else made from rootText
};

// What a capture or an update does with content checksums.
enum class ChecksumMode {
    Keep,   // read nothing: an update keeps the sums of files unchanged in size
            // and time and drops the others; a capture records none
    Add,    // read every file of a capture; an update's new or changed files
            // (all of them, for a stock without sums)
    Rehash, // read every file again
};
struct ChecksumOptions {
    ChecksumMode mode = ChecksumMode::Keep;
    ContentCallbacks content;
};

// A stock read again from its source, not yet stored: what changed, and the
// new tree that replaces the old one when the update is applied.
struct StockUpdate {
    std::string name;
    FolderTree tree; // the new reading, its top named as the stock
    StockDiff diff;  // from the stored stock to the new reading
    StockInfo info;  // the facts the stock will have (its note is kept as it is then)
    FileIdentity stored; // the stock file compared, as it was before it was read
    std::optional<ChecksumSet> sums; // the checksums it will have (none: it will have none)
    bool sumsChanged = false;        // files were read for them: worth applying alone
    uint64_t unreadableFiles = 0;
};

// A "\a\b" (or "/a/b") path below a stock's top ("" and "\" are the top itself): each part
// is the child of that name, else the only child equal to it but for letter
// case. Null when a part is missing.
[[nodiscard]] const FolderNode* findFolder(const FolderTree& tree, std::string_view path);

class StockLibrary {
  public:
    explicit StockLibrary(std::filesystem::path dataDir);

    [[nodiscard]] const std::filesystem::path& dataDir() const { return dataDir_; }
    [[nodiscard]] std::filesystem::path listPath() const;

    // The list as it is on disk now. A missing list is empty (or, when asked,
    // fails with CannotOpen, as the window's start reports it); one that
    // exists but cannot be read fails with ListUnreadable.
    [[nodiscard]] StockOutcome<std::vector<std::string>> names(bool missingIsEmpty = true) const;

    // Data/<name>.dat, or nullopt for a name that may not name a file.
    [[nodiscard]] std::optional<std::filesystem::path> stockFile(std::string_view name) const;

    // The identity of a listed stock's file now (the window tells a rename of
    // the open stock from another stock that took its row by it).
    [[nodiscard]] std::optional<FileIdentity> stockIdentity(std::string_view name) const;

    // Reads a listed stock and sorts it as the window shows it.
    [[nodiscard]] StockOutcome<OpenedStock> open(std::string_view name,
                                                 const OpenCallbacks& callbacks = {}) const;
    // The same for a stock of a list the caller has just read (the list is
    // not read again: a use case over many stocks reads it once).
    [[nodiscard]] StockOutcome<OpenedStock> openListed(std::string_view name,
                                                       const OpenCallbacks& callbacks = {}) const;

    // Reads the source into tree, stores it as a new stock at the end of the
    // list with its facts beside it, and returns its name. Cancelled, empty
    // and failed captures leave the tree empty and nothing in Data.
    // With checksums asked for, every file's content is read once after the
    // tree (a file that cannot be read is recorded so); a medium that stops
    // answering then ends the capture (NoSource, kMessageMediumGone).
    [[nodiscard]] CaptureOutcome capture(const CaptureRequest& request, FolderTree& tree,
                                         const CaptureCallbacks& callbacks = {},
                                         const ChecksumOptions& checksums = {});

    // Reads a stock's source again (its recorded source, or `source` when
    // given) and compares it with the stored stock. Nothing is written.
    // NoSource when the source is not recorded, cannot be read or holds nothing.
    [[nodiscard]] StockOutcome<StockUpdate>
    prepareUpdate(std::string_view name, const std::optional<std::filesystem::path>& source,
                  const CaptureCallbacks& callbacks = {},
                  const ChecksumOptions& checksums = {}) const;
    // Replaces the stored stock with the new reading (the file is replaced
    // whole, atomically) and updates its facts, keeping its note. Only the
    // stock file that was read is replaced: one changed since (written again,
    // or deleted and captured anew under the name) fails with StockChanged.
    [[nodiscard]] StockResult applyUpdate(const StockUpdate& update);

    // Renames a stock: the new file is written, then the list names it, then
    // the old file goes.
    [[nodiscard]] StockResult rename(const StockRef& stock, std::string_view newName);
    // The message of the rename check for newName against the current list.
    [[nodiscard]] std::string checkRename(const StockRef& stock, std::string_view newName) const;

    // Takes a stock out of the list, then removes its file.
    [[nodiscard]] StockResult remove(const StockRef& stock);

    // Moves a stock one place; its new row. NothingFound at either end.
    [[nodiscard]] StockOutcome<int> move(const StockRef& stock, MoveDirection dir);

    // Stock files in Data that no list entry names, by name.
    [[nodiscard]] StockOutcome<std::vector<std::string>> unlisted() const;
    // Appends an unlisted stock file to the list.
    [[nodiscard]] StockResult adopt(std::string_view name);

    // The facts and note of a listed stock: its side file, else what its
    // stock file tells.
    [[nodiscard]] StockOutcome<StockInfo> info(std::string_view name) const;
    // The same for every stock of a list read once (`list --long`), in its
    // order: the list is not read again for each.
    [[nodiscard]] std::vector<StockOutcome<StockInfo>>
    infoOfEach(const std::vector<std::string>& listed) const;
    // Where the stock was read from, from its facts file alone (never the
    // stock file); empty when nothing is recorded.
    [[nodiscard]] std::filesystem::path recordedSource(std::string_view name) const;
    // Sets the note of a listed stock (saved at once). A note too long to read
    // back whole is refused (NameRefused, kMessageNoteTooLong).
    [[nodiscard]] StockResult setNote(std::string_view name, std::string_view note);

    // Where an item of a stock is on its medium now: the recorded source path
    // joined with the item's names below the stock's top (empty: the top),
    // when the medium is mounted and holds it; nullopt otherwise, and for a
    // name holding a control character or NUL (a crafted stock's), which no
    // desktop should be handed.
    [[nodiscard]] std::optional<std::filesystem::path>
    pathOnMedium(std::string_view name, const std::vector<std::string>& parts) const;

    // Writes names of the tree to a file the user chose (in place).
    [[nodiscard]] StockResult exportNames(const FolderTree& tree, const FolderNode* start,
                                          const ExportOptions& options,
                                          const std::filesystem::path& out) const;

  private:
    std::filesystem::path dataDir_;
};

// A function called each time a change has saved the stock list, before its
// stock and side files follow (null: none). Tests stop the process there to
// see that a kill at that instant loses nothing.
void setAfterListSaved(void (*hook)());

// Message texts shared by both faces.
[[nodiscard]] std::string
messageCannotOpen(const std::filesystem::path& p); // ファイル %s は開けません
[[nodiscard]] std::string
messageCannotCreate(const std::filesystem::path& p); // ファイル %s を作成できません
[[nodiscard]] std::string messageNoSuchStock(std::string_view name);
[[nodiscard]] std::string messageNoSuchFolder(std::string_view path);
[[nodiscard]] std::string messageNameNotAllowed(std::string_view name);
// 別のファイルシステムのフォルダ n 個は読み込みませんでした
[[nodiscard]] std::string messageOtherFileSystemFolders(int count);
// ディスクをマウントするか、デバイス %s を読めるようにしてください
[[nodiscard]] std::string messageMountOrReadable(std::string_view device);
inline constexpr std::string_view kMessageInvalidSource = "無効な読み込み元指定です";
inline constexpr std::string_view kMessageNoSourceRecorded =
    "読み込み元が記録されていません。読み込み元を指定してください";
// ストック %s は変更されました。もう一度読み込んでください
[[nodiscard]] std::string messageStockChanged(std::string_view name);
// ロックファイル %s を開けません
[[nodiscard]] std::string messageCannotOpenLock(const std::filesystem::path& p);
// フォルダ %s はリンクかフォルダでないため使えません
[[nodiscard]] std::string messageSideFolderRefused(const std::filesystem::path& p);
// The failure to write the side file `file` with errno `err`: its refused
// side folder named when that was the cause, else the file and the reason.
[[nodiscard]] StockResult sideFileFailure(const std::filesystem::path& file, int err);
inline constexpr std::string_view kMessagePartlyRead = "一部を読めませんでした";
inline constexpr std::string_view kMessageNoteTooLong = "メモが長すぎます";
// The medium was taken out or stopped answering while its files were read.
inline constexpr std::string_view kMessageMediumGone = "読み込み元が応答しなくなりました";
inline constexpr std::string_view kMessageDataBusy =
    "Data フォルダを他のプログラムが使っています。しばらくしてからやり直してください";

} // namespace zt
