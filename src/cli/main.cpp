// zutomelark-cli: the catalogue without a window, for scripts and machines
// without a display. Same Data folder rules, same code, same files as the window.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/stocklibrary.h"
#include "platform/datadir.h"
#include "platform/fileops.h"
#include "platform/textfile.h"
#include "platform/utf8.h"
#include "platform/version.h"

#include <algorithm>
#include <iostream>
#include <new>

namespace {

// True when dir exists as a folder, or does not exist and its parent is a folder.
bool dataFolderMayBeMade(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::path p = dir.lexically_normal();
    if (!p.has_filename()) p = p.parent_path(); // "a/b/" is "a/b"
    if (std::filesystem::exists(p, ec)) return true;
    const std::filesystem::path parent = p.parent_path();
    return std::filesystem::is_directory(parent.empty() ? "." : parent, ec);
}

const char* const kMainUsage =
    "使い方: zutomelark-cli [--data フォルダ] コマンド [引数...]\n"
    "        zutomelark-cli --help | --version\n"
    "\n"
    "コマンド:\n"
    "  list [-u] [-l] [-j]                   ストックを一覧の順に表示する\n"
    "  show ストック [フォルダ] [-K] [--sizes] [--sort name|kind|size] [-j | -0]\n"
    "                                        フォルダの中身を表示する (\\a\\b または /a/b)\n"
    "  capture パス... [-N 名前] [--checksums] [-q]\n"
    "                                        パスを読み込んで新しいストックにする\n"
    "  search 文字列 [-m contains|exact|prefix|suffix|wildcard|regex] [-c]\n"
    "         [-t all|files|folders] [-s 名前]... [-n N]\n"
    "         [--min-size サイズ] [--max-size サイズ] [--newer 日付] [--older 日付]\n"
    "         [--csv ファイル] [-j | -0]     ファイル・フォルダを名前で検索する\n"
    "  export ストック 出力先 [-f \\a\\b] [-k files|folders|both]\n"
    "         [-r tree|folder|stock] [-x]    ファイル名を書き出す (- は標準出力)\n"
    "  rename 旧名 新名                      ストックの名前を変える\n"
    "  delete ストック                       ストックを削除する (確認しません)\n"
    "  move ストック up|down                 一覧の中でストックを移動する\n"
    "  adopt 名前...                         一覧にないストックを一覧に加える\n"
    "  info ストック [-j]                    ストックの情報 (読み込み元、日時、件数など)\n"
    "  note ストック 文字列                  ストックのメモを設定する\n"
    "  update ストック [パス] [--dry-run] [--checksums [--rehash]] [-j]\n"
    "                                        読み込み元を読み直してストックを更新する\n"
    "  verify ストック [パス] [--all] [-j]   読み込み元を読み直してストックと比べる\n"
    "  dupes [-s 名前]... [--min-size サイズ] [-b name+size|size|content]\n"
    "        [--csv ファイル] [-j]\n"
    "                                        ストックをまたいで重複ファイルを探す\n"
    "  index [ストック...] [--check] [-j]    名前索引を作る・確かめる\n"
    "  export-ncdu ストック [ファイル|-]     ncdu の JSON 形式で書き出す (ncdu -f で見る)\n"
    "\n"
    "コマンド --help でそのコマンドのオプションを表示します。\n"
    "\n"
    "Data フォルダ: --data フォルダ (ないときは親フォルダがあるときだけ作ります)、\n"
    "なければ $ZUTOMELARK_DATA、なければプログラムと同じフォルダにある Data\n"
    "(あるときだけ)、なければ $XDG_DATA_HOME/zutomelark/Data\n"
    "(~/.local/share/zutomelark/Data)。\n"
    "\n"
    "出力: タブ区切りは画面と同じ表示 (サイズは 1,234KB、日時は 2001/3/5 9:7:3)。\n"
    "名前の制御文字は &#N;、名前の中の \\ は &#92;、そのような形を始める & は &#38;、\n"
    "どの文字コードでも読めないバイトは &#56448; から &#56575; と書きます。\n"
    "-j (--json) は JSON Lines: 一行に一つの JSON オブジェクト、正確なバイト数と\n"
    "ISO 8601 の日時。-0 (--print0) は元のバイトのまま NUL で区切ります。\n"
    "標準出力に書き込めないときは終了ステータス 6 です。\n"
    "\n";

int printUsage() {
    std::string text = std::string(kMainUsage) + "短いオプション (どのコマンドでも同じ意味):";
    int n = 0;
    for (const zt::cli::ShortOption& o : zt::cli::shortOptions())
        text += std::string(n++ % 6 ? "  -" : "\n  -") + o.letter + " --" + o.name;
    text += "\n  (--dry-run、--check には短い形はありません)\n\n";
    text += zt::cli::kStatusHelp;
    zt::cli::out() << text;
    return zt::cli::out().finish(zt::cli::kOk);
}

int mainUsageError(const std::string& message) {
    zt::cli::printError(message);
    std::cerr << "詳しくは zutomelark-cli --help\n";
    return zt::cli::kUsage;
}

} // namespace

