#pragma once
// "Let pending window messages run" between items of long work. Throttled: the
// event loop runs at most every few milliseconds, so a walk over a million
// folders is not slowed down by the pumping itself.

namespace zt {

// Runs pending events when the last run is more than a few ms ago.
void LetPendingMessagesRun();
// Runs pending events now.
void LetPendingMessagesRunNow();

} // namespace zt
