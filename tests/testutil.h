#pragma once
// Helpers shared by the core tests.
#include "catalogue/foldertree.h"

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace zt::test {

// A fresh temporary folder, removed (with everything in it) on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const {
        return path_ / name;
    }

  private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& p, std::string_view bytes);
[[nodiscard]] std::string readFile(const std::filesystem::path& p);

// Runs the command-line companion with arguments; captures stdout, stderr and the exit status.
struct CliRun {
    int status = -1;
    std::string out, err;
};
// stdoutTo, when given, is the shell's redirection of standard output
// instead of the captured file (">/dev/full", ">&-").
[[nodiscard]] CliRun runCli(const std::string& args, const std::string& stdoutTo = {});

// A small stock built in place.
struct StockBuilder {
    FolderTree tree;

    // Appends files of these names to folder.
    void files(FolderNode* folder, std::initializer_list<std::string_view> names);
    // The root folder / a subfolder, holding files of these names.
    FolderNode* root(std::string name, std::initializer_list<std::string_view> files = {});
    FolderNode* add(FolderNode* parent, std::string name,
                    std::initializer_list<std::string_view> files = {});
    // Writes the stock as dataDir/<name>.dat; false when that fails.
    [[nodiscard]] bool write(const std::filesystem::path& dataDir, const std::string& name) const;
};

// Sets TZ (and tzset) for the lifetime of this object and puts the previous zone back.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* tz);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> saved_;
};

// Disc images made at test time from a folder, by the tools that make them
// (xorriso, genisoimage, mkudffs). Each returns false when the tool is not
// installed or failed (said on standard error); tests skip on !haveTool and
// assert on the result.
enum class ImageKind {
    IsoRockRidgeJoliet, // xorriso: Rock Ridge and Joliet
    IsoJoliet,          // genisoimage -J: Joliet only
    IsoPlain,           // genisoimage: the primary names alone
    HybridUdf,          // genisoimage -udf: UDF 1.02 beside ISO 9660 with Joliet and Rock Ridge
};
[[nodiscard]] bool makeImage(ImageKind kind, const std::filesystem::path& tree,
                             const std::filesystem::path& image, const std::string& label);
// An empty UDF file system of the given revision ("0x0201") made by mkudffs.
[[nodiscard]] bool makeEmptyUdf(const std::filesystem::path& image, const std::string& revision,
                                const std::string& label);
[[nodiscard]] bool haveTool(const char* name);

} // namespace zt::test
