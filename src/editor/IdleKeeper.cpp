#include "editor/IdleKeeper.h"

namespace vexo {

void IdleKeeper::start(std::recursive_mutex& lock, std::function<void()> job) {
    stop();
    lock_ = &lock;
    job_ = std::move(job);
    stopping_ = false;
    hostIdled();
    thread_ = std::thread([this] { run(); });
}

void IdleKeeper::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void IdleKeeper::run() {
    std::unique_lock<std::mutex> wait(wakeLock_);
    while (!wake_.wait_for(wait, kPeriod, [this] { return stopping_; })) {
        const Clock::time_point last{Clock::duration{lastHostIdle_.load(std::memory_order_relaxed)}};
        if (Clock::now() - last <= kHostSilence) {
            continue;
        }
        wait.unlock();
        {
            std::lock_guard<std::recursive_mutex> guard(*lock_);
            job_();
        }
        wait.lock();
    }
}

}  // namespace vexo
