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
        if (!library.isLoaded())
            s.failure = library.errorString();
        else if (!s.getContext || !s.scale || !s.freeContext)
            s.failure =
                QStringLiteral("%1 has no sws_getContext, sws_scale or sws_freeContext").arg(library.fileName());
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

// A side of `source` scaled by `factor`, rounded to the nearest, at least 1; in 64 bits, for an aspect kept
// from a picture far longer than it is wide may pass any int.
std::int64_t scaledSide(int source, double factor)
{
    return std::max<std::int64_t>(1, std::llround(source * factor));
}

// libswscale steps through its source in 1/65536 of a pixel, rounded, and takes no step below 10: a side of
// `source` pixels is enlarged to at most this many.
std::int64_t largestEnlargement(std::int64_t source)
{
    return (source << 17) / 19;
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
    std::int64_t width = 0, height = 0;
    switch (options.fit) {
    case Fit::None:
        break;
    case Fit::Stretch: // a side left out follows the other's factor
        width = asked.width() > 0 ? asked.width() : scaledSide(source.width(), down);
        height = asked.height() > 0 ? asked.height() : scaledSide(source.height(), across);
        p.output = QSize(int(std::min(width, Limits::maxSide)), int(std::min(height, Limits::maxSide)));
        break;
    case Fit::Contain: {
        const double factor = std::min(across, down);
        width = std::min<std::int64_t>(asked.width(), scaledSide(source.width(), factor));
        height = std::min<std::int64_t>(asked.height(), scaledSide(source.height(), factor));
        p.output = asked;
        p.at = QPoint((asked.width() - int(width)) / 2, (asked.height() - int(height)) / 2);
        break;
    }
    case Fit::Cover: {
        const double factor = std::max(across, down);
        width = std::max<std::int64_t>(asked.width(), scaledSide(source.width(), factor));
        height = std::max<std::int64_t>(asked.height(), scaledSide(source.height(), factor));
        p.output = asked;
        p.crop = QPoint(int(std::min(width - asked.width(), Limits::maxSide) / 2),
                        int(std::min(height - asked.height(), Limits::maxSide) / 2));
        break;
    }
    }
    p.scaled = QSize(int(std::min(width, Limits::maxSide)), int(std::min(height, Limits::maxSide)));
    if (width > Limits::maxSide || height > Limits::maxSide)
        p.refusal =
            Refusal::ofSize(Refusal::Rule::Side, Subject::Thing::ResizedPicture, width, height, Limits::maxSide);
    else if (width > largestEnlargement(source.width()) || height > largestEnlargement(source.height())) {
        const int side = width > largestEnlargement(source.width()) ? source.width() : source.height();
        p.refusal = Refusal::ofSize(Refusal::Rule::Enlargement, Subject::Thing::ResizedPicture, width, height,
                                    largestEnlargement(side));
        p.refusal.value = side;
    }
    return p;
}

QSize Resizer::between(QSize source, QSize scaled, Filter filter)
{
    if (filter == Filter::Nearest) // its filter is one pixel, whatever the shrink
        return {};
    // From the source, the largest shrink first, so that the picture held after it is small; but each step leaves
    // at least a shrink of finalStep for the last, whose filter then sees nearly the whole of the source's detail.
    const auto next = [scaled](QSize from) {
        const auto side = [](int from, int to) {
            const double shrink = std::clamp(double(from) / to / finalStep, 1.0, double(largestStep));
            return std::max(to, int(std::ceil(from / shrink)));
        };
        if (from.width() <= scaled.width() * largestStep && from.height() <= scaled.height() * largestStep)
            return scaled;
        return QSize(side(from.width(), scaled.width()), side(from.height(), scaled.height()));
    };
    QSize before = source;
    for (QSize step = next(source); step != scaled; step = next(step))
        before = step;
    return before == source ? QSize() : before;
}

Resizer::Resizer(PictureDecoder &source, const Placement &placement, Filter filter)
    : Resizer(source, placement, filter, false)
{
}

Resizer::Resizer(PictureDecoder &source, const Placement &placement, Filter filter, bool step)
    : before_([&]() -> std::unique_ptr<Resizer> {
          const QSize between =
              Resizer::between(QSize(int(source.width()), int(source.height())), placement.scaled, filter);
          if (!between.isValid())
              return nullptr;
          return std::unique_ptr<Resizer>(new Resizer(source, Placement{between, between, {}, {}, {}}, filter, true));
      }()),
      source_(before_ ? *before_ : source), placement_(placement),
      premultiply_(filter == Filter::Lanczos && source.mayBeTransparent()),
      input_(std::size_t(source_.width()) *
             std::size_t(std::clamp(sliceBytes / (source_.width() * int(sizeof(QRgb))), 1, int(source_.height())))),
      scaled_(std::size_t(placement.scaled.width()) * std::size_t(placement.scaled.height()))
{
    width_ = placement.output.width();
    height_ = placement.output.height();
    // Bit-exact: the same bytes on every machine, as a build needs. A step before the last averages the pixels it
    // shrinks by (at least 4 times): Lanczos would cost twice the time there and show nothing the last step keeps.
    const int kernel = filter == Filter::Nearest ? SWS_POINT : step ? SWS_AREA : SWS_LANCZOS | SWS_ACCURATE_RND;
    const int flags = kernel | SWS_BITEXACT;
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
           (step.isValid() ? heldBytes(Placement{step, step, {}, {}, {}}, source, filter) : 0);
}

bool Resizer::produce(int y)
{
    const int width = source_.width();
    // One plane of packed pixels; the other three, unused, are zero.
    std::uint8_t *destination[4] = {reinterpret_cast<std::uint8_t *>(scaled_.data())};
    const int destinationStride[4] = {placement_.scaled.width() * int(sizeof(QRgb))};
    if (!context_)
        return false; // the library did not load, and the refusal says so
    const int sliceRows = int(input_.size() / std::size_t(width));
    while (produced_ <= y && fed_ < source_.height()) {
        // A slice of rows a call: the library's work for a call does not shrink with the rows it is given.
        int rows = 0;
        bool read = true;
        for (; rows < sliceRows && fed_ + rows < source_.height(); ++rows) {
            QRgb *row = input_.data() + std::size_t(rows) * std::size_t(width);
            if (!(read = source_.readRow(row)))
                break;
            if (premultiply_)
                std::transform(row, row + width, row, premultiplied);
        }
        const std::uint8_t *slice[4] = {reinterpret_cast<const std::uint8_t *>(input_.data())};
        const int sliceStride[4] = {width * int(sizeof(QRgb))};
        if (rows > 0)
            produced_ += swscale().scale(context_, slice, sliceStride, fed_, rows, destination, destinationStride);
        fed_ += rows;
        if (!read)
            return fail(source_.refusal());
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
