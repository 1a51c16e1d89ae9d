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

CsvWriter::CsvWriter(Sink sink, std::span<const std::string_view> header) : sink_(std::move(sink)) {
    row(header);
}

void CsvWriter::row(std::span<const std::string_view> fields) {
    // Built as UTF-8 and encoded line by line: the codec never produces a
    // comma or a quote, so the quoting survives the conversion unchanged.
    line_.clear();
    bool first = true;
    for (const std::string_view f : fields) {
        if (!first) line_ += ',';
        first = false;
        writeCsvField(line_, f);
    }
    file_.line(line_);
    if (file_.bytes().size() >= (1u << 20)) handOn();
}

void CsvWriter::handOn() {
    if (ok_ && !file_.bytes().empty()) ok_ = sink_(file_.bytes());
    file_.buffer().clear();
}

bool CsvWriter::finish() {
    handOn();
    return ok_;
}

namespace {

// A writer whose pieces gather in `out`.
CsvWriter intoString(std::string& out, std::span<const std::string_view> header) {
    return CsvWriter(
        [&out](std::string_view piece) {
            out += piece;
            return true;
        },
        header);
}

} // namespace

std::string resultsCsvBytes(std::span<const ResultCells> rows) {
    std::string out;
    CsvWriter csv = intoString(out, kResultsCsvHeader);
    for (const ResultCells& r : rows)
        csv.row(r);
    (void)csv.finish();
    return out;
}

bool saveResultsCsv(const std::filesystem::path& path, size_t count,
                    const std::function<ResultCells(size_t)>& rowAt, std::string* why) {
    if (path.empty()) return true;
    InPlaceFileWriter file;
    bool ok = file.open(path);
    if (ok) {
        CsvWriter csv([&file](std::string_view piece) { return file.write(piece); },
                      kResultsCsvHeader);
        for (size_t i = 0; i < count; ++i)
            csv.row(rowAt(i));
        ok = csv.finish();
        ok = file.close() && ok;
    }
    if (!ok && why) *why = file.why();
    return ok;
}

bool saveResultsCsv(const std::filesystem::path& path, std::span<const ResultCells> rows,
                    std::string* why) {
    return saveResultsCsv(
        path, rows.size(), [rows](size_t i) { return rows[i]; }, why);
}

} // namespace zt
