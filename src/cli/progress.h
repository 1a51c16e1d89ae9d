#pragma once
// The line on standard error that shows how far the reading of content has
// got (bytes, speed, time left), rewritten in place a few times a second.
#include "integrity/contentpass.h"

#include <chrono>

namespace zt::cli {

class ContentProgressLine {
  public:
    // Shown only when standard error is a terminal and not asked to be quiet.
    explicit ContentProgressLine(bool quiet);
    ~ContentProgressLine();
    ContentProgressLine(const ContentProgressLine&) = delete;
    ContentProgressLine& operator=(const ContentProgressLine&) = delete;

    // The callbacks of a pass that report here (none when nothing is shown).
    [[nodiscard]] ContentCallbacks callbacks();

  private:
    void show(const ContentProgress& p);
    using Clock = std::chrono::steady_clock;
    bool shown_ = false, dirty_ = false;
    Clock::time_point start_ = Clock::now(), last_{};
};

} // namespace zt::cli
