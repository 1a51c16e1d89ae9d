#pragma once
// SIGTERM and SIGINT close the main window as its close box does, so the
// settings are saved before the program ends.
class QWidget;

namespace zt {

// Routes both signals to window->close() through the event loop (the signal
// handler itself only writes a byte to a pipe). Calling it again retargets the
// signals to another window. A third signal while the first is still pending
// ends the program the default way.
// Also forgets an earlier signal (see terminationRequested).
void closeOnTerminationSignals(QWidget* window);

// True once a termination signal arrived: the program is ending and nobody is
// there to answer a message box.
[[nodiscard]] bool terminationRequested();

} // namespace zt
