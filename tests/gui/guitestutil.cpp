#include "gui/guitestutil.h"

#include "catalogue/stocklist.h"
#include "gui/common/appearance.h"
#include "gui/common/workrunner.h"
#include "gui/main/mainwindow.h"
#include "platform/datadir.h"

#include <QApplication>
#include <QDialog>
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

} // namespace zt::guitest
