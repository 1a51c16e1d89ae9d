#pragma once
// Search results as a CSV file: CP932, CR LF, one header line, then one line
// per row with the cells exactly as the result list shows them.
#include "platform/textfile.h"
#include "search/engine.h"

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

inline constexpr std::string_view kMessageCannotOpenFile = "ファイルが開けません";

// True when the text holds a comma or a double quote. In UTF-8 those bytes
// never occur inside another character, so a byte scan is exact.
[[nodiscard]] bool needsCsvQuotes(std::string_view text);

// Appends one field: nothing for an empty text; quoted, with every double quote
// doubled, when needsCsvQuotes; otherwise the text as it is.
void writeCsvField(std::string& out, std::string_view text);

// A CSV file made line by line and handed on in pieces of about a megabyte,
// so that a large result (the paths of a deep stock) never sits in memory
// whole: the header line at the start, one line per row(), every field
// written as writeCsvField does, CP932 with CR LF.
class CsvWriter {
  public:
    // Receives the bytes in order; false when they could not be written
    // (the rest is then dropped and finish() is false).
    using Sink = std::function<bool(std::string_view)>;

    CsvWriter(Sink sink, std::span<const std::string_view> header);
    void row(std::span<const std::string_view> fields);
    void row(std::initializer_list<std::string_view> fields) {
        row(std::span<const std::string_view>(fields.begin(), fields.size()));
    }
    // The results' five cells.
    void row(const ResultCells& c) { row({c.name, c.path, c.size, c.created, c.modified}); }
    // Hands on what is held; false when any piece could not be written.
    [[nodiscard]] bool finish();

  private:
    void handOn();

    Sink sink_;
    TextFileBuilder file_;
    std::string line_;
    bool ok_ = true;
};

// The search results' header, for CsvWriter.
inline constexpr std::string_view kResultsCsvHeader[] = {"ファイル・フォルダ名", "パス", "サイズ",
                                                         "作成日時", "更新日時"};

// The whole results file content (CP932 bytes) for the rows in the order given.
[[nodiscard]] std::string resultsCsvBytes(std::span<const ResultCells> rows);

// Writes the file where the user chose it, in place (a link is written
// through, a read-only file refused), with the cells of rowAt(0) to
// rowAt(count - 1) made one at a time. An empty path does nothing and
// succeeds. False when the file cannot be written, with the system's reason.
[[nodiscard]] bool saveResultsCsv(const std::filesystem::path& path, size_t count,
                                  const std::function<ResultCells(size_t)>& rowAt,
                                  std::string* why = nullptr);
[[nodiscard]] bool saveResultsCsv(const std::filesystem::path& path,
                                  std::span<const ResultCells> rows, std::string* why = nullptr);

} // namespace zt
