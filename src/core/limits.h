#pragma once

#include "core/refusal.h"

#include "core/budget.h"

#include <QString>

#include <cstdint>
#include <memory>

// How large a picture may be, and the memory budget of what must be held whole. Every size read from a file or
// an option passes through here before anything is allocated or looped over: with sides of at most 2^20 pixels
// every size computed from them fits in 64 bits with room to spare, and rows stay small.
// Made once by each program (the window's, or the converter's from its options) and handed down: nothing makes
// limits, or a budget, by default.
struct Limits {
    static constexpr std::int64_t maxSide = std::int64_t(1) << 20;
    // The most entries of an 8051 table (frames, tiles, glyphs): its indices and counts stay within 16 bits.
    static constexpr int maxTableEntries = 65535;
    // The converter's, unless --max-pixels and --max-memory say otherwise.
    static constexpr std::int64_t defaultMaxPixels = std::int64_t(1) << 30;
    static constexpr std::int64_t defaultMaxHeldBytes = std::int64_t(1) << 30;

    Limits(std::int64_t maxPixels, std::shared_ptr<Budget> budget) : maxPixels(maxPixels), budget(std::move(budget)) {}

    // Every pixel decoded, of every frame, on screen or off.
    std::int64_t maxPixels;
    // The process's one budget for what is held whole (pictures, frames, sheets, fonts, text, standard input):
    // copies of these limits share it.
    std::shared_ptr<Budget> budget;

    // Limits of `maxPixels` and a budget of its own of `maxHeldBytes`: a program's one, made once.
    static Limits withBudget(std::int64_t maxPixels, std::int64_t maxHeldBytes)
    {
        return Limits(maxPixels, std::make_shared<Budget>(maxHeldBytes));
    }
    // The window's: one budget of 256 MiB for its picture (4 bytes a pixel), what a reader holds to decode it, its
    // pixel table, the code made of it and what the road holds to make it.
    static Limits window();

    std::int64_t maxHeldBytes() const { return budget->capacity(); }

    // False, with the refusal, when a picture (or a frame of one, `what`) of width x height has no pixels or
    // passes the limits.
    bool fitsPicture(std::int64_t width, std::int64_t height, Refusal *why, const Subject &what = {}) const;
    // False, with the reason, when `pixels` to decode for `what` pass the pixel limit.
    bool fitsPixels(std::int64_t pixels, const Subject &what, Refusal *why) const;
    // False, with the refusal, when `bytes` read of a stream (`what`) pass the memory limit, held or not: a
    // device that never ends is refused, not read for ever.
    bool fitsRead(std::int64_t bytes, const Subject &what, Refusal *why) const;
    // Takes `bytes` for `what` from the budget into `into`, before they are allocated; false, with the reason,
    // when they do not fit beside everything the process holds.
    bool reserve(std::int64_t bytes, const Subject &what, Reservation *into, Refusal *why) const;
};
