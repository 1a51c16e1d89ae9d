#pragma once
// The two pattern modes of the search besides the four text tests: wildcards
// ("*" any run of characters, "?" one character, over the whole name) and ICU
// regular expressions (found anywhere in the name).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

// True when the whole name matches the wildcard pattern. Characters are whole
// UTF-8 sequences (a double-byte character of the stock file is one); all
// else compares byte for byte, so a case-blind search lowers both sides first.
[[nodiscard]] bool matchWildcard(std::string_view name, std::string_view pattern);

// The literal runs of a wildcard pattern (what lies between its "*" and "?"),
// for screening names before they are matched.
[[nodiscard]] std::vector<std::string> wildcardLiterals(std::string_view pattern);

// A compiled regular expression. Not shared between threads. Each name has
// a bounded share of the matcher's time: a pattern that backtracks without
// end (^(a+)+$) gives up on that name, which then counts as not matching.
class RegexPattern {
  public:
    RegexPattern(std::string_view pattern, bool caseSensitive);
    ~RegexPattern();
    RegexPattern(const RegexPattern&) = delete;
    RegexPattern& operator=(const RegexPattern&) = delete;

    [[nodiscard]] bool valid() const { return error_.empty(); }
    // What is wrong, in words, with the character where it was found.
    [[nodiscard]] const std::string& error() const { return error_; }
    [[nodiscard]] bool find(std::string_view name);
    // How many names find() gave up on since it was last asked.
    [[nodiscard]] int takeTimedOut() { return std::exchange(timedOut_, 0); }

    // ICU's steps (some ten thousand turns of its matching loop each) one
    // name may take: far more than any expression needs on a name of a few
    // hundred characters unless it backtracks exponentially.
    static constexpr int32_t kStepsPerName = 20;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string error_;
    int timedOut_ = 0;
};

// "時間がかかりすぎるため N 件の名前を調べませんでした"
[[nodiscard]] std::string messageNamesTimedOut(int count);

} // namespace zt
