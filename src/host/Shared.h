// A value shared between the host's audio thread and its user-interface thread. Reads and
// writes are whole-word and relaxed: no ordering is promised, only that no torn value
// is ever seen, which is all the plug-in's single-word sharing needs and costs nothing.
#pragma once

#include <atomic>

namespace vexo {

template <class T>
class Shared {
public:
    static_assert(std::atomic<T>::is_always_lock_free);

    constexpr Shared(T initial = T{}) : value_(initial) {}
    Shared(const Shared& other) : value_(other.load()) {}
    Shared& operator=(const Shared& other) {
        store(other.load());
        return *this;
    }
    Shared& operator=(T v) {
        store(v);
        return *this;
    }

    T load() const { return value_.load(std::memory_order_relaxed); }
    void store(T v) { value_.store(v, std::memory_order_relaxed); }
    T exchange(T v) { return value_.exchange(v, std::memory_order_relaxed); }
    operator T() const { return load(); }

private:
    std::atomic<T> value_;
};

}  // namespace vexo
