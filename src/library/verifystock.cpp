#include "library/verifystock.h"

#include "library/checksumstore.h"
#include "platform/datalock.h"
#include "platform/numbertext.h"
#include "platform/textfile.h"
#include "search/csv.h"

#include <cstdio>
#include <cstring>

namespace zt {

namespace {

StockOutcome<VerifyResult> failedWith(StockFailure f, std::string message, std::string detail = {}) {
    StockOutcome<VerifyResult> out;
    out.failure = f;
    out.message = std::move(message);
    out.detail = std::move(detail);
    return out;
}

// Writes the record under the Data folder's lock, as the note is written:
// facts and history are read and replaced together.
bool record(const StockLibrary& library, const std::string& name, const VerifyRecord& r) {
    auto lock = DataLock::acquire(library.dataDir(), DataLock::Mode::Exclusive,
                                  std::chrono::seconds(10));
    if (!lock) return false;
    auto info = library.info(name);
    if (!info.ok()) return false;
    info.value.lastVerify = r;
    const bool facts = writeStockInfo(library.dataDir(), name, info.value);
    return appendVerifyHistory(library.dataDir(), name, r) && facts;
}

} // namespace

StockOutcome<VerifyResult> verifyStock(const StockLibrary& library, const VerifyRequest& request) {
    auto stored = library.open(request.stock);
    if (!stored.ok()) {
        StockOutcome<VerifyResult> out;
        static_cast<StockResult&>(out) = stored;
        return out;
    }
    StockOutcome<VerifyResult> out;
    VerifyResult& v = out.value;
    v.source = request.source ? *request.source : library.recordedSource(request.stock);
    if (v.source.empty())
        return failedWith(StockFailure::NoSource, std::string(kMessageNoSourceRecorded));

    ChecksumSet sums;
    const SumsState state = loadChecksums(library.dataDir(), request.stock, sums);
    FolderTree current;
    const CaptureResult read = captureTree(v.source, request.stock, current, request.walk);
    if (read.status == CaptureStatus::Cancelled) return failedWith(StockFailure::Cancelled, {});
    if (read.status == CaptureStatus::NothingFound)
        return failedWith(StockFailure::NoSource, std::string(kMessageInvalidSource),
                          read.error.empty() ? v.source.string()
                                             : v.source.string() + ": " + read.error);

    v.report = verifyTree(v.source, stored.value.tree,
                          state == SumsState::Usable ? &sums : nullptr, current, request.content,
                          request.keepOkRows);
    if (v.report.end == PassEnd::Cancelled) return failedWith(StockFailure::Cancelled, {});
    if (state == SumsState::Unusable) v.report.checksums = ChecksumUse::Unusable;

    VerifyRecord r;
    r.when = nowFileTime();
    r.counts = v.report.counts;
    r.checksums = v.report.checksums;
    r.complete = v.report.end == PassEnd::Completed;
    v.recorded = record(library, request.stock, r);
    return out;
}

std::string verifyKindText(VerifyKind kind) {
    static const char* const kTexts[] = {"内容変更", "読めない", "変更", "消失", "新規", "正常"};
    return kTexts[int(kind)];
}

std::string verifyRowPath(std::string_view stock, const VerifyRow& row) {
    std::string out = "\\" + std::string(stock);
    for (const std::string& part : row.parts)
        out += "\\" + part;
    return out;
}

std::string verifyRowReason(const VerifyRow& row) {
    return row.kind == VerifyKind::Unreadable ? std::strerror(row.error) : std::string();
}

bool saveVerifyCsv(const std::filesystem::path& path, std::string_view stock, size_t count,
                   const std::function<const VerifyRow&(size_t)>& rowAt, std::string* why) {
    static constexpr std::string_view kHeader[] = {"結果",     "パス",
                                                   "サイズ",   "記録時のサイズ",
                                                   "更新日時", "記録時の更新日時",
                                                   "理由"};
    InPlaceFileWriter file;
    const auto failed = [&] {
        if (why) *why = file.why();
        return false;
    };
    if (!file.open(path)) return failed();
    CsvWriter csv([&file](std::string_view bytes) { return file.write(bytes); }, kHeader);
    const auto when = [](FileTime t) { return t.isZero() ? std::string() : captureDateText(t); };
    for (size_t i = 0; i < count; ++i) {
        const VerifyRow& r = rowAt(i);
        const bool now = r.kind != VerifyKind::Missing, before = r.kind != VerifyKind::New;
        const std::string cells[] = {verifyKindText(r.kind),
                                     verifyRowPath(stock, r),
                                     now ? std::to_string(r.size) : std::string(),
                                     before ? std::to_string(r.storedSize) : std::string(),
                                     now ? when(r.modified) : std::string(),
                                     before ? when(r.storedModified) : std::string(),
                                     verifyRowReason(r)};
        csv.row({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]});
    }
    const bool written = csv.finish();
    if (!file.close() || !written) return failed();
    return true;
}

std::string checksumUseText(ChecksumUse use) {
    switch (use) {
    case ChecksumUse::Used:
        return {};
    case ChecksumUse::None:
        return "このストックにはチェックサムがないため、サイズと日時で確かめました";
    case ChecksumUse::Unusable:
        return "チェックサムのファイルが壊れているか古いため使えません。サイズと日時で確かめました";
    }
    return {};
}

namespace {

std::string bytesText(double bytes) {
    static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4)
        bytes /= 1024, ++unit;
    char buf[32];
    std::snprintf(buf, sizeof buf, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return buf;
}

} // namespace

std::string contentProgressText(const ContentProgress& p, double seconds) {
    std::string out = bytesText(double(p.doneBytes)) + " / " + bytesText(double(p.totalBytes));
    if (seconds < 0.5 || p.doneBytes == 0) return out;
    const double speed = double(p.doneBytes) / seconds;
    out += "  " + bytesText(speed) + "/秒";
    const uint64_t rest = p.totalBytes > p.doneBytes ? p.totalBytes - p.doneBytes : 0;
    const long long left = (long long)(double(rest) / speed + 0.5);
    char buf[64];
    std::snprintf(buf, sizeof buf, "  残り %lld:%02lld", left / 60, left % 60);
    return out + buf;
}

std::string verifySummary(const VerifyReport& report) {
    const VerifyCounts& c = report.counts;
    std::string out = c.allOk() ? "全 " + groupThousands(c.total()) + " ファイル正常" : countsText(c);
    if (report.end == PassEnd::MediumGone) out += "（読み込み元が応答しなくなったため途中まで）";
    return out;
}

} // namespace zt
