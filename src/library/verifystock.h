#pragma once
// Verify: reading a stock's medium again (its recorded source, or a path the
// user gives) and telling, per file, what still reads back as it was. The
// result goes into the stock's health record (library/health.h).
#include "library/stocklibrary.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zt {

struct VerifyRequest {
    std::string stock;
    std::optional<std::filesystem::path> source; // else the recorded source
    CaptureCallbacks walk;    // reading the medium's tree
    ContentCallbacks content; // reading its files
    bool keepOkRows = false;
};

struct VerifyResult {
    VerifyReport report;
    std::filesystem::path source;
    bool recorded = false; // the health record was written
};

// NoSource when the source is not recorded or cannot be read; Cancelled
// when stopped (nothing is recorded then). A medium that stops answering
// part way is a success whose report ends MediumGone: what was found so far
// is reported and recorded.
[[nodiscard]] StockOutcome<VerifyResult> verifyStock(const StockLibrary& library,
                                                     const VerifyRequest& request);

// The summary line both faces show: "全 5,115 ファイル正常" or the counts,
// and how the content was checked.
[[nodiscard]] std::string verifySummary(const VerifyReport& report);
// Why the content was not compared, or empty when it was.
[[nodiscard]] std::string checksumUseText(ChecksumUse use);
// How far a reading of content has got, for people: "1.2 GB / 2.0 GB
// 95.3 MB/秒 残り 0:08" (no speed or time left in the first moments).
[[nodiscard]] std::string contentProgressText(const ContentProgress& p, double seconds);
// The word for a row's kind as both faces show it ("内容変更", ...).
[[nodiscard]] std::string verifyKindText(VerifyKind kind);
// "\stock\folder\name" of a row.
[[nodiscard]] std::string verifyRowPath(std::string_view stock, const VerifyRow& row);
// The system's reason of an unreadable row, else empty.
[[nodiscard]] std::string verifyRowReason(const VerifyRow& row);

// The rows as a CSV file where the user chose it (in place, CP932 with CR LF
// like the search results): 結果, パス, サイズ, 記録時のサイズ, 更新日時,
// 記録時の更新日時, 理由; rowAt(i) for i below count, in the order shown.
[[nodiscard]] bool saveVerifyCsv(const std::filesystem::path& path, std::string_view stock,
                                 size_t count, const std::function<const VerifyRow&(size_t)>& rowAt,
                                 std::string* why = nullptr);

} // namespace zt
