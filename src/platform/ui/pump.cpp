#include "platform/ui/pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace zt {

namespace {
constexpr qint64 kPumpIntervalMs = 8;
}

void LetPendingMessagesRun() {
    static QElapsedTimer timer;
    if (timer.isValid() && timer.elapsed() < kPumpIntervalMs) return;
    LetPendingMessagesRunNow();
    timer.restart();
}

void LetPendingMessagesRunNow() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace zt
