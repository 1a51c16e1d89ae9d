#include "cli/progress.h"

#include "library/verifystock.h"
#include "platform/fileops.h"

#include <cstdio>

namespace zt::cli {

ContentProgressLine::ContentProgressLine(bool quiet)
    : shown_(!quiet && standardErrorIsTerminal()) {}

ContentProgressLine::~ContentProgressLine() {
    if (dirty_) std::fputs("\r\033[K", stderr);
}

ContentCallbacks ContentProgressLine::callbacks() {
    ContentCallbacks c;
    if (shown_) c.onProgress = [this](const ContentProgress& p) { show(p); };
    return c;
}

void ContentProgressLine::show(const ContentProgress& p) {
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    if (last_ == Clock::time_point{}) start_ = now;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const std::string text = contentProgressText(p, seconds);
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    dirty_ = true;
}

} // namespace zt::cli
