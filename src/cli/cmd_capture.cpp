// capture: reading a folder into a new stock, with progress on a terminal.
#include "capture/capture.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/stocklibrary.h"
#include "platform/direnum.h"
#include "platform/fileops.h"
#include "platform/utf8.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace zt::cli {

namespace {

const char* const kCaptureUsage =
    "使い方: zutomelark-cli [--data フォルダ] capture パス... [-N 名前] [--checksums] [-q]\n"
    "  パスの下のフォルダとファイルを読み込んで新しいストックにし、一覧の最後に加えて\n"
    "  その名前を表示します。名前はそのフォルダの名前 (. や .. や末尾の / も実際の\n"
    "  フォルダの名前に、/ なら \"root\") か指定の名前で、使われている名前には\n"
    "  _2、_3... が付きます。別のファイルシステムのフォルダ (マウントポイント) は中を\n"
    "  読まず、その数を標準エラーに表示します。どの文字コードでも読めない名前の\n"
    "  バイトはそのまま記録します (表示は &#56448; などの形)。\n"
    "  パスがディスクイメージ (ISO 9660、UDF) かディスクのデバイスなら中のファイル\n"
    "  システムを読み、名前はボリュームラベル (なければファイル名) になります。\n"
    "  パスをいくつも指定すると 1 つずつストックにします (--name は 1 つのときだけ)。\n"
    "  -N, --name 名前  ストックの名前\n"
    "  --checksums      内容のチェックサムも記録する (すべてのファイルを一度読みます。\n"
    "                   読めないファイルは読めないと記録して続けます)\n"
    "  -q, --quiet      標準エラーに進み具合を表示しない (端末のときだけ表示します)\n";

// One line on standard error, rewritten in place: entries read, the folder
// being read and the time so far, at most a few times a second. It never
// grows past the terminal's width, which would wrap it onto rows that the
// next rewrite cannot reach.
class ProgressLine {
  public:
    void entry(std::string_view folder) {
        ++entries_;
        const auto now = Clock::now();
        if (now - shown_ < kInterval) return;
        shown_ = now;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
        std::string text = std::to_string(entries_) + " 項目  " + std::to_string(seconds) +
                           " 秒  " + escapeMessage(folder);
        // The last column is left free: writing there makes some terminals wrap.
        const int room = (standardErrorColumns() > 0 ? standardErrorColumns() : 80) - 1;
        if (columnsOf(text) > room) text = std::string(columnsPrefix(text, room - 1)) + "…";
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        dirty_ = true;
    }
    ~ProgressLine() {
        if (dirty_) std::fputs("\r\033[K", stderr);
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{200};
    Clock::time_point start_ = Clock::now(), shown_ = start_ - kInterval; // the first at once
    long long entries_ = 0;
    bool dirty_ = false;
};

// The folder's own name, as the shell would tell it: ".", "..", "./x/" and a
// trailing "/" are the real folder's name, not the letters typed.
std::string sourceFolderName(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
    std::string text = ec ? path : full.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return folderDisplayName(text);
}

// One source into one stock; its exit status.
int captureOne(const std::filesystem::path& dataDir, const ParsedArgs& args,
               const std::string& path) {
    CaptureRequest request;
    request.source = path;
    // The name as the window shows it: the file system's bytes made into text,
    // so the stock list and the stock file's name agree.
    // The stock's name never holds raw bytes (a Windows copy could not name its file).
    request.rootText = rawBytesReplaced(displayNameOfNative(sourceFolderName(path)));
    request.name = args.value("name");

    std::optional<ProgressLine> progress;
    CaptureCallbacks callbacks;
    if (!args.has("quiet") && standardErrorIsTerminal()) {
        progress.emplace();
        callbacks.onEntry = [&progress](std::string_view folder, std::string_view) {
            progress->entry(folder);
        };
    }
    ChecksumOptions checksums;
    if (args.has("checksums")) checksums.mode = ChecksumMode::Add;
    ContentProgressLine contentProgress(args.has("quiet"));
    checksums.content = contentProgress.callbacks();
    FolderTree tree;
    const auto stored = StockLibrary(dataDir).capture(request, tree, callbacks, checksums);
    progress.reset();
    if (!stored.ok()) {
        if (stored.failure == StockFailure::NoSource && stored.message == kMessageInvalidSource)
            printError(stored.message + ": " + path, stored.detail);
        else
            printError(stored.message, stored.detail);
        return statusOf(stored.failure);
    }
    if (stored.otherFileSystemFolders > 0)
        printError(messageOtherFileSystemFolders(stored.otherFileSystemFolders));
    if (stored.incomplete) printError(std::string(kMessagePartlyRead) + ": " + path, stored.problem);
    if (stored.unreadableFiles > 0)
        printError("読めないファイル " + std::to_string(stored.unreadableFiles) +
                   " 個は読めないと記録しました");
    if (args.has("checksums") && !stored.checksumsSaved) printError("チェックサムを保存できませんでした");
    out() << escapeName(stored.value) << '\n';
    return kOk;
}

// Each source makes a stock of its own; one that fails is reported and the
// others are still read. The status is the first failure's.
int runCapture(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.empty()) return usageError("capture");
    for (const std::string& path : args.positional)
        if (path.empty()) return usageError("capture");
    // One name cannot name several stocks.
    if (args.positional.size() > 1 && args.value("name")) return usageError("capture");
    int status = kOk;
    for (const std::string& path : args.positional) {
        const int one = captureOne(dataDir, args, path);
        if (status == kOk) status = one;
    }
    return status;
}

} // namespace

void addCaptureCommands(std::vector<Command>& out) {
    out.push_back({"capture",
                   kCaptureUsage,
                   {{"name", true}, {"checksums", false}, {"quiet", false}},
                   runCapture});
}

} // namespace zt::cli
