// list and adopt: the stock list itself.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/stocklibrary.h"

#include <optional>

namespace zt::cli {

namespace {

const char* const kListUsage =
    "使い方: zutomelark-cli [--data フォルダ] list [-u] [-l] [-j]\n"
    "  ストックを一覧の順に一行ずつ表示します\n"
    "  -u, --unlisted  Data にあって一覧にないストックファイル (adopt で一覧に戻せます)\n"
    "  -l, --long      フォルダ数・ファイル数・合計バイト数・読み込み日時・最終検証もタブ区切りで\n"
    "  -j, --json      JSON Lines: 一行に一つの JSON オブジェクト {\"name\": ...}\n"
    "                  (--long では正確なバイト数と ISO 8601 の日時も)\n";

const char* const kAdoptUsage =
    "使い方: zutomelark-cli [--data フォルダ] adopt 名前...\n"
    "  一覧にないストックファイル (list --unlisted) を一覧の最後に加えます\n";

int runList(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (!args.positional.empty()) return usageError("list", "引数は要りません");
    const StockLibrary library(dataDir);
    const auto names = args.has("unlisted") ? library.unlisted() : library.names();
    if (!names.ok()) return report(names);
    const bool json = args.has("json"), longForm = args.has("long") && !args.has("unlisted");
    // The facts of every stock from the list read above, not read again for each.
    auto facts = longForm ? library.infoOfEach(names.value)
                          : std::vector<StockOutcome<StockInfo>>{};
    for (size_t row = 0; row < names.value.size(); ++row) {
        const std::string& n = names.value[row];
        std::optional<StockInfo> info;
        if (longForm) {
            if (facts[row].ok())
                info = std::move(facts[row].value);
            else
                printError(facts[row].message);
        }
        if (json) {
            JsonLine line;
            line.text("name", n);
            if (info)
                line.number("folders", info->folders)
                    .number("files", info->files)
                    .number("bytes", info->bytes)
                    .time("captured", info->captured)
                    .time("verified", info->lastVerify ? info->lastVerify->when : FileTime{});
            out() << line.line();
        } else {
            out() << escapeName(n);
            if (info)
                out() << '\t' << std::to_string(info->folders) << '\t'
                      << std::to_string(info->files) << '\t' << std::to_string(info->bytes) << '\t'
                      << captureDateText(info->captured) << "\t最終検証: "
                      << verifyText(info->lastVerify);
            out() << '\n';
        }
    }
    return names.value.empty() ? kNothingFound : kOk;
}

int runAdopt(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.empty()) return usageError("adopt", "ストックの名前を指定してください");
    StockLibrary library(dataDir);
    int status = kOk;
    for (const std::string& name : args.positional)
        if (const StockResult r = library.adopt(name); !r.ok()) status = report(r);
    return status;
}

} // namespace

void addListCommands(std::vector<Command>& out) {
    out.push_back(
        {"list", kListUsage, {{"unlisted", false}, {"long", false}, {"json", false}}, runList});
    out.push_back({"adopt", kAdoptUsage, {}, runAdopt});
}

} // namespace zt::cli
