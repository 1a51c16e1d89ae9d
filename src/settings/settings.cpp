#include "settings/settings.h"

#include "platform/piecereader.h"
#include "platform/textfile.h"

#include <limits>

namespace zt {

namespace {

const char* const kTitles[10] = {
    "/////バージョン情報/////",
    "/////メインFormの大きさ・位置/////",
    "/////Panelの大きさ/////",
    "/////CDドライブの有効・無効/////",
    "/////ハードディスクの有効・無効/////",
    "/////リムーバブルディスクの有効・無効/////",
    "/////検索ダイアログの表示/////",
    "/////ドライブ読み出し時のパス表示/////",
    "/////アイコンを種別で変える/////",
    "/////アイコン整列種類/////",
};

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The two conversions of a positional text reader over raw bytes.
class Scanner {
  public:
    explicit Scanner(std::string_view bytes) : rest_(bytes) {}

    // One whitespace-free token after any white space; false at the end.
    bool skipToken() {
        skipSpace();
        if (rest_.empty()) return false;
        size_t n = 0;
        while (n < rest_.size() && !isSpace(rest_[n]))
            ++n;
        rest_.remove_prefix(n);
        return true;
    }

    enum class Result { Value, NoNumber, End };

    // A decimal number after any white space, with an optional sign. Out-of-range
    // values saturate at the 64-bit limits and keep their low 32 bits, as the C
    // library's conversion into an int does. Nothing but white space (and a lone
    // sign) is consumed when no digit follows.
    Result number(int& out) {
        skipSpace();
        if (rest_.empty()) return Result::End;
        size_t i = 0;
        bool negative = false;
        if (rest_[0] == '+' || rest_[0] == '-') negative = rest_[i++] == '-';
        if (i >= rest_.size() || rest_[i] < '0' || rest_[i] > '9') {
            rest_.remove_prefix(i);
            return rest_.empty() ? Result::End : Result::NoNumber;
        }
        constexpr unsigned long long limit = std::numeric_limits<long long>::max();
        unsigned long long magnitude = 0;
        bool overflow = false;
        for (; i < rest_.size() && rest_[i] >= '0' && rest_[i] <= '9'; ++i) {
            const unsigned digit = unsigned(rest_[i] - '0');
            if (magnitude > (limit + 1 - digit) / 10)
                overflow = true;
            else
                magnitude = magnitude * 10 + digit;
        }
        rest_.remove_prefix(i);
        long long v;
        if (overflow || magnitude > limit + (negative ? 1 : 0))
            v = negative ? std::numeric_limits<long long>::min()
                         : std::numeric_limits<long long>::max();
        else
            v = negative ? (long long)(0 - magnitude) : (long long)magnitude;
        out = int(uint32_t(uint64_t(v)));
        return Result::Value;
    }

  private:
    void skipSpace() {
        size_t n = 0;
        while (n < rest_.size() && isSpace(rest_[n]))
            ++n;
        rest_.remove_prefix(n);
    }

    std::string_view rest_;
};

} // namespace

std::filesystem::path settingsPath(const std::filesystem::path& dataDir) {
    return dataDir / "Setting.dat";
}

bool parseSettings(std::string_view bytes, Settings& s) {
    Scanner in(bytes);
    bool ended = false;
    int read = 0;
    // Reads the next value and hands it to store; nothing once the input has ended.
    auto value = [&](auto store) {
        if (ended) return;
        int v = 0;
        switch (in.number(v)) {
        case Scanner::Result::Value:
            store(v);
            ++read;
            break;
        case Scanner::Result::NoNumber:
            break;
        case Scanner::Result::End:
            ended = true;
            break;
        }
    };
    auto title = [&] {
        if (!ended && !in.skipToken()) ended = true;
    };
    auto integer = [](int& target) { return [&target](int v) { target = v; }; };
    auto flag = [](bool& target) { return [&target](int v) { target = v != 0; }; };

    title();
    value(integer(s.version));
    title();
    value(integer(s.width));
    value(integer(s.height));
    value(integer(s.top));
    value(integer(s.left));
    title();
    value(integer(s.leftColumnWidth));
    value(integer(s.stockListHeight));
    value(integer(s.folderTreeWidth));
    title();
    value(flag(s.cdDrives));
    title();
    value(flag(s.hardDisks));
    title();
    value(flag(s.removableDisks));
    title();
    value(flag(s.searchDialogShown));
    title();
    value(flag(s.showPathWhileReading));
    title();
    value(flag(s.iconsByFileType));
    title();
    value([&s](int v) { s.iconArrangement = int8_t(uint8_t(unsigned(v) & 0xFFu)); });
    return read == 15;
}

std::string serializeSettings(const Settings& s) {
    TextFileBuilder out;
    auto section = [&out](int index, std::initializer_list<long long> values) {
        out.line(kTitles[index]);
        for (long long v : values)
            out.number(v);
    };
    section(0, {kSettingsFormatVersion});
    section(1, {s.width, s.height, s.top, s.left});
    section(2, {s.leftColumnWidth, s.stockListHeight, s.folderTreeWidth});
    section(3, {s.cdDrives ? 1 : 0});
    section(4, {s.hardDisks ? 1 : 0});
    section(5, {s.removableDisks ? 1 : 0});
    section(6, {s.searchDialogShown ? 1 : 0});
    section(7, {s.showPathWhileReading ? 1 : 0});
    section(8, {s.iconsByFileType ? 1 : 0});
    section(9, {s.iconArrangement});
    return out.bytes();
}

bool loadSettingsFile(const std::filesystem::path& dataDir, Settings& s) {
    const auto bytes = readFileBytesBounded(settingsPath(dataDir));
    if (!bytes) return false;
    return parseSettings(*bytes, s);
}

bool saveSettingsFile(const std::filesystem::path& dataDir, Settings& s) {
    s.version = kSettingsFormatVersion;
    return writeFileAtomically(settingsPath(dataDir), serializeSettings(s));
}

} // namespace zt
