#include "search/csv.h"

#include "platform/codec.h"
#include "platform/textfile.h"

namespace zt {

bool needsCsvQuotes(std::string_view text) {
    return text.find_first_of(",\"") != std::string_view::npos;
}

void writeCsvField(std::string& out, std::string_view text) {
    if (text.empty()) return;
    if (!needsCsvQuotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string csvBytes(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
    TextFileBuilder file;
    std::string line;
    const auto put = [&](const std::vector<std::string>& fields) {
        line.clear();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) line += ',';
            writeCsvField(line, fields[i]);
        }
        file.line(line);
    };
    put(header);
    for (const auto& r : rows)
        put(r);
    return file.bytes();
}

std::string resultsCsvBytes(std::span<const ResultCells> rows) {
    // Built as UTF-8 and encoded line by line: the codec never produces a
    // comma or a quote, so the quoting survives the conversion unchanged.
    TextFileBuilder file;
    file.line(kCsvHeader);
    std::string line;
    for (const ResultCells& r : rows) {
        line.clear();
        writeCsvField(line, r.name);
        line += ',';
        writeCsvField(line, r.path);
        line += ',';
        writeCsvField(line, r.size);
        line += ',';
        writeCsvField(line, r.created);
        line += ',';
        writeCsvField(line, r.modified);
        file.line(line);
    }
    return file.bytes();
}

bool saveResultsCsv(const std::filesystem::path& path, std::span<const ResultCells> rows,
                    std::string* why) {
    if (path.empty()) return true;
    return writeFileInPlace(path, resultsCsvBytes(rows), why);
}

} // namespace zt
