#pragma once

#include "core/limits.h"
#include "decode/decoder.h"

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <memory>
#include <vector>

struct SwsContext;

// The geometry stage: a picture brought to the size asked, as it is decoded, a row at a time, by libswscale,
// which takes the rows in order and gives the resampled rows as soon as its filter has the rows it spans.

// How the picture is brought to the size: stretched to it (a side left out keeps the picture's aspect), the
// whole picture inside it (contain: centred, what is left around it clear, for the background to show), or
// covering it (cover: what passes its sides cut evenly from both).
enum class Fit { None, Stretch, Contain, Cover };

// The resampling kernel: Lanczos (3 lobes, widened when shrinking, so that every source pixel counts: right for
// photographs and for the anti-aliased edges of drawings), or the nearest pixel (pixel art: whole blocks when
// enlarging by whole factors, no new colours).
enum class Filter { Lanczos, Nearest };

struct ResizeOptions {
    Fit fit = Fit::None;
    QSize size; // a side of 0: Stretch keeps the aspect; an invalid size: none given
    Filter filter = Filter::Lanczos;
};

// Where a picture of `source` goes: resampled to `scaled`, of which the output (`output` pixels) shows the part
// from `crop` (cover), or on which it lies at `at` (contain). All before the turn: with `quarterTurn` the size
// asked (for the turned picture) is turned back first. The sides are computed in 64 bits; a scaled picture that
// cannot be made is refused, and its sides in `scaled` are then no more than clamped.
struct Placement {
    QSize scaled;
    QSize output;
    QPoint at;       // contain: where the scaled picture lies in the output
    QPoint crop;     // cover: where the output starts in the scaled picture
    Refusal refusal; // the scaled picture cannot be made: a side past the limit, or more enlarged than libswscale takes
    bool resizes() const { return scaled.isValid(); }
};
Placement placementOf(const ResizeOptions &options, QSize source, bool quarterTurn);

// A picture resampled as `placement` says, read from `source` a row at a time as it is needed. Partial alpha is
// resampled premultiplied (no dark fringes), and given back straight, for the tone to lay over the background.
// Holds the scaled picture's rows as libswscale writes them: `held` is its reservation, made by the caller.
//
// libswscale's Lanczos breaks down past a shrink of about 30 times on a side (its filter outgrows the taps it
// allows, and it crashes): a greater shrink goes in steps, each at most `largestStep` times, the largest first,
// through pictures of the sizes between, each step a Resizer of its own. Source rows go to libswscale in slices.
class Resizer : public PictureDecoder {
public:
    static constexpr int largestStep = 16;
    static constexpr double finalStep = 4;
    // How many bytes of source rows go to the library in one call, at least a row.
    static constexpr int sliceBytes = 64 * 1024;

    Resizer(PictureDecoder &source, const Placement &placement, Filter filter);
    ~Resizer() override;
    Resizer(const Resizer &) = delete;
    Resizer &operator=(const Resizer &) = delete;

    // The bytes the resampled picture of `source` holds: its scaled rows, and those of each step between.
    static std::int64_t heldBytes(const Placement &placement, QSize source, Filter filter);

    bool mayBeTransparent() const override { return true; }

protected:
    bool decodeRow(int y, QRgb *row) override;
    bool finish() override;

private:
    // A step before the last (`step`), or the last.
    Resizer(PictureDecoder &source, const Placement &placement, Filter filter, bool step);
    // Feeds source rows until scaled row `y` is done; false with the source's reason.
    bool produce(int y);
    // The size of the step between `source` and `scaled`; none when one step does.
    static QSize between(QSize source, QSize scaled, Filter filter);

    std::unique_ptr<Resizer> before_; // the steps before this one
    PictureDecoder &source_;
    Placement placement_;
    bool premultiply_; // partial alpha resampled premultiplied: not for the nearest pixel, which keeps colours
    SwsContext *context_ = nullptr;
    std::vector<QRgb> input_;  // a slice of source rows, premultiplied
    std::vector<QRgb> scaled_; // the scaled picture, premultiplied, as far as it is done
    int fed_ = 0;              // source rows fed
    int produced_ = 0;         // scaled rows done
};
