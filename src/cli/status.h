#pragma once
// The exit statuses of zutomelark-cli: one status for one kind of failure, in
// every command.
#include "library/stocklibrary.h"

namespace zt::cli {

constexpr int kOk = 0;
constexpr int kNothingFound = 1; // no hits, an empty list, a move at an end, an index not made
constexpr int kUsage = 2;        // unknown command or option, missing or extra argument
constexpr int kLimitReached = 3; // the search stopped at its result limit
constexpr int kNotFound = 4;     // no such stock, folder or source
constexpr int kRefused = 5;      // a name not allowed or taken, a file that is not a stock
constexpr int kFileError = 6;    // a file or standard output cannot be read or written, the
                                 // Data folder is busy or may not be made

// The table as the help text shows it.
inline constexpr const char* kStatusHelp =
    "終了ステータス:\n"
    "  0  成功\n"
    "  1  該当なし (検索結果なし、一覧が空、端での移動、索引がない・古いなど)\n"
    "  2  使い方の誤り (不明なコマンド・オプション、引数の過不足)\n"
    "  3  検索が結果の上限で止まった (--limit の件数、または画面と同じ 10000 件)\n"
    "  4  ストック・フォルダ・読み込み元がない\n"
    "  5  使えない名前・使われている名前、ストックでないファイル\n"
    "  6  ファイル・標準出力に読み書きできない、Data フォルダが使用中、\n"
    "     --data のフォルダも親フォルダもない\n";

[[nodiscard]] int statusOf(StockFailure f);

// Prints the failure's message (and detail) on standard error; its status.
int report(const StockResult& r);

} // namespace zt::cli
