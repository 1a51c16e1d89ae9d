#include "gui/common/workrunner.h"

#include "gui/common/progressdialog.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <exception>

namespace zt {

namespace {
// The bar is about 200 pixels long: finer steps would not show.
constexpr int kBarSteps = 200;
constexpr auto kPathInterval = std::chrono::milliseconds(15);

StockResult unexpectedFailure(std::string detail) {
    StockResult r =
        StockResult::fail(StockFailure::Unexpected, std::string(kMessageUnexpectedError));
    r.detail = std::move(detail);
    return r;
}
} // namespace

void WorkControl::post(std::function<void()> f) {
    runner_->post(serial_, std::move(f));
}

void WorkControl::showDialog(int maximum) {
    maximum_.store(maximum);
    post([r = runner_, maximum] {
        if (r->dialog_) r->dialog_->setMaximum(maximum);
        r->showDialog();
    });
}

void WorkControl::setProgress(int value) {
    const int maximum = maximum_.load();
    const int step = maximum > 0 ? int(int64_t(value) * kBarSteps / maximum) : 0;
    if (step == shownStep_) return;
    shownStep_ = step;
    post([r = runner_, value] {
        if (r->dialog_) r->dialog_->setValue(value);
    });
}

void WorkControl::setMessage(const QString& text) {
    post([r = runner_, text] {
        if (r->dialog_) r->dialog_->setMessage(text);
    });
}

void WorkControl::setPath(std::string_view folder, std::string_view name) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPath_ < kPathInterval) return;
    lastPath_ = now;
    QString text = QString::fromUtf8(folder.data(), qsizetype(folder.size()));
    if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
    text += QString::fromUtf8(name.data(), qsizetype(name.size()));
    post([r = runner_, text] {
        if (r->dialog_) r->dialog_->setPath(text);
    });
}

WorkLook savingLook() {
    WorkLook look;
    look.message = QStringLiteral("データを保存しています\n時間がかかることがあります");
    look.bar = false;
    look.cancel = false;
    return look;
}

WorkRunner::WorkRunner(QWidget* owner) : QObject(owner), owner_(owner) {}

WorkRunner::~WorkRunner() {
    if (control_) control_->cancelled_ = true;
    if (worker_.joinable()) worker_.join();
}

bool WorkRunner::start(const WorkLook& look, Job job, Done done) {
    if (busy()) return false;
    ++serial_;
    control_.reset(new WorkControl(this, serial_, look.maximum, probe_));
    done_ = std::move(done);
    end_ = {};
    if (look.dialog && owner_) {
        dialog_ = new ProgressDialog(owner_);
        connect(dialog_, &ProgressDialog::cancelRequested, this, &WorkRunner::cancel);
        if (!look.message.isEmpty()) dialog_->setMessage(look.message);
        dialog_->setBarShown(look.bar);
        dialog_->setMaximum(look.maximum);
        dialog_->setPathShown(look.path);
        dialog_->setCancelShown(look.cancel);
        // Disabling the window takes the focus away from the widget that had it:
        // it gets it back when the job ends, so the keys go on where they were.
        focusBefore_ = owner_->window()->focusWidget();
        wasActive_ = owner_->window()->isActiveWindow();
        owner_->setEnabled(false);
        ownerDisabled_ = true;
        dialog_->setEnabled(true); // a window of its own: Cancel stays usable
        if (look.dialogAtStart) showDialog();
    }
    WorkControl* control = control_.get();
    const unsigned serial = serial_;
    worker_ = std::thread([this, control, serial, job = std::move(job)] {
        // The job's own result is never filled when it throws: its completion
        // is told of the failure instead.
        try {
            job(*control);
        } catch (const std::exception& e) {
            end_.failure = unexpectedFailure(e.what());
        } catch (...) {
            end_.failure = unexpectedFailure({});
        }
        post(serial, [this, serial] { ended(serial); });
    });
    return true;
}

void WorkRunner::post(unsigned serial, std::function<void()> f) {
    QMetaObject::invokeMethod(
        this,
        [this, serial, f = std::move(f)] {
            if (serial == serial_) f();
        },
        Qt::QueuedConnection);
}

void WorkRunner::showDialog() {
    if (dialog_ && !dialog_->isVisible()) dialog_->show();
}

void WorkRunner::cancel() {
    if (control_) control_->cancelled_ = true;
}

void WorkRunner::abandon() {
    if (!busy()) return;
    cancel();
    worker_.join();
    ++serial_; // whatever the job posted meanwhile is dropped
    release();
    done_ = nullptr;
    emit finished();
}

void WorkRunner::ended(unsigned serial) {
    if (serial != serial_ || !worker_.joinable()) return;
    worker_.join(); // it has posted its last call: the join is immediate
    JobEnd end = std::move(end_);
    end.cancelled = control_->cancelled_.load();
    release();
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) done(end);
    emit finished();
}

void WorkRunner::release() {
    control_.reset();
    if (ownerDisabled_) {
        owner_->setEnabled(true);
        QWidget* window = owner_->window();
        const QWidget* now = window->focusWidget();
        if (focusBefore_ && focusBefore_->isEnabled() && focusBefore_->isVisible() &&
            (!now || now == window))
            focusBefore_->setFocus(Qt::OtherFocusReason);
        // The progress dialog took the activation; the keys go back to the window.
        if (wasActive_ && dialog_ && dialog_->isVisible() && !QApplication::activeModalWidget())
            window->activateWindow();
    }
    ownerDisabled_ = false;
    focusBefore_.clear();
    delete dialog_;
    dialog_ = nullptr;
}

} // namespace zt
