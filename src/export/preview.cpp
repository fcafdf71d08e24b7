#include "preview.h"

#include <algorithm>

namespace {

// The smallest whole factor that fits `width` pixels into `columns` cells.
int scaleFactor(std::int64_t width, std::int64_t columns)
{
    columns = std::max<std::int64_t>(columns, 1);
    return int(std::max<std::int64_t>(1, (width + columns - 1) / columns));
}

} // namespace

TerminalPreview::TerminalPreview(int width, int columns, PixelFormat pixel, std::function<void(const QString &)> out)
    : width_(width), factor_(scaleFactor(width, columns)), traits_(traitsOf(pixel)),
      shaded_(!traits_.mono() || factor_ > 1), out_(std::move(out)),
      cells_(std::size_t((width + factor_ - 1) / factor_) * (traits_.channels == 3 ? 3 : 1)), upper_(cells_.size())
{
    if (factor_ > 1)
        out_(QStringLiteral("(scaled down %1 times to fit %2 columns)").arg(factor_).arg(columns));
}

void TerminalPreview::addRow(const std::uint8_t *levels)
{
    if (!shaded_) {
        for (int x = 0; x < width_; ++x)
            cells_[std::size_t(x / factor_)] |= levels[x];
    } else if (traits_.mono()) { // how white the cell is: a half-black area is drawn half grey
        for (int x = 0; x < width_; ++x)
            cells_[std::size_t(x / factor_)] += levels[x] ? 0 : 255;
    } else {
        const std::size_t channels = std::size_t(traits_.channels);
        for (int x = 0; x < width_; ++x)
            for (std::size_t c = 0; c < channels; ++c)
                cells_[std::size_t(x / factor_) * channels + c] +=
                    std::uint64_t(widenLevel(levels[std::size_t(x) * channels + c], traits_.max[c]));
    }
    if (++rowsInCell_ == factor_)
        endCellRow();
}

QString TerminalPreview::line(const std::vector<std::uint64_t> &upper, const std::vector<std::uint64_t> *lower) const
{
    if (!shaded_) {
        QString text(qsizetype(upper.size()), u' ');
        for (std::size_t i = 0; i < upper.size(); ++i) {
            const bool below = lower && (*lower)[i];
            text[qsizetype(i)] = upper[i] ? (below ? u'█' : u'▀') : (below ? u'▄' : u' ');
        }
        return text;
    }
    // Each cell the mean of its square; a cell of the last, short column of cells counts only its pixels.
    const std::size_t channels = std::size_t(traits_.channels);
    const std::size_t cells = upper.size() / channels;
    QString text;
    const auto colour = [&](const std::vector<std::uint64_t> *sums, std::size_t cell) {
        if (!sums) // below the last row: the terminal's white
            return QStringLiteral("255;255;255");
        const std::uint64_t across = std::uint64_t(std::min(factor_, width_ - int(cell) * factor_));
        const std::uint64_t pixels = across * std::uint64_t(factor_);
        const auto mean = [&](std::size_t c) { return ((*sums)[cell * channels + c] + pixels / 2) / pixels; };
        return channels == 3 ? QStringLiteral("%1;%2;%3").arg(mean(0)).arg(mean(1)).arg(mean(2))
                             : QStringLiteral("%1;%1;%1").arg(mean(0));
    };
    for (std::size_t cell = 0; cell < cells; ++cell)
        text += QStringLiteral("\x1b[38;2;%1m\x1b[48;2;%2m▀").arg(colour(&upper, cell), colour(lower, cell));
    return text + QStringLiteral("\x1b[0m");
}

void TerminalPreview::endCellRow()
{
    rowsInCell_ = 0;
    if (!haveUpper_) {
        upper_.swap(cells_);
        haveUpper_ = true;
    } else {
        out_(line(upper_, &cells_));
        haveUpper_ = false;
    }
    std::fill(cells_.begin(), cells_.end(), 0);
}

void TerminalPreview::finish()
{
    if (rowsInCell_ > 0) {
        // A short last cell row: its colour means count the rows it has as if all were there.
        if (shaded_)
            for (std::uint64_t &sum : cells_)
                sum = sum * std::uint64_t(factor_) / std::uint64_t(rowsInCell_);
        endCellRow();
    }
    if (haveUpper_) { // the last cell row alone, over nothing
        out_(line(upper_, nullptr));
        haveUpper_ = false;
    }
}
