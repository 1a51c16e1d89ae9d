#include "manage/stockops.h"

#include "catalogue/stockfile.h"
#include "catalogue/stocklist.h"
#include "platform/collate.h"

#include <system_error>

namespace zt {

std::optional<int> stockMoveTarget(int count, int index, MoveDirection dir) {
    if (index < 0 || index >= count) return std::nullopt;
    const int target = dir == MoveDirection::Up ? index - 1 : index + 1;
    if (target < 0 || target >= count) return std::nullopt;
    return target;
}

bool moveStock(std::vector<std::string>& names, int index, MoveDirection dir) {
    const auto target = stockMoveTarget(int(names.size()), index, dir);
    if (!target) return false;
    std::swap(names[size_t(index)], names[size_t(*target)]);
    return true;
}

namespace {

// True when p exists in any form (file, folder, link, even a dangling link).
bool existsInAnyForm(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::symlink_status(p, ec).type() != std::filesystem::file_type::not_found &&
           !ec;
}

// True when a and b name one file (the same path, or one file on a case-blind disk).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a == b) return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

std::string validateStockRename(const std::filesystem::path& dataDir,
                                const std::vector<std::string>& names, int index,
                                std::string_view newName) {
    if (newName.empty()) return std::string(kMessageNameBlank);
    // In UTF-8 these ASCII bytes never occur inside a multibyte character, so a
    // byte search is a search by character.
    if (newName.find_first_of(kForbiddenNameChars) != std::string_view::npos)
        return std::string(kMessageNameForbidden);
    for (size_t i = 0; i < names.size(); ++i)
        if (int(i) != index && names[i] == newName) return std::string(kMessageNameTaken);

    const std::string lowered = lowerAnsi(newName);
    for (size_t i = 0; i < names.size(); ++i)
        if (int(i) != index && lowerAnsi(names[i]) == lowered)
            return std::string(kMessageNameTaken);

    const auto newPath = stockFilePath(dataDir, newName);
    if (!newPath) return std::string(kMessageNameTaken);
    if (existsInAnyForm(*newPath)) {
        const bool valid = index >= 0 && size_t(index) < names.size();
        const auto ownPath = valid ? stockFilePath(dataDir, names[size_t(index)]) : std::nullopt;
        if (!ownPath || !sameFile(*ownPath, *newPath)) return std::string(kMessageNameTaken);
    }
    return {};
}

RenameStatus renameStockFile(const std::filesystem::path& dataDir, std::string_view oldName,
                             std::string_view newName, const FolderTree& tree) {
    const auto newPath = stockFilePath(dataDir, newName);
    if (!newPath) return RenameStatus::CannotCreate;
    const auto oldPath = stockFilePath(dataDir, oldName);
    // Decided before writing: afterwards the new file exists and would always match.
    const bool oneFile = oldPath && sameFile(*oldPath, *newPath);
    if (!writeStockFile(*newPath, tree)) return RenameStatus::CannotCreate;
    if (oldPath && !oneFile) {
        std::error_code ec;
        std::filesystem::remove(*oldPath, ec);
    }
    return RenameStatus::Renamed;
}

void deleteStockFile(const std::filesystem::path& dataDir, std::string_view name) {
    const auto p = stockFilePath(dataDir, name);
    if (!p) return;
    std::error_code ec;
    std::filesystem::remove(*p, ec);
}

} // namespace zt
