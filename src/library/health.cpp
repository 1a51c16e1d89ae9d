#include "library/health.h"

#include "library/sidefiles.h"
#include "platform/datafiles.h"
#include "platform/numbertext.h"
#include "platform/textfile.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace zt {

namespace {

constexpr size_t kMaxHistoryBytes = size_t(64) << 10;

const char* const kUseWords[] = {"used", "none", "unusable"};
// By VerifyKind.
const char* const kKindTexts[] = {"内容変更", "読めない", "変更", "消失", "新規", "正常"};
// The order the counts are written in: ok first, as people read them.
constexpr VerifyKind kCountOrder[] = {VerifyKind::Ok,      VerifyKind::ContentChanged,
                                      VerifyKind::Changed, VerifyKind::Missing,
                                      VerifyKind::New,     VerifyKind::Unreadable};


std::string countsWords(const VerifyCounts& c) {
    std::string out;
    for (VerifyKind k : kCountOrder)
        out += (out.empty() ? "" : " ") + std::to_string(c[k]);
    return out;
}

bool parseCounts(std::string_view text, VerifyCounts& c) {
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (VerifyKind k : kCountOrder) {
        while (p < end && *p == ' ')
            ++p;
        const auto [next, ec] = std::from_chars(p, end, c.of[int(k)]);
        if (ec != std::errc()) return false;
        p = next;
    }
    return p == end;
}

bool parseUse(std::string_view word, ChecksumUse& use) {
    for (int i = 0; i < 3; ++i)
        if (word == kUseWords[i]) {
            use = ChecksumUse(i);
            return true;
        }
    return false;
}

std::string historyLine(const VerifyRecord& r) {
    return localTimeText(r.when) + ' ' + countsWords(r.counts) + ' ' + kUseWords[int(r.checksums)] +
           ' ' + (r.complete ? '1' : '0');
}

std::optional<VerifyRecord> parseHistoryLine(std::string_view line) {
    // "YYYY-MM-DD hh:mm:ss" then six counts, the checksum word and the flag.
    if (line.size() < 20) return std::nullopt;
    VerifyRecord r;
    r.when = parseLocalTimeText(line.substr(0, 19));
    std::string_view rest = line.substr(20);
    const size_t flag = rest.rfind(' ');
    if (r.when.isZero() || flag == std::string_view::npos) return std::nullopt;
    const size_t use = rest.rfind(' ', flag - 1);
    if (use == std::string_view::npos || !parseCounts(rest.substr(0, use), r.counts) ||
        !parseUse(rest.substr(use + 1, flag - use - 1), r.checksums))
        return std::nullopt;
    r.complete = rest.substr(flag + 1) != "0";
    return r;
}

} // namespace

void appendVerifyFacts(const VerifyRecord& r, std::vector<std::string>& lines) {
    lines.push_back("verified=" + localTimeText(r.when));
    lines.push_back("verifycounts=" + countsWords(r.counts));
    lines.push_back(std::string("verifychecksums=") + kUseWords[int(r.checksums)]);
    lines.push_back(std::string("verifycomplete=") + (r.complete ? "1" : "0"));
}

bool parseVerifyFact(std::string_view key, std::string_view value,
                     std::optional<VerifyRecord>& record) {
    if (!key.starts_with("verif")) return false;
    if (!record) record.emplace();
    if (key == "verified")
        record->when = parseLocalTimeText(value);
    else if (key == "verifycounts")
        (void)parseCounts(value, record->counts);
    else if (key == "verifychecksums")
        (void)parseUse(value, record->checksums);
    else if (key == "verifycomplete")
        record->complete = value != "0";
    return true;
}

std::string countsText(const VerifyCounts& c) {
    std::string out;
    for (VerifyKind k : kCountOrder)
        out += (out.empty() ? "" : "、") + std::string(kKindTexts[int(k)]) + ' ' +
               groupThousands(c[k]);
    return out;
}

std::string verifyText(const std::optional<VerifyRecord>& record) {
    if (!record || record->when.isZero()) return "未検証";
    const LocalDateTime d = toLocalDateTime(record->when);
    char date[16];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", d.year, d.month, d.day);
    std::string out = date;
    if (record->counts.allOk() && record->complete)
        out += " 全 " + groupThousands(record->counts.total()) + " ファイル正常";
    else
        out += ' ' + countsText(record->counts);
    if (!record->complete) out += " (途中で中断)";
    if (record->checksums != ChecksumUse::Used) out += " (サイズと日時のみ)";
    return out;
}

std::vector<VerifyRecord> readVerifyHistory(const std::filesystem::path& dataDir,
                                            std::string_view name) {
    std::vector<VerifyRecord> out;
    const auto bytes = readSideFile(sideFilePath(dataDir, kStockHistoryFile, name), kMaxHistoryBytes);
    if (!bytes) return out;
    LineCursor in(*bytes);
    std::string_view line;
    while (in.next(line))
        if (auto r = parseHistoryLine(line)) out.push_back(*r);
    if (out.size() > kVerifyHistoryLength)
        out.erase(out.begin(), out.end() - ptrdiff_t(kVerifyHistoryLength));
    return out;
}

bool appendVerifyHistory(const std::filesystem::path& dataDir, std::string_view name,
                         const VerifyRecord& record) {
    std::vector<VerifyRecord> all = readVerifyHistory(dataDir, name);
    all.push_back(record);
    if (all.size() > kVerifyHistoryLength) all.erase(all.begin());
    TextFileBuilder out;
    for (const VerifyRecord& r : all)
        out.rawLine(historyLine(r));
    return writeSideFile(sideFilePath(dataDir, kStockHistoryFile, name), out.bytes());
}

} // namespace zt
