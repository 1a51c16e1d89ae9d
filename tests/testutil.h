#pragma once
// Helpers shared by the core tests.
#include <filesystem>
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
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

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
[[nodiscard]] CliRun runCli(const std::string& args);

} // namespace zt::test
