#pragma once
// Verify: reading a stock's medium again (its recorded source, or a path the
// user gives) and telling, per file, what still reads back as it was. The
// result goes into the stock's health record (library/health.h).
#include "library/stocklibrary.h"

#include <filesystem>
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

} // namespace zt
