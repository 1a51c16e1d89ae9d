#include "gui/guitestutil.h"

#include "catalogue/stocklist.h"
#include "gui/common/appearance.h"
#include "gui/common/workrunner.h"
#include "gui/main/mainwindow.h"
#include "platform/datadir.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QRadioButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <stdexcept>

namespace zt::guitest {

void initWindowTests() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        setupAppearance(*app);
}

TempDataDir::TempDataDir() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
    path_ = std::filesystem::path(dir_.path().toStdString()) / "Data";
    if (!seedDataDir(path_)) throw std::runtime_error("cannot seed the Data folder");
}

void TempDataDir::writeStockList(const std::vector<std::string>& names) const {
    if (!saveStockList(path_, names)) throw std::runtime_error("cannot write StockList.dat");
}

std::vector<std::string> TempDataDir::readStockList() const {
    return loadStockList(path_).value_or(std::vector<std::string>{});
}

ScopedDialogs::ScopedDialogs() {
    auto scripted = std::make_unique<ScriptedDialogs>();
    scripted_ = scripted.get();
    previous_ = setDialogService(std::move(scripted));
}

ScopedDialogs::~ScopedDialogs() {
    setDialogService(std::move(previous_));
}

MsgResult OwnedBoxDialogs::messageBox(QWidget* owner, const QString& title, const QString& text,
                                      MsgButtons buttons, MsgIcon icon, const QString& detail) {
    QDialog box(owner);
    box.show();
    if (during) during();
    return ScriptedDialogs::messageBox(owner, title, text, buttons, icon, detail);
}

std::optional<QString> OwnedBoxDialogs::saveFileName(QWidget* owner, const QString& title,
                                                     const QString& start, const QString& filter,
                                                     const QString& suffix) {
    QDialog box(owner);
    box.show();
    if (during) during();
    return ScriptedDialogs::saveFileName(owner, title, start, filter, suffix);
}

std::unique_ptr<MainWindow> makeWindow(const std::filesystem::path& dataDir, bool show) {
    auto form = std::make_unique<MainWindow>(dataDir);
    form->startUp();
    if (show) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            throw std::runtime_error("window not exposed");
    }
    return form;
}

QStringList texts(const QAbstractItemModel* model) {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

bool waitIdle(const MainWindow& window, int timeoutMs) {
    return QTest::qWaitFor([&] { return !window.busy(); }, timeoutMs);
}

WorkRunner& runnerOf(const MainWindow& window) {
    auto* runner = window.findChild<WorkRunner*>(QString(), Qt::FindDirectChildrenOnly);
    if (!runner) throw std::runtime_error("no runner");
    return *runner;
}

JobGate::JobGate(WorkRunner& runner, long long atPoll)
    : state_(std::make_shared<State>()), runner_(&runner) {
    runner.setCancelProbe(
        [state = state_, atPoll](long long poll, const std::atomic<bool>& cancelRequested) {
            if (poll != atPoll) return;
            std::unique_lock lock(state->mutex);
            state->held = true;
            state->changed.notify_all();
            // A cancel must end the hold as well: a runner that is destroyed
            // cancels its job and waits for it on the window's thread.
            while (!state->released && !cancelRequested.load())
                state->changed.wait_for(lock, std::chrono::milliseconds(1));
        });
}

JobGate::~JobGate() {
    release();
    if (runner_) runner_->setCancelProbe({});
}

bool JobGate::waitHeld(int timeoutMs) {
    const bool held = QTest::qWaitFor(
        [this] {
            const std::lock_guard lock(state_->mutex);
            return state_->held;
        },
        timeoutMs);
    QCoreApplication::sendPostedEvents();
    return held;
}

void JobGate::release() {
    const std::lock_guard lock(state_->mutex);
    state_->released = true;
    state_->changed.notify_all();
}

namespace {

// The widgets of window that Tab should reach.
QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !(w->focusPolicy() & Qt::TabFocus) ||
            !w->isVisibleTo(window) || !w->isEnabled() || w->focusProxy())
            continue;
        bool inner = false; // a part of a spin box or combo box takes the focus for it
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            inner = inner || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p);
        if (inner) continue;
        if (auto* radio = qobject_cast<QRadioButton*>(w);
            radio && radio->autoExclusive() && !radio->isChecked())
            continue;
        out << w;
    }
    return out;
}

QString nameOf(const QWidget* w) {
    return w ? QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('(') +
                   (w->objectName().isEmpty() ? w->accessibleName() : w->objectName()) +
                   QLatin1Char(')')
             : QStringLiteral("(none)");
}

} // namespace

QString tabWalkProblem(QWidget* window, QWidget* start, bool backwards) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) return QStringLiteral("window not active");
    start->setFocus(Qt::TabFocusReason);
    QWidget* const first = QApplication::focusWidget();
    if (!first) return QStringLiteral("start takes no focus");
    QList<QWidget*> visited{first};
    const QList<QWidget*> stops = tabStops(window);
    for (int step = 0; step <= 2 * stops.size() + 10; ++step) {
        QWidget* at = QApplication::focusWidget();
        QTest::keyClick(at, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* next = QApplication::focusWidget();
        if (next == first) {
            QStringList missed;
            for (QWidget* w : stops)
                if (!visited.contains(w)) missed << nameOf(w);
            return missed.isEmpty() ? QString()
                                    : QStringLiteral("never reached: ") + missed.join(", ");
        }
        if (next == at) return QStringLiteral("stuck in ") + nameOf(at);
        if (visited.contains(next)) return QStringLiteral("reached twice: ") + nameOf(next);
        visited << next;
    }
    QStringList path;
    for (QWidget* w : visited)
        path << nameOf(w);
    return QStringLiteral("no way back: ") + path.join(" > ");
}

} // namespace zt::guitest
