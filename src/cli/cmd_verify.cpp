// verify: reading a stock's medium again and telling what still reads back as it was.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/verifystock.h"
#include "platform/utf8.h"

#include <cstring>

namespace zt::cli {

namespace {

const char* const kVerifyUsage =
    "使い方: zutomelark-cli [--data フォルダ] verify ストック [パス] [--all] [--json] [--quiet]\n"
    "  ストックの読み込み元 (記録されたもの、またはパス) をもう一度読み、ファイルごとに\n"
    "  ストックと比べます。違いを一行ずつ 種類・パス (読めないものは理由も) をタブ区切りで\n"
    "  表示します: 内容変更 (サイズと日時は同じで内容が違う)、読めない、変更 (サイズか\n"
    "  日時)、消失、新規。チェックサムのないストックはサイズと日時で確かめます。\n"
    "  結果はストックの情報 (最終検証) と直近 10 回の記録に残ります。\n"
    "  終了ステータス: 0 すべて正常、1 違いがある、6 読み込み元を読めない\n"
    "  --all        正常なファイルも表示する\n"
    "  -j, --json   JSON Lines: 一行に一つの JSON オブジェクト (最後の行は summary)\n"
    "  -q, --quiet  標準エラーに進み具合を表示しない\n";

const char* const kStateWords[] = {"content", "unreadable", "changed", "missing", "new", "ok"};
const char* const kUseWords[] = {"used", "none", "unusable"};

std::string rowPath(const std::string& stock, const VerifyRow& row, bool json) {
    std::string out = "\\" + (json ? stock : escapeName(stock));
    for (const std::string& part : row.parts)
        out += "\\" + (json ? part : escapeName(part));
    return out;
}

std::string jsonRow(const std::string& stock, const VerifyRow& r) {
    JsonLine line;
    line.text("state", kStateWords[int(r.kind)])
        .text("path", rowPath(stock, r, true))
        .number("size", r.size)
        .number("storedSize", r.storedSize)
        .time("modified", r.modified)
        .time("storedModified", r.storedModified);
    if (r.kind == VerifyKind::Unreadable) line.text("error", std::strerror(r.error));
    return line.line();
}

std::string jsonSummary(const VerifyReport& report) {
    JsonLine counts;
    for (int k = 0; k < kVerifyKinds; ++k)
        counts.number(kStateWords[k], report.counts.of[k]);
    counts.text("checksums", kUseWords[int(report.checksums)])
        .flag("complete", report.end == PassEnd::Completed);
    std::string inner = counts.line();
    inner.pop_back(); // its line end: it is a field of the summary's line
    return JsonLine().json("summary", inner).line();
}

int runVerify(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2) return usageError("verify");
    const bool json = args.has("json");
    VerifyRequest request;
    request.stock = p[0];
    if (p.size() > 1) request.source = p[1];
    request.keepOkRows = args.has("all");
    ContentProgressLine progress(args.has("quiet"));
    request.content = progress.callbacks();
    const auto result = verifyStock(StockLibrary(dataDir), request);
    if (!result.ok()) {
        report(result);
        // A medium that cannot be read is a file error here, as scripts test it.
        return result.failure == StockFailure::NoSource ? kFileError : statusOf(result.failure);
    }
    const VerifyReport& r = result.value.report;
    for (const VerifyRow& row : r.rows) {
        if (json) {
            out() << jsonRow(p[0], row);
        } else {
            out() << verifyKindText(row.kind) << '\t' << rowPath(p[0], row, false);
            if (row.kind == VerifyKind::Unreadable)
                out() << '\t' << escapeMessage(std::strerror(row.error));
            out() << '\n';
        }
    }
    if (json) out() << jsonSummary(r);
    if (const std::string why = checksumUseText(r.checksums); !why.empty()) printError(why);
    printError("検証: " + verifySummary(r));
    if (!result.value.recorded) printError("検証の記録を保存できませんでした");
    if (r.end == PassEnd::MediumGone) {
        printError(std::string(kMessageMediumGone),
                   r.goneError ? std::strerror(r.goneError) : "");
        return kFileError;
    }
    return r.counts.allOk() ? kOk : kNothingFound;
}

} // namespace

void addVerifyCommands(std::vector<Command>& out) {
    out.push_back({"verify",
                   kVerifyUsage,
                   {{"all", false}, {"json", false}, {"quiet", false}},
                   runVerify});
}

} // namespace zt::cli
