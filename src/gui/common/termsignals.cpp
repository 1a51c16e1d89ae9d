#include "gui/common/termsignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zt {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<int> g_pending{0}; // lock-free, so usable in a signal handler
std::atomic<bool> g_requested{false};
QPointer<QWidget> g_target;

extern "C" void onTerminationSignal(int sig) {
    if (g_pending.fetch_add(1) + 1 >= 3) {
        // The window is not responding to the earlier requests.
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    g_requested.store(true);
    const int saved = errno;
    const char byte = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

void drainAndClose() {
    char buf[16];
    while (::read(g_pipe[1], buf, sizeof buf) > 0) {
    }
    g_pending.store(0);
    // A modal dialog or box runs its own event loop, which would keep the
    // program alive after the window closed: end each as Cancel would, and
    // close the window once their loops have returned.
    bool hadModal = false;
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        hadModal = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    if (!g_target) return;
    if (hadModal)
        QTimer::singleShot(0, g_target.data(), [] {
            if (g_target) g_target->close();
        });
    else
        g_target->close();
}

} // namespace

bool terminationRequested() {
    return g_requested.load();
}

void closeOnTerminationSignals(QWidget* window) {
    g_target = window;
    g_requested.store(false);
    if (g_pipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;

    auto* notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { drainAndClose(); });

    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

} // namespace zt
