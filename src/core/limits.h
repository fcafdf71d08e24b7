#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// How large a picture may be, and how much memory what must be held whole may take. Every size read from a
// file or an option passes through here before anything is allocated or looped over: with sides of at most
// 2^20 pixels every size computed from them fits in 64 bits with room to spare, and rows stay small.
struct Limits {
    static constexpr std::int64_t maxSide = std::int64_t(1) << 20;
    static constexpr std::int64_t defaultMaxPixels = std::int64_t(1) << 30;
    static constexpr std::int64_t defaultMaxHeldBytes = std::int64_t(1) << 30;

    std::int64_t maxPixels = defaultMaxPixels;
    // For what is held whole: an interlaced or progressive picture, a turned one, a frame.
    std::int64_t maxHeldBytes = defaultMaxHeldBytes;
    // The converter's refusals name the option that raises a limit; the window's name its image memory.
    bool raisedByOptions = true;

    // The window's: every decoder's allocation within 256 MiB, 4 bytes a pixel for the picture itself.
    static Limits window();

    // False, with the reason, when a picture (or a frame of one, `what`) of width x height has no pixels or
    // passes the limits.
    bool fitsPicture(std::int64_t width, std::int64_t height, QString *why, QStringView what = u"the picture") const;
    // False, with the reason, when holding `bytes` for `what` passes the memory budget.
    bool fitsHeld(std::int64_t bytes, QStringView what, QString *why) const;
};
