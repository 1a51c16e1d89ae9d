#pragma once
// The records of the stock file, read and written in this one place: every
// reader of the file (the loader, the check that a file is a stock, the
// search's streamed scan, the name index and its record-at-offset reads) goes
// through RecordCursor, over whatever source holds the lines.
//
//   1200                 format mark
//   <folder count>       folders except the root
//   records of the root folder, pre-order: a folder's file records, then for each
//   child folder its folder record followed by the child's own records.
//   file record:   -1, name, 8 numbers
//   folder record: depth (root's children 1), name, 8 numbers
//   numbers: creation low, high, access low, high, write low, high, size high, size low
#include "platform/filetime.h"
#include "platform/piecereader.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zt {

inline constexpr int kStockHeaderLines = 2;  // the format mark, the folder count
inline constexpr int kStockRecordLines = 10; // the depth or "-1", the name, eight numbers

// The value of a line of plain decimal digits (the form nearly every number
// line has); false for any other line, an empty one too.
[[nodiscard]] inline bool plainStockNumber(std::string_view line, uint32_t& value) {
    uint32_t v = 0;
    for (const char c : line) {
        if (c < '0' || c > '9') return false;
        v = v * 10u + uint32_t(c - '0'); // wraps modulo 2^32 by design
    }
    value = v;
    return !line.empty();
}

// The numeric conversion of the stock file: leading blanks skipped, optional
// sign, decimal digits; wraps modulo 2^32.
[[nodiscard]] inline uint32_t parseStockNumber(std::string_view line) {
    uint32_t plain = 0;
    if (plainStockNumber(line, plain) || line.empty()) return plain;
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    uint32_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value * 10u + uint32_t(line[i] - '0');
    return negative ? 0u - value : value;
}

// True when the line is a number and nothing else: an optional sign, then
// decimal digits.
[[nodiscard]] inline bool isStockNumberLine(std::string_view line) {
    size_t i = (!line.empty() && (line[0] == '-' || line[0] == '+')) ? 1 : 0;
    if (i == line.size()) return false;
    for (; i < line.size(); ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

// The values a record carries, as its eight number lines hold them.
struct StockValues {
    FileTime created, accessed, modified;
    uint64_t size = 0;
};

// The eight number lines of a record. They are put together on the stack and
// appended at once: this runs for every record of a million-file stock.
inline void appendStockValues(std::string& out, const StockValues& v) {
    char buf[8 * 12];
    char* p = buf;
    for (uint32_t n : {v.created.lowHalf(), v.created.highHalf(), v.accessed.lowHalf(),
                       v.accessed.highHalf(), v.modified.lowHalf(), v.modified.highHalf(),
                       uint32_t(v.size >> 32), uint32_t(v.size & 0xffffffffu)}) {
        p = std::to_chars(p, buf + sizeof buf, n).ptr;
        *p++ = '\r';
        *p++ = '\n';
    }
    out.append(buf, p);
}

// The lines of [pos, end) of bytes in memory, bounded as every line source
// bounds them: for a reader that found where a record ends by itself.
struct SpanLines {
    const char* data;
    size_t pos, end;

    bool next(std::string_view& line) {
        if (pos >= end) return false;
        const void* lf = std::memchr(data + pos, '\n', end - pos);
        const size_t stop = lf ? size_t(static_cast<const char*>(lf) - data) : end;
        line = boundLine(std::string_view(data + pos, stop - pos));
        pos = lf ? stop + 1 : end;
        return true;
    }
};

struct StockHeader {
    int formatMark = 0;  // kept, never checked
    int folderCount = 0; // as the file says, for a progress maximum
};

// One record as the cursor met it.
struct StockRecord {
    bool folder = false;
    int depth = 0;         // a folder's: 1 for the root's children
    int closes = 0;        // a folder's: how many open folders end before it opens
    std::string_view name; // as stored (CP932); lasts until the cursor reads on
    uint64_t offset = 0;   // where the record starts, over lines that tell their places
};

// Reads records from a source of lines: anything with next(line), or
// next(line, at) telling where each line starts (then a record knows its
// offset). What is malformed never crashes: a missing header line or value
// reads as 0, a record that stops before its name ends the records, and so
// does a depth that fits no open folder.
template <class Lines> class RecordCursor {
  public:
    // A depth for a cursor placed at a record whose open folders are not known:
    // any depth is taken as it is.
    static constexpr int kAnyDepth = -1;

    // At the start of the file, or at a record with `openDepth` folders open
    // above it (0: only the root).
    explicit RecordCursor(Lines& in, int openDepth = 0) : in_(in), depth_(openDepth) {}

    // The two header lines (read before the first record).
    StockHeader header() {
        StockHeader h;
        h.formatMark = int(number());
        h.folderCount = int(number());
        return h;
    }

    // The next record's kind, depth and name; its values follow with values().
    // False at the end of the records.
    bool next(StockRecord& r) {
        if (pending_) skipValues();
        std::string_view line;
        if constexpr (kPlaced) {
            if (!in_.next(line, r.offset)) return false;
        } else if (!in_.next(line)) {
            return false;
        }
        const int32_t n = line == "-1" ? -1 : int32_t(toNumber(line));
        r.folder = n != -1;
        r.closes = 0;
        if (r.folder) {
            if (depth_ != kAnyDepth) {
                // The open folders are the depths 0 (the root) up to depth_: a
                // folder goes one below one of them, else the records end.
                if (n < 1 || n > depth_ + 1) return broken();
                r.closes = depth_ + 1 - n;
                depth_ = n;
            }
            r.depth = n;
        }
        if (!lineOf(r.name)) return broken();
        pending_ = true;
        return true;
    }

    // The values of the record next() returned (a missing one reads as 0).
    StockValues values() {
        pending_ = false;
        uint32_t v[8];
        for (uint32_t& x : v)
            x = number();
        StockValues s;
        s.created = FileTime::fromHalves(v[0], v[1]);
        s.accessed = FileTime::fromHalves(v[2], v[3]);
        s.modified = FileTime::fromHalves(v[4], v[5]);
        s.size = (uint64_t(v[6]) << 32) | v[7];
        return s;
    }

    // True while everything read was whole and plain: both header lines, and
    // every record's first line, name and eight values, each number line a
    // number and nothing else, every depth fitting. What the cursor forgives
    // (a missing line, stray text) makes it false.
    [[nodiscard]] bool wellFormed() const { return wellFormed_; }

  private:
    static constexpr bool kPlaced = requires(Lines & l, std::string_view& s, uint64_t& at) {
        l.next(s, at);
    };

    bool lineOf(std::string_view& line) {
        if constexpr (kPlaced) {
            uint64_t at = 0;
            return in_.next(line, at);
        } else {
            return in_.next(line);
        }
    }
    void skipValues() {
        pending_ = false;
        std::string_view line;
        for (int i = 0; i < kStockRecordLines - 2; ++i)
            if (!lineOf(line)) return;
    }
    uint32_t toNumber(std::string_view line) {
        uint32_t plain = 0;
        if (plainStockNumber(line, plain)) return plain;
        if (!isStockNumberLine(line)) wellFormed_ = false;
        return parseStockNumber(line);
    }
    uint32_t number() {
        std::string_view line;
        if (lineOf(line)) return toNumber(line);
        wellFormed_ = false;
        return 0;
    }
    bool broken() {
        wellFormed_ = false;
        return false;
    }

    Lines& in_;
    int depth_;
    bool pending_ = false; // the values of the last record are still unread
    bool wellFormed_ = true;
};

} // namespace zt
