#pragma once
// Search results as a CSV file: CP932, CR LF, one header line, then one line
// per row with the cells exactly as the result list shows them.
#include "search/engine.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

inline constexpr std::string_view kCsvHeader = "ファイル・フォルダ名,パス,サイズ,作成日時,更新日時";
inline constexpr std::string_view kMessageCannotOpenFile = "ファイルが開けません";

// True when the text holds a comma or a double quote. In UTF-8 those bytes
// never occur inside another character, so a byte scan is exact.
[[nodiscard]] bool needsCsvQuotes(std::string_view text);

// Appends one field: nothing for an empty text; quoted, with every double quote
// doubled, when needsCsvQuotes; otherwise the text as it is.
void writeCsvField(std::string& out, std::string_view text);

// A CSV file of any columns in the same style: the header line, then one
// line per row, every field quoted as writeCsvField does, CP932 with CR LF.
[[nodiscard]] std::string csvBytes(const std::vector<std::string>& header,
                                   const std::vector<std::vector<std::string>>& rows);

// The whole file content (CP932 bytes) for the rows in the order given.
[[nodiscard]] std::string resultsCsvBytes(std::span<const ResultCells> rows);

// Writes the file where the user chose it, in place (a link is written
// through, a read-only file refused). An empty path does nothing and
// succeeds. False when the file cannot be written, with the system's reason.
[[nodiscard]] bool saveResultsCsv(const std::filesystem::path& path,
                                  std::span<const ResultCells> rows, std::string* why = nullptr);

} // namespace zt
