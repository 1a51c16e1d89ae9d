#pragma once
// A stock's health record: how its last verify went (kept with its facts in
// Info/<name>.txt) and the last ten verifies (Info/<name>.log), so a user
// sees a disc degrade over the years.
//
// The facts file holds, besides the stock's other facts:
//   verified=2026-12-09 10:11:12      when
//   verifycounts=5110 1 2 0 2 0       ok, changed content, changed, missing, new, unreadable
//   verifychecksums=used              used, none or unusable
//   verifycomplete=1                  0: the medium stopped answering part way
// The log has one line per verify, oldest first, the same values:
//   2026-12-09 10:11:12 5110 1 2 0 2 0 used 1
#include "integrity/contentpass.h"
#include "platform/filetime.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct VerifyRecord {
    FileTime when;
    VerifyCounts counts;
    ChecksumUse checksums = ChecksumUse::None;
    bool complete = true;
};

inline constexpr size_t kVerifyHistoryLength = 10;

// "key=value" lines for the facts file, and one such fact read back into
// record (false: not a verify fact).
void appendVerifyFacts(const VerifyRecord& record, std::vector<std::string>& lines);
bool parseVerifyFact(std::string_view key, std::string_view value,
                     std::optional<VerifyRecord>& record);

// What the properties dialog, info and list --long show after "最終検証":
// "2026/12/09 全 5,115 ファイル正常", or the counts; "未検証" when never verified.
[[nodiscard]] std::string verifyText(const std::optional<VerifyRecord>& record);
// The counts alone, "正常 5,110、内容変更 1、..." (every kind, zeros too).
[[nodiscard]] std::string countsText(const VerifyCounts& counts);

// The last verifies of a stock, oldest first (bounded: a damaged log is read
// for at most its first 64 KiB), and the log with one more appended.
[[nodiscard]] std::vector<VerifyRecord> readVerifyHistory(const std::filesystem::path& dataDir,
                                                          std::string_view name);
bool appendVerifyHistory(const std::filesystem::path& dataDir, std::string_view name,
                         const VerifyRecord& record);

} // namespace zt