namespace zt::cli {

int usageError(const Command& command, std::string_view message) {
    printError(message.empty() ? std::string_view("引数が正しくありません") : message);
    std::cerr << "詳しくは zutomelark-cli " << command.word << " --help\n";
    return kUsage;
}

int usageError(std::string_view word, std::string_view message) {
    return usageError(commandNamed(word), message);
}

std::string printedRaw(std::string_view name) {
    std::string bytes = nativeBytesOf(name);
    // A NUL would end the record early; a crafted stock's name may hold one.
    for (size_t at = bytes.find('\0'); at != std::string::npos; at = bytes.find('\0', at))
        bytes.replace(at, 1, "&#0;");
    return bytes;
}

std::optional<int> chooseStocks(const std::filesystem::path& dataDir, const ParsedArgs& args,
                                std::vector<std::string>& out) {
    const auto names = StockLibrary(dataDir).names();
    if (!names.ok()) return report(names);
    // In list order, as the window searches its selection.
    const std::vector<std::string> chosen = args.values("stock");
    for (const std::string& s : chosen)
        if (std::find(names.value.begin(), names.value.end(), s) == names.value.end())
            return report(StockResult::fail(StockFailure::NoSuchStock, messageNoSuchStock(s)));
    for (const std::string& n : names.value)
        if (chosen.empty() || std::find(chosen.begin(), chosen.end(), n) != chosen.end())
            out.push_back(n);
    return std::nullopt;
}

std::optional<int> writeCsvOutput(const std::string& where,
                                  const std::function<bool(const CsvSink&)>& make) {
    if (where == "-") {
        (void)make([](std::string_view piece) { return !(out() << piece).failed(); });
        return std::nullopt; // a failed write is told when the command ends
    }
    InPlaceFileWriter file;
    bool ok =
        file.open(where) && make([&file](std::string_view piece) { return file.write(piece); });
    ok = file.close() && ok;
    if (!ok) {
        printError(messageCannotCreate(where), file.why());
        return kFileError;
    }
    return std::nullopt;
}

const Command& commandNamed(std::string_view word) {
    for (const Command& c : commands())
        if (word == c.word) return c;
    return commands().front();
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> c;
        addListCommands(c);
        addStockCommands(c);
        addCaptureCommands(c);
        addSearchCommands(c);
        addInfoCommands(c);
        addVerifyCommands(c);
        addSizesCommands(c);
        return c;
    }();
    return all;
}

} // namespace zt::cli

namespace {

int runCommandLine(std::vector<std::string> args) {
    using namespace zt;
    using namespace zt::cli;

    // Options before the command word: --data, --help, --version.
    std::optional<std::filesystem::path> dataArg;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data" || a == "-d") {
            if (i + 1 >= args.size())
                return mainUsageError("オプション " + a + " には値が必要です");
            dataArg = args[++i];
        } else if (a.starts_with("--data=")) {
            dataArg = a.substr(7);
        } else if (a == "--help" || a == "-h") {
            return printUsage();
        } else if (a == "--version" || a == "-V") {
            out() << "zutomelark-cli " << programVersion() << '\n';
            return out().finish(kOk);
        } else if (a.starts_with("-")) {
            return mainUsageError("不明なオプションです: " + a);
        } else {
            break;
        }
    }
    if (i >= args.size()) return mainUsageError("コマンドがありません");
    const std::string word = args[i++];
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (word == c.word) command = &c;
    if (!command) {
        return mainUsageError("不明なコマンドです: " + word);
    }

    // The command's own arguments: --help is answered before the Data folder is touched.
    ParsedArgs parsed;
    switch (parseArgs({args.begin() + long(i), args.end()}, command->options, parsed)) {
    case ParseStatus::Help:
        out() << command->usage;
        return out().finish(kOk);
    case ParseStatus::Error: // the parser said what was wrong
        std::cerr << "詳しくは zutomelark-cli " << command->word << " --help\n";
        return kUsage;
    case ParseStatus::Parsed:
        break;
    }

    const auto dataDir = resolveDataDir(dataDirInputsFromEnvironment(dataArg));
    // A mistyped --data is not made into a new catalogue with all its
    // parents: only a folder whose parent exists is created (a first use).
    if (dataArg && !dataFolderMayBeMade(dataDir)) {
        printError("Data フォルダがありません (親フォルダもありません): " + dataDir.string());
        return kFileError;
    }
    if (std::filesystem::path failed; !seedDataDir(dataDir, &failed)) {
        printError(failed.empty() ? "Data フォルダを作成できません: " + dataDir.string()
                                  : messageCannotCreate(failed));
        return kFileError;
    }
    return out().finish(command->run(dataDir, parsed));
}

} // namespace

int main(int argc, char** argv) {
    // Memory that runs out (a file far larger than it looked, a system short
    // of memory) is a failure like any other, told and given its status.
    zt::guardStandardDescriptors(); // before any file is opened
    try {
        return runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        zt::cli::printError("メモリが足りません");
        return zt::cli::kFileError;
    }
}
