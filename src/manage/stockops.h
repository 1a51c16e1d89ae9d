#pragma once
// Moving, renaming and deleting stocks: the rules shared by the window and the
// command line. Every file touched is Data/<name>.dat of a safe stock name.
#include "catalogue/foldertree.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

enum class MoveDirection { Up, Down };

// The index the item at `index` moves to in a list of `count` items, or nullopt
// when it stays (no selection, first item up, last item down): the caller then
// changes nothing and refreshes nothing.
[[nodiscard]] std::optional<int> stockMoveTarget(int count, int index, MoveDirection dir);

// Moves names[index] one place; false (names unchanged) when it cannot move.
bool moveStock(std::vector<std::string>& names, int index, MoveDirection dir);

// The messages of the rename check.
inline constexpr std::string_view kMessageNameBlank = "名前が空欄です";
inline constexpr std::string_view kMessageNameForbidden = "\\ / : , ; * ? \" < > |  は使えません";
inline constexpr std::string_view kMessageNameTaken = "その名前は使われています";

// The characters a stock name may not hold, in the order the message lists them.
inline constexpr std::string_view kForbiddenNameChars = "\\/:,;*?\"<>|";

// Checks newName for the stock at `index` of names, in this order: blank; one of
// the forbidden characters; equal byte for byte to another stock's name. Then,
// so that no other file is ever overwritten: equal to another stock's name but
// for letter case (their files would be one on a case-blind disk), a name that
// cannot name a file in Data, or a file Data/<newName>.dat that already exists
// and is not this stock's own. Returns the message of the first failure, or an
// empty string when the name can be used (the unchanged name always can).
[[nodiscard]] std::string validateStockRename(const std::filesystem::path& dataDir,
                                              const std::vector<std::string>& names, int index,
                                              std::string_view newName);

enum class RenameStatus {
    Renamed,
    CannotCreate, // the new stock file could not be written; nothing was changed
};

// Writes tree as the stock file Data/<newName>.dat and only after that worked
// removes Data/<oldName>.dat (unless both name the same file), so a failure never
// loses the stock. An unsafe old name has no file and none is removed.
// The caller renames the list entry and the tree's top node on success.
[[nodiscard]] RenameStatus renameStockFile(const std::filesystem::path& dataDir,
                                           std::string_view oldName, std::string_view newName,
                                           const FolderTree& tree);

// Removes Data/<name>.dat; a failure is ignored and an unsafe name touches nothing.
void deleteStockFile(const std::filesystem::path& dataDir, std::string_view name);

} // namespace zt
