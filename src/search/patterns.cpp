#include "search/patterns.h"

#include "platform/utf8.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace zt {

namespace {

// Length of the UTF-8 character starting at i (1 for a stray byte).
size_t charLength(std::string_view s, size_t i) {
    size_t n = 1;
    while (i + n < s.size() && isUtf8Continuation(s[i + n]))
        ++n;
    return n;
}

} // namespace

bool matchWildcard(std::string_view name, std::string_view pattern) {
    size_t n = 0, p = 0;
    // Where to go back to after the last "*": in the pattern, and in the name.
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size() && pattern[p] == '?') {
            n += charLength(name, n);
            ++p;
            continue;
        }
        if (p < pattern.size()) {
            const size_t len = charLength(pattern, p);
            if (name.compare(n, len, pattern, p, len) == 0 &&
                (n + len == name.size() || !isUtf8Continuation(name[n + len]))) {
                n += len;
                p += len;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        // The last "*" takes one character more.
        starN += charLength(name, starN);
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> wildcardLiterals(std::string_view pattern) {
    std::vector<std::string> runs;
    std::string run;
    for (char c : pattern) {
        if (c == '*' || c == '?') {
            if (!run.empty()) runs.push_back(std::move(run));
            run.clear();
        } else {
            run += c;
        }
    }
    if (!run.empty()) runs.push_back(std::move(run));
    return runs;
}

namespace {

// What is wrong with a pattern, in words a user reads (ICU's own names, such
// as U_REGEX_MISMATCHED_PAREN, say nothing to someone who typed "(a").
std::string regexErrorText(UErrorCode status) {
    switch (status) {
    case U_REGEX_MISMATCHED_PAREN:
        return "括弧 ( ) の対応がとれていません";
    case U_REGEX_MISSING_CLOSE_BRACKET:
        return "[ に対応する ] がありません";
    case U_REGEX_BAD_ESCAPE_SEQUENCE:
        return "\\ のあとの文字が正しくありません";
    case U_REGEX_PROPERTY_SYNTAX:
        return "文字の性質 \\p{...} の書き方が正しくありません";
    case U_REGEX_BAD_INTERVAL:
    case U_REGEX_MAX_LT_MIN:
    case U_REGEX_NUMBER_TOO_BIG:
        return "回数 {最小,最大} の書き方が正しくありません";
    case U_REGEX_INVALID_RANGE:
        return "文字の範囲 [x-y] の x が y より後ろです";
    case U_REGEX_INVALID_BACK_REF:
        return "ないグループを後方参照しています";
    case U_REGEX_LOOK_BEHIND_LIMIT:
        return "後読みの長さが決まっていません";
    case U_REGEX_INVALID_CAPTURE_GROUP_NAME:
        return "グループの名前が正しくありません";
    case U_REGEX_PATTERN_TOO_BIG:
        return "パターンが長すぎます";
    case U_REGEX_UNIMPLEMENTED:
        return "使えない書き方が含まれています";
    case U_MEMORY_ALLOCATION_ERROR:
        return "メモリが足りません";
    default:
        return "書き方が正しくありません";
    }
}

} // namespace

struct RegexPattern::Impl {
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
};

RegexPattern::RegexPattern(std::string_view pattern, bool caseSensitive)
    : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError where{};
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), int32_t(pattern.size())));
    impl_->pattern.reset(icu::RegexPattern::compile(
        text, caseSensitive ? 0 : UREGEX_CASE_INSENSITIVE, where, status));
    if (U_SUCCESS(status)) impl_->matcher.reset(impl_->pattern->matcher(status));
    if (U_SUCCESS(status)) impl_->matcher->setTimeLimit(kStepsPerName, status);
    if (U_FAILURE(status)) {
        impl_->matcher.reset();
        error_ = regexErrorText(status);
        // ICU counts UTF-16 units from 0; people count characters from 1.
        if (where.offset >= 0 && status != U_MEMORY_ALLOCATION_ERROR)
            error_ += "（" + std::to_string(where.offset + 1) + " 文字目）";
    }
}

RegexPattern::~RegexPattern() = default;

bool RegexPattern::find(std::string_view name) {
    if (!impl_->matcher) return false;
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), int32_t(name.size())));
    impl_->matcher->reset(text);
    UErrorCode status = U_ZERO_ERROR;
    const bool found = impl_->matcher->find(0, status);
    if (status == U_REGEX_TIME_OUT) ++timedOut_;
    return U_SUCCESS(status) && found;
}

std::string messageNamesTimedOut(int count) {
    return "時間がかかりすぎるため " + std::to_string(count) + " 件の名前を調べませんでした";
}

} // namespace zt
