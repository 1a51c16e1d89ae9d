#include "library/names.h"

#include "platform/collate.h"
#include "platform/utf8.h"

#include <system_error>
#include <unordered_set>

namespace zt {

namespace fs = std::filesystem;

namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The part of a name Windows takes as a device name: up to the first ".".
std::string_view stem(std::string_view name) {
    return name.substr(0, name.find('.'));
}

bool isDeviceStem(std::string_view s) {
    const std::string lower = lowerAnsi(s);
    if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul") return true;
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
           lower[3] >= '1' && lower[3] <= '9';
}

// The characters no Windows file name may hold (besides control characters).
constexpr std::string_view kWindowsForbidden = "\\/:*?\"<>|";

// Makes any text a name every system can hold as a file in Data:
//   "/" (the root file system)                         -> "root"
//   control characters and \ / : * ? " < > |           -> "_"
//   a device name (CON, COM1.txt, ...)                 -> "_" after the device part
//   a trailing "." or blank                            -> "_" appended
//   nothing left                                       -> "noname"
//   longer than 200 bytes                              -> cut at a character boundary
// 200 bytes leave room for a "_N" suffix within the file name limit.
std::string sanitizeName(std::string name) {
    if (name == "/") return "root";
    for (char& c : name)
        if (isControl(static_cast<unsigned char>(c)) ||
            kWindowsForbidden.find(c) != std::string::npos)
            c = '_';
    constexpr size_t kMaxBaseBytes = 200;
    if (name.size() > kMaxBaseBytes) {
        // Never cut a UTF-8 sequence in half.
        name.resize(utf8Prefix(name, kMaxBaseBytes).size());
    }
    if (name.empty()) return "noname";
    if (isDeviceStem(stem(name))) name.insert(stem(name).size(), "_");
    if (name.back() == '.' || name.back() == ' ') name += '_';
    return name;
}

} // namespace

bool hasControlCharacter(std::string_view name) {
    for (char c : name)
        if (isControl(static_cast<unsigned char>(c))) return true;
    return false;
}

bool isWindowsReservedName(std::string_view name) {
    if (name.empty()) return false;
    return isDeviceStem(stem(name)) || name.back() == '.' || name.back() == ' ';
}

bool stockNameTaken(const std::vector<std::string>& names, std::string_view name) {
    const std::string wanted = lowerAnsi(name);
    for (const auto& n : names)
        if (lowerAnsi(n) == wanted) return true;
    return false;
}

std::string stockNameBase(std::string_view rootText) {
    // A folder name's raw bytes stay out of the stock's name: its file and
    // its list entry are shared with Windows, which could not name them.
    std::string name = rawBytesReplaced(rootText);
    if (const size_t colon = name.find(':'); colon != std::string::npos) name.erase(colon, 1);
    return sanitizeName(std::move(name));
}

std::string uniqueStockName(std::string_view base, const std::vector<std::string>& names,
                            const fs::path& dataDir) {
    const std::string clean = sanitizeName(std::string(base));
    // The list folded once: a long list with many "name_N" would otherwise be
    // read through again for every number tried.
    std::unordered_set<std::string> taken;
    taken.reserve(names.size());
    for (const std::string& n : names)
        taken.insert(lowerAnsi(n));
    const auto isFree = [&](const std::string& candidate) {
        if (!isSafeStockName(candidate) || taken.contains(lowerAnsi(candidate))) return false;
        std::error_code ec;
        // A leftover file (also a dangling link) of that name is never written over.
        return !fs::exists(fs::symlink_status(dataDir / (candidate + ".dat"), ec));
    };
    if (isFree(clean)) return clean;
    for (unsigned n = 2;; ++n) {
        std::string candidate = clean + "_" + std::to_string(n);
        if (isFree(candidate)) return candidate;
    }
}

namespace {

// True when p exists in any form (file, folder, link, even a dangling link).
bool existsInAnyForm(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// True when a and b name one file (the same path, or one file on a case-blind disk).
bool sameFile(const fs::path& a, const fs::path& b) {
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

std::string validateStockRename(const fs::path& dataDir, const std::vector<std::string>& names,
                                int index, std::string_view newName) {
    if (newName.empty()) return std::string(kMessageNameBlank);
    // In UTF-8 these ASCII bytes never occur inside a multibyte character, so a
    // byte search is a search by character.
    if (newName.find_first_of(kForbiddenNameChars) != std::string_view::npos ||
        hasControlCharacter(newName) || isWindowsReservedName(newName))
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

bool sameStockFile(const fs::path& a, const fs::path& b) {
    return sameFile(a, b);
}

} // namespace zt
