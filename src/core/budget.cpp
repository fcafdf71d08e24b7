#include "budget.h"

#include <algorithm>
#include <utility>

namespace {
thread_local bool refusalWasShared = false;
}

Reservation::Reservation(Reservation &&other) noexcept
    : budget_(std::move(other.budget_)), bytes_(std::exchange(other.bytes_, 0))
{
}

Reservation &Reservation::operator=(Reservation &&other) noexcept
{
    if (this != &other) {
        release();
        budget_ = std::move(other.budget_);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

void Reservation::release()
{
    giveBack(bytes_);
}

void Reservation::giveBack(std::int64_t bytes)
{
    bytes = std::clamp<std::int64_t>(bytes, 0, bytes_);
    if (budget_ && bytes > 0)
        budget_->giveBack(bytes);
    bytes_ -= bytes;
}

std::int64_t Budget::held() const
{
    const std::lock_guard lock(mutex_);
    return held_;
}

bool Budget::take(Reservation &into, std::int64_t bytes)
{
    if (bytes < 0)
        return false;
    const std::lock_guard lock(mutex_);
    // Compared without adding, so that no sum of sizes read from a file can overflow.
    if (bytes > capacity_ - held_) {
        refusalWasShared = bytes <= capacity_ - into.bytes_ && held_ > into.bytes_;
        return false;
    }
    held_ += bytes;
    if (!into.budget_)
        into.budget_ = shared_from_this();
    into.bytes_ += bytes;
    return true;
}

void Budget::giveBack(std::int64_t bytes)
{
    const std::lock_guard lock(mutex_);
    held_ -= bytes;
}

bool Budget::lastRefusalWasShared()
{
    return refusalWasShared;
}

void Budget::forgetRefusal()
{
    refusalWasShared = false;
}
