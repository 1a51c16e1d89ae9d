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

struct RegexPattern::Impl {
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
};

RegexPattern::RegexPattern(std::string_view pattern, bool caseSensitive)
    : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError where{};
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(pattern.data(), int32_t(pattern.size())));
    impl_->pattern.reset(
        icu::RegexPattern::compile(text, caseSensitive ? 0 : UREGEX_CASE_INSENSITIVE, where, status));
    if (U_SUCCESS(status)) impl_->matcher.reset(impl_->pattern->matcher(status));
    if (U_SUCCESS(status)) impl_->matcher->setTimeLimit(kStepsPerName, status);
    if (U_FAILURE(status)) {
        impl_->matcher.reset();
        error_ = u_errorName(status);
        if (where.offset > 0) error_ += " (" + std::to_string(where.offset) + ")";
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
