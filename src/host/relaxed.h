// A value shared between the audio thread and other threads without a lock.
#pragma once

#include <atomic>

namespace orbitone {

// Every access is a relaxed atomic load or store: no ordering is promised beyond the
// value itself, which is all the effect needs (a stored parameter takes effect at the
// next block, whenever that is). On x86-64 this compiles to plain moves.
template <typename T>
class Relaxed {
public:
    static_assert(std::atomic<T>::is_always_lock_free);
    static_assert(sizeof(std::atomic<T>) == sizeof(T));

    constexpr Relaxed(T initial = T{}) noexcept : value(initial) {}
    Relaxed(const Relaxed&) = delete;
    Relaxed& operator=(const Relaxed&) = delete;

    T load() const noexcept { return value.load(std::memory_order_relaxed); }
    void store(T next) noexcept { value.store(next, std::memory_order_relaxed); }
    T exchange(T next) noexcept { return value.exchange(next, std::memory_order_relaxed); }

    operator T() const noexcept { return load(); }
    Relaxed& operator=(T next) noexcept {
        store(next);
        return *this;
    }

private:
    std::atomic<T> value;
};

}  // namespace orbitone
