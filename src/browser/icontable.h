#pragma once
// The file-type table behind the type icons: Data/Icon/icon.dat lists the
// extensions that get an icon of their own; the sample file Data/Icon/test.dat
// is renamed through each of them so that the icon of an existing file of
// that type can be asked for.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zt {

// Longest extension token icon.dat may hold, in bytes.
inline constexpr size_t kMaxIconTokenBytes = 51;

// The image every file gets when its type is not in the table (generic file).
inline constexpr int kGenericFileImage = 2;

// icon.dat read: the count, then that many white-space separated tokens.
struct IconListFile {
    int declaredCount = 0;               // the leading number as written (0 when missing)
    std::vector<std::string> extensions; // accepted tokens, UTF-8, in file order
};

// Parses icon.dat bytes (CP932). Never fails: a missing or negative count
// reads as 0; fewer tokens than the count give the tokens there are. A token
// that cannot be an extension of the sample file (longer than 51 bytes,
// containing "/" or a NUL, or "." or "..") uses up its place in the count but
// gives no entry.
[[nodiscard]] IconListFile parseIconList(std::string_view bytes);

class IconTable {
  public:
    // Called once per entry with the sample file's current path (named after
    // the entry's extension); returns the entry's image index.
    using AddIcon = std::function<int(size_t entry, const std::filesystem::path& sample)>;

    // Reads <dataDir>/Icon/icon.dat and runs the sample file through every
    // extension, test.dat -> test.<ext1> -> ... -> test.dat. The sample only
    // takes a free name: an existing test.<ext> (a user's file) is never
    // replaced, the sample skips that entry, and the entry is asked about the
    // file that is there. When no file has the entry's name, the entry gets
    // the generic file image and addIcon is not called for it.
    // A missing icon.dat gives an empty table.
    void load(const std::filesystem::path& dataDir, const AddIcon& addIcon);

    // Image index of a file name by its type: the key is what follows the last
    // "." (the whole name when there is none), matched case-blind; the first
    // equal entry wins; kGenericFileImage when none matches.
    [[nodiscard]] int imageIndexOf(std::string_view fileName) const;

    [[nodiscard]] const std::vector<std::string>& extensions() const { return extensions_; }
    [[nodiscard]] const std::vector<int>& imageIndexes() const { return imageIndexes_; }

    void clear();

  private:
    std::vector<std::string> extensions_;
    std::vector<int> imageIndexes_;
    // Lower-cased extension -> image index of its first entry.
    std::unordered_map<std::string, int> byKey_;
};

} // namespace zt
