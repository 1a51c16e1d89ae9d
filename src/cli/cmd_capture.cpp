// capture: reading a folder into a new stock, with progress on a terminal.
#include "capture/capture.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/status.h"
#include "library/stocklibrary.h"
#include "platform/direnum.h"
#include "platform/fileops.h"
#include "platform/utf8.h"

#include <chrono>
#include <cstdio>
#include <iostream>

namespace zt::cli {

namespace {

const char* const kCaptureUsage =
    "使い方: zutomelark-cli [--data フォルダ] capture パス [--name 名前] [--checksums] [--quiet]\n"
    "  パスの下のフォルダとファイルを読み込んで新しいストックにし、一覧の最後に加えて\n"
    "  その名前を表示します。名前はパスの最後の部分 (/ なら \"root\") か指定の名前で、\n"
    "  使われている名前には _2、_3... が付きます。別のファイルシステムのフォルダ\n"
    "  (マウントポイント) は中を読まず、その数を標準エラーに表示します。\n"
    "  -n, --name 名前  ストックの名前\n"
    "  -c, --checksums  内容のチェックサムも記録する (すべてのファイルを一度読みます。\n"
    "                   読めないファイルは読めないと記録して続けます)\n"
    "  -q, --quiet      標準エラーに進み具合を表示しない (端末のときだけ表示します)\n";

// One line on standard error, rewritten in place: entries read, the folder
// being read and the time so far, at most a few times a second.
class ProgressLine {
  public:
    void entry(std::string_view folder) {
        ++entries_;
        const auto now = Clock::now();
        if (now - shown_ < std::chrono::milliseconds(200)) return;
        shown_ = now;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
        std::string text = std::to_string(entries_) + " 項目  " + std::to_string(seconds) +
                           " 秒  " + escapeMessage(folder);
        if (text.size() > 100) text = cut(text, 100);
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        dirty_ = true;
    }
    ~ProgressLine() {
        if (dirty_) std::fputs("\r\033[K", stderr);
    }

  private:
    using Clock = std::chrono::steady_clock;
    // The first `bytes` bytes, ending on a UTF-8 character boundary.
    static std::string cut(const std::string& s, size_t bytes) {
        return std::string(utf8Prefix(s, bytes)) + "…";
    }
    Clock::time_point start_ = Clock::now(), shown_ = start_;
    long long entries_ = 0;
    bool dirty_ = false;
};

int runCapture(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 1 || args.positional[0].empty()) return usageError("capture");
    const std::string& path = args.positional[0];
    CaptureRequest request;
    request.source = path;
    // The name as the window shows it: the file system's bytes made into text,
    // so the stock list and the stock file's name agree.
    request.rootText = displayNameOfNative(folderDisplayName(path));
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
        if (stored.failure == StockFailure::NoSource)
            printError(stored.message + ": " + path, stored.detail);
        else
            printError(stored.message, stored.detail);
        return statusOf(stored.failure);
    }
    if (stored.otherFileSystemFolders > 0)
        printError(messageOtherFileSystemFolders(stored.otherFileSystemFolders));
    if (stored.unreadableFiles > 0)
        printError("読めないファイル " + std::to_string(stored.unreadableFiles) +
                   " 個は読めないと記録しました");
    if (args.has("checksums") && !stored.checksumsSaved) printError("チェックサムを保存できませんでした");
    std::cout << escapeName(stored.value) << '\n';
    return kOk;
}

} // namespace

void addCaptureCommands(std::vector<Command>& out) {
    out.push_back(
        {"capture", kCaptureUsage, {{"name", 'n', true}, {"checksums", 'c', false}, {"quiet", 'q', false}}, runCapture});
}

} // namespace zt::cli
