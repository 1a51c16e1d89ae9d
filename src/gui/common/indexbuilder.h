#pragma once
// Builds the name indexes that are missing or stale, one stock at a time, on a
// thread of the lowest priority, so a search finds them ready. The window never
// waits for it: the work that writes stocks holds it off from its own worker
// (holdOff), and only closing the window waits for the stock being indexed.
#include "index/catalogsummary.h"

#include <QObject>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class QThread;

namespace zt {

class IndexBuilder : public QObject {
    Q_OBJECT

  public:
    explicit IndexBuilder(std::filesystem::path dataDir, QObject* parent = nullptr);
    // Stops and waits.
    ~IndexBuilder() override;

    // Checks these stocks in order (replacing what was still to check) and
    // builds each index that is missing, stale or damaged.
    void schedule(const std::vector<std::string>& stocks);
    // Checks these stocks too, after what is queued, reading every part of
    // their index (a search found them stale or damaged where a quick look
    // does not see it), and builds each that does not check out.
    void recheck(const std::vector<std::string>& stocks);

    // From a job's worker, before it reads or writes stocks: no further stock
    // is started until resume(), and this returns once the one being indexed
    // is done. False when cancelled() said so first.
    bool holdOff(const std::function<bool()>& cancelled);
    void resume();

    // Stops after the stock being indexed and waits for the thread.
    void stop();

    // Nothing left to check and nothing being built.
    [[nodiscard]] bool idle() const;

  private:
    void run();
    // Queues the stocks (after dropping what was queued, unless thorough).
    void enqueue(const std::vector<std::string>& stocks, bool thorough);

    std::filesystem::path dataDir_;
    QThread* thread_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    struct Pending {
        std::string stock;
        bool thorough = false;
    };
    std::deque<Pending> queue_;
    // The list last scheduled, and the summary bits of the indexes built
    // since the summary was last brought up to date (when the queue empties).
    std::vector<std::string> listed_;
    std::vector<SummaryStock> built_;
    bool held_ = false;
    bool building_ = false;
    bool stopping_ = false;
};

} // namespace zt
