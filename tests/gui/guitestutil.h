#pragma once
// Helpers shared by the window tests (Qt Test, offscreen).
#include "gui/scripteddialogs.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace zt {
class MainWindow;
class WorkRunner;
} // namespace zt

namespace zt::guitest {

// The program's look (Japanese font, icon theme); call from initTestCase().
void initWindowTests();

// A fresh Data folder with the template files (empty stock list), removed on destruction.
class TempDataDir {
  public:
    TempDataDir();
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const {
        return path_ / name;
    }
    // Writes Data/StockList.dat with these names (UTF-8 in, CP932 on disk).
    void writeStockList(const std::vector<std::string>& names) const;
    // Reads Data/StockList.dat back; empty when it cannot be read.
    [[nodiscard]] std::vector<std::string> readStockList() const;

  private:
    QTemporaryDir dir_;
    std::filesystem::path path_;
};

// Installs ScriptedDialogs for the lifetime of this object and puts the
// previous service back afterwards.
class ScopedDialogs {
  public:
    ScopedDialogs();
    ~ScopedDialogs();
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;
    [[nodiscard]] ScriptedDialogs& operator*() const { return *scripted_; }
    [[nodiscard]] ScriptedDialogs* operator->() const { return scripted_; }

  private:
    ScriptedDialogs* scripted_ = nullptr; // owned by the dialog service slot
    std::unique_ptr<DialogService> previous_;
};

// Scripted answers, but every message box and save dialog is a real window
// owned by the caller while it is up, as the program's own are; `during` runs
// while it is up (to close the main window there, say).
class OwnedBoxDialogs : public ScriptedDialogs {
  public:
    std::function<void()> during;
    using DialogService::messageBox;
    MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                         MsgButtons buttons, MsgIcon icon, const QString& detail) override;
    std::optional<QString> saveFileName(QWidget* owner, const QString& title, const QString& start,
                                        const QString& filter, const QString& suffix) override;
};

// Runs act on the modal dialog of type Dlg once it is shown; act must close it.
template <class Dlg> void whenShown(std::function<void(Dlg&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<Dlg*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*d);
        }
    });
    timer->start();
}

// A main window on a Data folder, started up; shown (and exposed) unless show is false.
[[nodiscard]] std::unique_ptr<MainWindow> makeWindow(const std::filesystem::path& dataDir,
                                                     bool show = true);

// The child of parent with this objectName; fails the test when there is none.
template <class T> T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no child named ") + name);
    return found;
}

// The texts of a model's first column, in row order.
[[nodiscard]] QStringList texts(const QAbstractItemModel* model);

// Walks a shown window with Tab (Shift+Tab when backwards) from start and
// says what is wrong: a control that takes the focus but is never reached,
// one reached twice in a round, or a round that never comes back to start (a
// keyboard trap). Empty when the walk is sound. A group of radio buttons is
// one stop (the checked one); so is a control made of parts (a spin box).
[[nodiscard]] QString tabWalkProblem(QWidget* window, QWidget* start, bool backwards = false);

// Waits (running events) until the window has no long work running.
[[nodiscard]] bool waitIdle(const MainWindow& window, int timeoutMs = 10000);

// The main window's runner (the one its capture, open and update jobs run on).
[[nodiscard]] WorkRunner& runnerOf(const MainWindow& window);

// Holds the next jobs of a runner at their atPoll-th cancel poll until the
// test releases them (or they are cancelled), so that a test acts in the
// middle of a job at a known point instead of racing it. Jobs that poll less
// often are not held. Released when it goes.
class JobGate {
  public:
    JobGate(WorkRunner& runner, long long atPoll);
    ~JobGate();
    JobGate(const JobGate&) = delete;
    JobGate& operator=(const JobGate&) = delete;
    // Runs events until a job is held, then delivers what it posted before.
    [[nodiscard]] bool waitHeld(int timeoutMs = 30000);
    void release();

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool held = false, released = false;
    };
    std::shared_ptr<State> state_;
    QPointer<WorkRunner> runner_;
};

} // namespace zt::guitest
