#include "gui/common/indexbuilder.h"

#include "library/indexstore.h"

#include <QThread>
#include <algorithm>
#include <chrono>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace zt {

namespace {
// How often a held-off job looks at its cancel flag while it waits.
constexpr auto kHoldPoll = std::chrono::milliseconds(50);
} // namespace

IndexBuilder::IndexBuilder(std::filesystem::path dataDir, QObject* parent)
    : QObject(parent), dataDir_(std::move(dataDir)) {}

IndexBuilder::~IndexBuilder() {
    stop();
}

void IndexBuilder::schedule(const std::vector<std::string>& stocks) {
    enqueue(stocks, false);
}

void IndexBuilder::recheck(const std::vector<std::string>& stocks) {
    enqueue(stocks, true);
}

void IndexBuilder::enqueue(const std::vector<std::string>& stocks, bool thorough) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) return;
        if (!thorough) {
            queue_.clear();
            listed_ = stocks;
        }
        // Each name once, however long the list (a search of the queue per
        // name would take the list's length squared).
        std::unordered_map<std::string, size_t> queued;
        queued.reserve(queue_.size() + stocks.size());
        for (size_t i = 0; i < queue_.size(); ++i)
            queued.emplace(queue_[i].stock, i);
        for (const std::string& s : stocks) {
            const auto [it, fresh] = queued.emplace(s, queue_.size());
            if (fresh)
                queue_.push_back({s, thorough});
            else
                queue_[it->second].thorough = queue_[it->second].thorough || thorough;
        }
    }
    changed_.notify_all();
    if (!thread_) {
        thread_ = QThread::create([this] { run(); });
        // Idle priority: it takes only time nothing else wants.
        thread_->start(QThread::IdlePriority);
    }
}

bool IndexBuilder::holdOff(const std::function<bool()>& cancelled) {
    std::unique_lock lock(mutex_);
    held_ = true;
    while (building_) {
        if (cancelled && cancelled()) return false;
        changed_.wait_for(lock, kHoldPoll);
    }
    return true;
}

void IndexBuilder::resume() {
    {
        const std::lock_guard lock(mutex_);
        held_ = false;
    }
    changed_.notify_all();
}

void IndexBuilder::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (!thread_) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
}

bool IndexBuilder::idle() const {
    const std::lock_guard lock(mutex_);
    return queue_.empty() && !building_;
}

void IndexBuilder::run() {
    for (;;) {
        Pending next;
        bool last = false;
        std::vector<std::string> listed;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || (!held_ && !queue_.empty()); });
            if (stopping_) return;
            next = std::move(queue_.front());
            queue_.pop_front();
            building_ = true;
            last = queue_.empty();
            if (last) listed = listed_;
        }
        try {
            const auto check = next.thorough ? IndexCheck::Thorough : IndexCheck::Quick;
            if (indexState(dataDir_, next.stock, check) != IndexState::Fresh)
                (void)buildIndex(dataDir_, next.stock, &built_);
            // Every stock looked at: the catalogue summary follows the indexes
            // (it writes nothing when nothing changed).
            if (last) refreshSummary(dataDir_, listed, std::exchange(built_, {}));
        } catch (...) {
            // Out of memory, say: that stock is searched without its index.
            built_.clear();
        }
        {
            const std::lock_guard lock(mutex_);
            building_ = false;
        }
        changed_.notify_all();
    }
}

} // namespace zt
