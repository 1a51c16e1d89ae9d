#pragma once
// zutomelark-cli: one function per command, each in its own file.
// Every command gets its arguments after the command word and the Data folder.
#include <filesystem>
#include <string>
#include <vector>

namespace zt::cli {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kNothingFound = 1;
constexpr int kUsageOrIoError = 2;

using Args = std::vector<std::string>;

int cmdList(const std::filesystem::path& dataDir, const Args& args);
int cmdShow(const std::filesystem::path& dataDir, const Args& args);
int cmdCapture(const std::filesystem::path& dataDir, const Args& args);
int cmdSearch(const std::filesystem::path& dataDir, const Args& args);
int cmdExport(const std::filesystem::path& dataDir, const Args& args);
int cmdRename(const std::filesystem::path& dataDir, const Args& args);
int cmdDelete(const std::filesystem::path& dataDir, const Args& args);
int cmdMove(const std::filesystem::path& dataDir, const Args& args);

// A message on stderr (UTF-8), one line.
void error(const std::string& message);
// True when args holds --help or -h.
[[nodiscard]] bool wantsHelp(const Args& args);

} // namespace zt::cli
