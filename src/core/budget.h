#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

class Budget;

// Bytes taken from a budget, given back when the reservation ends (or is released); moved, never copied.
class Reservation {
public:
    Reservation() = default;
    Reservation(Reservation &&other) noexcept;
    Reservation &operator=(Reservation &&other) noexcept;
    Reservation(const Reservation &) = delete;
    Reservation &operator=(const Reservation &) = delete;
    ~Reservation() { release(); }

    std::int64_t bytes() const { return bytes_; }
    // Gives back every byte held.
    void release();
    // Gives back `bytes` of those held (at most all of them).
    void giveBack(std::int64_t bytes);

private:
    friend class Budget;
    std::shared_ptr<Budget> budget_; // kept while bytes are held, whoever made it
    std::int64_t bytes_ = 0;
};

// What the whole process may hold at once of memory whose size comes from its input: pictures held whole,
// sheets, frames, fonts, text, standard input. Every such buffer reserves its bytes here before it is allocated,
// on any thread, and gives them back when it is freed. Thread-safe; made with std::make_shared.
class Budget : public std::enable_shared_from_this<Budget> {
public:
    explicit Budget(std::int64_t capacity) : capacity_(capacity) {}
    Budget(const Budget &) = delete;
    Budget &operator=(const Budget &) = delete;

    std::int64_t capacity() const { return capacity_; }
    std::int64_t held() const;

    // Adds `bytes` to `into` (empty, or already of this budget) when they fit beside everything held; false, with
    // `into` as it was, when they do not.
    bool take(Reservation &into, std::int64_t bytes);

    // Whether the last refusal on this thread would have fitted had nothing else been held: the caller may wait
    // for the others and try again alone.
    static bool lastRefusalWasShared();
    static void forgetRefusal();

private:
    friend class Reservation;
    void giveBack(std::int64_t bytes);

    const std::int64_t capacity_;
    mutable std::mutex mutex_;
    std::int64_t held_ = 0;
};
