#include "browser/icontable.h"

#include "browser/contents.h"
#include "platform/codec.h"
#include "platform/collate.h"
#include "platform/piecereader.h"
#include "platform/textfile.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <system_error>

namespace zt {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Only names that keep the sample file inside Data/Icon under "test.<ext>".
bool usableExtension(std::string_view ext) {
    if (ext.empty() || ext == "." || ext == "..") return false;
    return ext.find('/') == std::string_view::npos && ext.find('\0') == std::string_view::npos;
}

class Scanner {
  public:
    explicit Scanner(std::string_view s) : s_(s) {}

    void skipBlanks() {
        while (pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
    }

    // A decimal number with an optional sign, saturated to the int range;
    // false (nothing consumed) when there is none.
    bool number(int& out) {
        skipBlanks();
        size_t p = pos_;
        bool negative = false;
        if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) negative = s_[p++] == '-';
        if (p >= s_.size() || s_[p] < '0' || s_[p] > '9') return false;
        long long v = 0;
        for (; p < s_.size() && s_[p] >= '0' && s_[p] <= '9'; ++p)
            if (v <= INT_MAX) v = v * 10 + (s_[p] - '0');
        if (negative) v = -v;
        out = int(std::clamp<long long>(v, INT_MIN, INT_MAX));
        pos_ = p;
        return true;
    }

    // The next run of non-blank bytes; false at the end of the input.
    bool token(std::string_view& out) {
        skipBlanks();
        if (pos_ >= s_.size()) return false;
        const size_t start = pos_;
        while (pos_ < s_.size() && !isBlank(s_[pos_]))
            ++pos_;
        out = s_.substr(start, pos_ - start);
        return true;
    }

  private:
    std::string_view s_;
    size_t pos_ = 0;
};

bool fileExists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

std::filesystem::path samplePath(const std::filesystem::path& iconDir, std::string_view ext) {
    return iconDir / ("test." + std::string(ext));
}

} // namespace

IconListFile parseIconList(std::string_view bytes) {
    IconListFile out;
    Scanner in(bytes);
    if (!in.number(out.declaredCount)) return out;
    std::string_view token;
    for (int i = 0; i < out.declaredCount && in.token(token); ++i) {
        if (token.size() > kMaxIconTokenBytes) continue;
        std::string ext = cp932::decode(token);
        if (usableExtension(ext)) out.extensions.push_back(std::move(ext));
    }
    return out;
}

void IconTable::clear() {
    extensions_.clear();
    imageIndexes_.clear();
    byKey_.clear();
}

void IconTable::load(const std::filesystem::path& dataDir, const AddIcon& addIcon) {
    clear();
    const std::filesystem::path iconDir = dataDir / "Icon";
    const std::optional<std::string> bytes = readFileBytesBounded(iconDir / "icon.dat");
    if (!bytes) return;
    IconListFile list = parseIconList(*bytes);

    extensions_ = std::move(list.extensions);
    imageIndexes_.assign(extensions_.size(), kGenericFileImage);
    // Where the sample is now. It only ever moves to a free name: a file of
    // the user's called test.<ext> is never replaced, and the sample stays
    // where it was for that entry.
    const std::filesystem::path home = samplePath(iconDir, "dat");
    std::filesystem::path sample = home;
    for (size_t i = 0; i < extensions_.size(); ++i) {
        const std::filesystem::path to = samplePath(iconDir, extensions_[i]);
        if (to != sample && renameNoReplace(sample, to)) sample = to;
        // Whatever file has the entry's name tells its type's icon; without
        // one the entry keeps the generic image.
        if (addIcon && fileExists(to)) imageIndexes_[i] = addIcon(i, to);
    }
    if (sample != home) (void)renameNoReplace(sample, home);

    for (size_t i = 0; i < extensions_.size(); ++i)
        byKey_.try_emplace(lowerAnsi(extensions_[i]), imageIndexes_[i]); // first entry wins
}

int IconTable::imageIndexOf(std::string_view fileName) const {
    if (byKey_.empty()) return kGenericFileImage;
    // compareLocaleNoCase calls two texts equal exactly when their lowerAnsi
    // forms are the same bytes (it breaks every collation tie on the bytes),
    // so the table's linear case-blind scan is one hash look-up here.
    thread_local std::string key;
    key.assign(kindOf(fileName));
    lowerAnsiInPlace(key);
    const auto it = byKey_.find(key);
    return it == byKey_.end() ? kGenericFileImage : it->second;
}

} // namespace zt
