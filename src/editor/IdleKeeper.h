// Keeps the editor alive in hosts that call its idle rarely or never: a thread of its own
// runs the idle job while the host has not done so for a while. The job runs under the
// editor's lock, so the window and its display connection are never used by two threads
// at once; the thread is stopped (and joined) before the editor closes its window.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vexo {

class IdleKeeper {
public:
    static constexpr std::chrono::milliseconds kPeriod{30};
    // The host counts as idling while its last idle call is at most this old.
    static constexpr std::chrono::milliseconds kHostSilence{250};

    ~IdleKeeper() { stop(); }

    // Starts calling job (under lock) whenever the host has been silent; user-interface thread.
    void start(std::recursive_mutex& lock, std::function<void()> job);
    // Stops and joins the thread; user-interface thread, without holding the lock.
    void stop();
    // The host just called idle.
    void hostIdled() { lastHostIdle_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed); }
    bool running() const { return thread_.joinable(); }

private:
    using Clock = std::chrono::steady_clock;
    void run();

    std::thread thread_;
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::recursive_mutex* lock_ = nullptr;
    std::function<void()> job_;
    std::atomic<Clock::rep> lastHostIdle_{0};
};

}  // namespace vexo
