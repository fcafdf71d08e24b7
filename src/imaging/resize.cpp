#include "resize.h"

#include <QLibrary>

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
#include <libswscale/version_major.h>
}

namespace {

// libswscale, loaded by the first resize rather than at start: with libavutil it brings some twenty libraries
// (VA-API, VDPAU, OpenCL, X11) that every other run would load for nothing.
struct Swscale {
    decltype(&sws_getContext) getContext = nullptr;
    decltype(&sws_scale) scale = nullptr;
    decltype(&sws_freeContext) freeContext = nullptr;
    QString failure; // why it did not load, in the loader's words
};

const Swscale &swscale()
{
    static const Swscale loaded = [] {
        Swscale s;
        QLibrary library(QStringLiteral("libswscale.so.%1").arg(LIBSWSCALE_VERSION_MAJOR)); // stays loaded
        s.getContext = reinterpret_cast<decltype(s.getContext)>(library.resolve("sws_getContext"));
        s.scale = reinterpret_cast<decltype(s.scale)>(library.resolve("sws_scale"));
        s.freeContext = reinterpret_cast<decltype(s.freeContext)>(library.resolve("sws_freeContext"));
        if (!s.getContext || !s.scale || !s.freeContext)
            s.failure = library.errorString();
        return s;
    }();
    return loaded;
}

// A colour with its alpha multiplied in, and back, each channel rounded to the nearest.
QRgb premultiplied(QRgb p)
{
    const unsigned a = p >> 24;
    const auto times = [a](unsigned c) { return (c * a + 127) / 255; };
    return a << 24 | times((p >> 16) & 0xFF) << 16 | times((p >> 8) & 0xFF) << 8 | times(p & 0xFF);
}

QRgb straight(QRgb p)
{
    const unsigned a = p >> 24;
    if (a == 0 || a == 255)
        return a ? p : 0;
    const auto over = [a](unsigned c) { return std::min(255u, (c * 255 + a / 2) / a); };
    return a << 24 | over((p >> 16) & 0xFF) << 16 | over((p >> 8) & 0xFF) << 8 | over(p & 0xFF);
}

// A side of `source` scaled by `factor`, rounded to the nearest, at least 1.
int scaledSide(int source, double factor)
{
    return std::max(1, int(std::lround(source * factor)));
}

} // namespace

Placement placementOf(const ResizeOptions &options, QSize source, bool quarterTurn)
{
    Placement p;
    if (options.fit == Fit::None || source.isEmpty())
        return p;
    const QSize asked = quarterTurn ? options.size.transposed() : options.size;
    const double across = asked.width() > 0 ? double(asked.width()) / source.width() : 0;
    const double down = asked.height() > 0 ? double(asked.height()) / source.height() : 0;
    switch (options.fit) {
    case Fit::None:
        break;
    case Fit::Stretch: // a side left out follows the other's factor
        p.scaled = QSize(asked.width() > 0 ? asked.width() : scaledSide(source.width(), down),
                         asked.height() > 0 ? asked.height() : scaledSide(source.height(), across));
        p.output = p.scaled;
        break;
    case Fit::Contain: {
        const double factor = std::min(across, down);
        p.scaled = QSize(std::min(asked.width(), scaledSide(source.width(), factor)),
                         std::min(asked.height(), scaledSide(source.height(), factor)));
        p.output = asked;
        p.at = QPoint((asked.width() - p.scaled.width()) / 2, (asked.height() - p.scaled.height()) / 2);
        break;
    }
    case Fit::Cover: {
        const double factor = std::max(across, down);
        p.scaled = QSize(std::max(asked.width(), scaledSide(source.width(), factor)),
                         std::max(asked.height(), scaledSide(source.height(), factor)));
        p.output = asked;
        p.crop = QPoint((p.scaled.width() - asked.width()) / 2, (p.scaled.height() - asked.height()) / 2);
        break;
    }
    }
    return p;
}

QSize Resizer::between(QSize source, QSize scaled, Filter filter)
{
    if (filter == Filter::Nearest) // its filter is one pixel, whatever the shrink
        return {};
    const QSize step(std::min(source.width(), scaled.width() * largestStep),
                     std::min(source.height(), scaled.height() * largestStep));
    return step == source ? QSize() : step;
}

