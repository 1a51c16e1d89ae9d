// zutomelark-cli: the catalogue without a window, for scripts and machines
// without a display. Same Data folder rules, same code, same files as the window.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "library/stocklibrary.h"
#include "platform/datadir.h"
#include "platform/textfile.h"
#include "platform/version.h"

#include <algorithm>
#include <new>
#include <iostream>

namespace {

const char* const kMainUsage =
    "使い方: zutomelark-cli [--data フォルダ] コマンド [引数...]\n"
    "        zutomelark-cli --help | --version\n"
    "\n"
    "コマンド:\n"
    "  list [--unlisted] [--long] [--json]   ストックを一覧の順に表示する\n"
    "  show ストック [フォルダ] [--by-kind] [--sizes] [--sort name|kind|size] [--json]\n"
    "                                        フォルダの中身を表示する (フォルダは \\a\\b)\n"
    "  capture パス [--name 名前] [--checksums] [--quiet]\n"
    "                                        パスを読み込んで新しいストックにする\n"
    "  search 文字列 [--mode contains|exact|prefix|suffix|wildcard|regex] [--case]\n"
    "         [--target all|files|folders] [--stock 名前]... [--limit N]\n"
    "         [--min-size サイズ] [--max-size サイズ] [--newer 日付] [--older 日付]\n"
    "         [--csv ファイル] [--json]      ファイル・フォルダを名前で検索する\n"
    "  export ストック 出力先 [--folder \\a\\b] [--kind files|folders|both]\n"
    "         [--range tree|folder|stock] [--strip-ext]\n"
    "                                        ファイル名を書き出す (- は標準出力)\n"
    "  rename 旧名 新名                      ストックの名前を変える\n"
    "  delete ストック                       ストックを削除する (確認しません)\n"
    "  move ストック up|down                 一覧の中でストックを移動する\n"
    "  adopt 名前...                         一覧にないストックを一覧に加える\n"
    "  info ストック [--json]                ストックの情報 (読み込み元、日時、件数など)\n"
    "  note ストック 文字列                  ストックのメモを設定する\n"
    "  update ストック [パス] [--dry-run] [--checksums [--rehash]]\n"
    "                                        読み込み元を読み直してストックを更新する\n"
    "  verify ストック [パス] [--all] [--json]\n"
    "                                        読み込み元を読み直してストックと比べる\n"
    "  dupes [--stock 名前]... [--min-size サイズ] [--by name+size|size|content]\n"
    "        [--csv ファイル]\n"
    "                                        ストックをまたいで重複ファイルを探す\n"
    "  index [ストック...] [--check]         名前索引を作る・確かめる\n"
    "  export-ncdu ストック [ファイル|-]     ncdu の JSON 形式で書き出す (ncdu -f で見る)\n"
    "\n"
    "コマンド --help でそのコマンドのオプションを表示します。\n"
    "\n"
    "Data フォルダ: --data フォルダ、なければ $ZUTOMELARK_DATA、なければプログラムと\n"
    "同じフォルダにある Data (あるときだけ)、なければ $XDG_DATA_HOME/zutomelark/Data\n"
    "(~/.local/share/zutomelark/Data)。\n"
    "\n"
    "テキスト出力の名前: 制御文字は &#N;、名前の中の \\ は &#92;、そのような形を\n"
    "始める & は &#38; と書きます (--json では元のまま)。\n"
    "\n";

int printUsage(std::ostream& out, int status) {
    out << kMainUsage << zt::cli::kStatusHelp;
    return status;
}

} // namespace

namespace zt::cli {

int usageError(const Command& command) {
    std::cerr << command.usage;
    return kUsage;
}

int usageError(std::string_view word) {
    return usageError(commandNamed(word));
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
        (void)make([](std::string_view piece) { return bool(std::cout << piece); });
        std::cout << std::flush;
        return std::nullopt;
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
            if (i + 1 >= args.size()) return printUsage(std::cerr, zt::cli::kUsage);
            dataArg = args[++i];
        } else if (a.starts_with("--data=")) {
            dataArg = a.substr(7);
        } else if (a == "--help" || a == "-h") {
            return printUsage(std::cout, kOk);
        } else if (a == "--version" || a == "-V") {
            std::cout << "zutomelark-cli " << programVersion() << '\n';
            return kOk;
        } else if (a.starts_with("-")) {
            printError("不明なオプションです: " + a);
            return printUsage(std::cerr, zt::cli::kUsage);
        } else {
            break;
        }
    }
    if (i >= args.size()) return printUsage(std::cerr, zt::cli::kUsage);
    const std::string word = args[i++];
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (word == c.word) command = &c;
    if (!command) {
        printError("不明なコマンドです: " + word);
        return printUsage(std::cerr, zt::cli::kUsage);
    }

    // The command's own arguments: --help is answered before the Data folder is touched.
    ParsedArgs parsed;
    switch (parseArgs({args.begin() + long(i), args.end()}, command->options, parsed)) {
    case ParseStatus::Help:
        std::cout << command->usage;
        return kOk;
    case ParseStatus::Error:
        return usageError(*command);
    case ParseStatus::Parsed:
        break;
    }

    const auto dataDir = resolveDataDir(dataDirInputsFromEnvironment(dataArg));
    if (std::filesystem::path failed; !seedDataDir(dataDir, &failed)) {
        printError(failed.empty() ? "Data フォルダを作成できません: " + dataDir.string()
                                  : messageCannotCreate(failed));
        return kFileError;
    }
    return command->run(dataDir, parsed);
}

} // namespace

int main(int argc, char** argv) {
    // Memory that runs out (a file far larger than it looked, a system short
    // of memory) is a failure like any other, told and given its status.
    try {
        return runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        zt::cli::printError("メモリが足りません");
        return zt::cli::kFileError;
    }
}
