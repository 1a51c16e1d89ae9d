#pragma once
// Long work off the window's thread. Reading a source, opening a stock,
// filling a large folder and searching each run as one job on a worker thread
// of its own: the job builds its own data (a tree of its own, say) and hands it
// over when it ends; meanwhile it reports through queued calls and polls
// cancelled(). No handler waits for a job or lets events run inside itself:
// the owner window is disabled while a job runs, and the job's completion runs
// from the event loop once the worker has ended. A job that throws has failed:
// its completion is told so, never that it went well.
#include "library/stocklibrary.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

namespace zt {

class ProgressDialog;
class WorkRunner;

inline constexpr std::string_view kMessageUnexpectedError = "予期しないエラーが発生しました";

// How a job ended, as its completion sees it.
struct JobEnd {
    bool cancelled = false; // it was asked to stop
    // Set when the job threw: StockFailure::Unexpected, kMessageUnexpectedError
    // and the exception's text as the detail.
    StockResult failure;

    [[nodiscard]] bool threw() const { return !failure.ok(); }
    // Puts the failure into the job's own result when the job threw (the
    // result was never filled then, and would read as a success).
    void into(StockResult& result) const {
        if (threw()) result = failure;
    }
};

// Called on the worker at every cancelled() poll of a job, with the number of
// polls so far and the job's cancel flag: lets a test hold a job at a known
// point of its work (see WorkRunner::setCancelProbe).
using CancelProbe = std::function<void(long long poll, const std::atomic<bool>& cancelRequested)>;

// How the progress dialog looks for one job.
struct WorkLook {
    bool dialog = true;        // false: no dialog, and the owner stays enabled
    bool dialogAtStart = true; // false: shown when the job calls showDialog
    QString message;           // empty: the dialog's own text
    bool bar = true;
    int maximum = 100;
    bool cancel = true;
    bool path = false;
};

// The look of a job that writes a file: it says so, with no bar, and cannot
// be cancelled halfway (the file is written whole or not at all).
[[nodiscard]] WorkLook savingLook();

// The job's side of its runner. Every member may be called from the worker.
class WorkControl {
  public:
    // The job's poll: true once it is asked to stop.
    [[nodiscard]] bool cancelled() const {
        if (probe_) probe_(++polls_, cancelled_);
        return cancelled_.load(std::memory_order_relaxed);
    }
    // Runs f on the window's thread after everything posted before; never
    // once the job was abandoned.
    void post(std::function<void()> f);
    // Shows the dialog with a bar of this maximum.
    void showDialog(int maximum);
    // Moves the bar; posted only when the bar would show the change.
    void setProgress(int value);
    void setMessage(const QString& text);
    // The folder and entry being read, shown at most every 15 ms.
    void setPath(std::string_view folder, std::string_view name);

  private:
    friend class WorkRunner;
    WorkControl(WorkRunner* runner, unsigned serial, int maximum, CancelProbe probe)
        : runner_(runner), serial_(serial), maximum_(maximum), probe_(std::move(probe)) {}

    WorkRunner* runner_;
    unsigned serial_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> maximum_;
    int shownStep_ = -1; // the worker's own
    std::chrono::steady_clock::time_point lastPath_{};
    CancelProbe probe_;
    mutable long long polls_ = 0; // the worker's own
};

class WorkRunner : public QObject {
    Q_OBJECT

  public:
    using Job = std::function<void(WorkControl&)>;
    using Done = std::function<void(const JobEnd& end)>;

    // owner: disabled while a job with a dialog runs, and the dialog's owner.
    explicit WorkRunner(QWidget* owner);
    // Cancels a running job and waits for it; its completion does not run.
    ~WorkRunner() override;

    // Starts job on a worker thread; done runs on this thread once the job
    // has ended. False (and nothing started) while another job runs.
    bool start(const WorkLook& look, Job job, Done done);
    [[nodiscard]] bool busy() const { return worker_.joinable(); }
    // Asks the running job to stop; its completion runs as usual.
    void cancel();
    // Stops the running job, waits for it and drops its completion: newer
    // work replaces it.
    void abandon();
    // The dialog of the running job, while it shows one.
    [[nodiscard]] ProgressDialog* dialog() const { return dialog_; }
    // For tests only: the probe every job started afterwards calls from its
    // cancel polls (empty: none).
    void setCancelProbe(CancelProbe probe) { probe_ = std::move(probe); }

  signals:
    // A job ended and its completion ran.
    void finished();

  private:
    friend class WorkControl;
    void post(unsigned serial, std::function<void()> f);
    void showDialog();
    void ended(unsigned serial);
    void release(); // the worker joined: owner enabled, dialog gone

    QWidget* owner_;
    ProgressDialog* dialog_ = nullptr;
    bool ownerDisabled_ = false;
    bool wasActive_ = false;
    QPointer<QWidget> focusBefore_; // the focus in the owner's window when it was disabled
    std::thread worker_;
    std::unique_ptr<WorkControl> control_;
    Done done_;
    JobEnd end_; // written by the worker before it posts its end
    CancelProbe probe_;
    unsigned serial_ = 0;
};

} // namespace zt