Resizer::Resizer(PictureDecoder &source, const Placement &placement, Filter filter)
    : before_([&]() -> std::unique_ptr<Resizer> {
          const QSize step = between(QSize(int(source.width()), int(source.height())), placement.scaled, filter);
          if (!step.isValid())
              return nullptr;
          return std::make_unique<Resizer>(source, Placement{step, step, {}, {}}, filter);
      }()),
      source_(before_ ? *before_ : source), placement_(placement),
      premultiply_(filter == Filter::Lanczos && source.mayBeTransparent()), input_(std::size_t(source_.width())),
      scaled_(std::size_t(placement.scaled.width()) * std::size_t(placement.scaled.height()))
{
    width_ = placement.output.width();
    height_ = placement.output.height();
    // Bit-exact: the same bytes on every machine, as a build needs.
    const int flags = (filter == Filter::Nearest ? SWS_POINT : SWS_LANCZOS | SWS_ACCURATE_RND) | SWS_BITEXACT;
    const Swscale &library = swscale();
    if (!library.failure.isEmpty()) {
        fail(Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("libswscale: ") + library.failure));
        return;
    }
    context_ = library.getContext(source_.width(), source_.height(), AV_PIX_FMT_BGRA, placement.scaled.width(),
                                  placement.scaled.height(), AV_PIX_FMT_BGRA, flags, nullptr, nullptr, nullptr);
    if (!context_)
        throw std::bad_alloc();
}

Resizer::~Resizer()
{
    if (context_)
        swscale().freeContext(context_);
}

std::int64_t Resizer::heldBytes(const Placement &placement, QSize source, Filter filter)
{
    if (!placement.resizes())
        return 0;
    const QSize step = between(source, placement.scaled, filter);
    return std::int64_t(placement.scaled.width()) * placement.scaled.height() * std::int64_t(sizeof(QRgb)) +
           (step.isValid() ? heldBytes(Placement{step, step, {}, {}}, source, filter) : 0);
}

bool Resizer::produce(int y)
{
    const int width = source_.width();
    // One plane of packed pixels; the other three, unused, are zero.
    std::uint8_t *destination[4] = {reinterpret_cast<std::uint8_t *>(scaled_.data())};
    const int destinationStride[4] = {placement_.scaled.width() * int(sizeof(QRgb))};
    if (!context_)
        return false; // the library did not load, and the refusal says so
    while (produced_ <= y && fed_ < source_.height()) {
        if (!source_.readRow(input_.data()))
            return fail(source_.refusal());
        if (premultiply_)
            for (QRgb &pixel : input_)
                pixel = premultiplied(pixel);
        const std::uint8_t *row[4] = {reinterpret_cast<const std::uint8_t *>(input_.data())};
        const int rowStride[4] = {width * int(sizeof(QRgb))};
        produced_ += swscale().scale(context_, row, rowStride, fed_++, 1, destination, destinationStride);
    }
    return produced_ > y;
}

bool Resizer::decodeRow(int y, QRgb *row)
{
    const Placement &p = placement_;
    std::fill(row, row + width_, QRgb(0)); // clear where the scaled picture does not reach
    const int sy = y - p.at.y() + p.crop.y();
    if (sy < 0 || sy >= p.scaled.height())
        return true;
    if (!produce(sy))
        return false;
    const QRgb *scaled = scaled_.data() + std::size_t(sy) * std::size_t(p.scaled.width()) + p.crop.x();
    const int count = std::min(p.scaled.width() - p.crop.x(), int(width_) - p.at.x());
    if (premultiply_)
        std::transform(scaled, scaled + count, row + p.at.x(), straight);
    else
        std::copy(scaled, scaled + count, row + p.at.x());
    return true;
}

bool Resizer::finish()
{
    // The rest of the source, which no row of the output needed, is read all the same: a picture cut short in it
    // is refused as it is without a resize.
    produce(placement_.scaled.height());
    return refusal().isEmpty();
}
