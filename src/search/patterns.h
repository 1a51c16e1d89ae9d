#pragma once
// The two pattern modes of the search besides the four text tests: wildcards
// ("*" any run of characters, "?" one character, over the whole name) and ICU
// regular expressions (found anywhere in the name).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

// True when the whole name matches the wildcard pattern. Characters are whole
// UTF-8 sequences (a double-byte character of the stock file is one); all
// else compares byte for byte, so a case-blind search lowers both sides first.
[[nodiscard]] bool matchWildcard(std::string_view name, std::string_view pattern);

// The literal runs of a wildcard pattern (what lies between its "*" and "?"),
// for screening names before they are matched.
[[nodiscard]] std::vector<std::string> wildcardLiterals(std::string_view pattern);

// A compiled regular expression. Not shared between threads.
class RegexPattern {
  public:
    RegexPattern(std::string_view pattern, bool caseSensitive);
    ~RegexPattern();
    RegexPattern(const RegexPattern&) = delete;
    RegexPattern& operator=(const RegexPattern&) = delete;

    [[nodiscard]] bool valid() const { return error_.empty(); }
    [[nodiscard]] const std::string& error() const { return error_; } // ICU's reason
    [[nodiscard]] bool find(std::string_view name);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string error_;
};

} // namespace zt
