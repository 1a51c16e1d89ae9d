// list and adopt: the stock list itself.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "library/stocklibrary.h"

#include <iostream>

namespace zt::cli {

namespace {

const char* const kListUsage =
    "使い方: zutomelark-cli [--data フォルダ] list [--unlisted] [--long] [--json]\n"
    "  ストックを一覧の順に一行ずつ表示します\n"
    "  -u, --unlisted  Data にあって一覧にないストックファイル (adopt で一覧に戻せます)\n"
    "  -l, --long      フォルダ数・ファイル数・合計バイト数・読み込み日時・最終検証もタブ区切りで\n"
    "  --json          一行に一つの JSON オブジェクト: {\"name\": ...}\n";

const char* const kAdoptUsage =
    "使い方: zutomelark-cli [--data フォルダ] adopt 名前...\n"
    "  一覧にないストックファイル (list --unlisted) を一覧の最後に加えます\n";

int runList(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (!args.positional.empty()) return usageError("list");
    const StockLibrary library(dataDir);
    const auto names = args.has("unlisted") ? library.unlisted() : library.names();
    if (!names.ok()) return report(names);
    const bool json = args.has("json"), longForm = args.has("long") && !args.has("unlisted");
    std::string out;
    for (const auto& n : names.value) {
        std::optional<StockInfo> info;
        if (longForm) {
            auto i = library.info(n);
            if (i.ok())
                info = std::move(i.value);
            else
                printError(i.message);
        }
        if (json) {
            out += "{\"name\":" + jsonString(n);
            if (info)
                out += ",\"folders\":" + std::to_string(info->folders) +
                       ",\"files\":" + std::to_string(info->files) +
                       ",\"bytes\":" + std::to_string(info->bytes) +
                       ",\"captured\":" + jsonTime(info->captured) +
                       ",\"verified\":" +
                       jsonTime(info->lastVerify ? info->lastVerify->when : FileTime{});
            out += "}\n";
        } else {
            out += escapeName(n);
            if (info)
                out += '\t' + std::to_string(info->folders) + '\t' + std::to_string(info->files) +
                       '\t' + std::to_string(info->bytes) + '\t' + captureDateText(info->captured) +
                       "\t最終検証: " + verifyText(info->lastVerify);
            out += '\n';
        }
    }
    std::cout << out << std::flush;
    return names.value.empty() ? kNothingFound : kOk;
}

int runAdopt(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.empty()) return usageError("adopt");
    StockLibrary library(dataDir);
    int status = kOk;
    for (const std::string& name : args.positional)
        if (const StockResult r = library.adopt(name); !r.ok()) status = report(r);
    return status;
}

} // namespace

void addListCommands(std::vector<Command>& out) {
    out.push_back({"list",
                   kListUsage,
                   {{"unlisted", 'u', false}, {"long", 'l', false}, {"json", 0, false}},
                   runList});
    out.push_back({"adopt", kAdoptUsage, {}, runAdopt});
}

} // namespace zt::cli
