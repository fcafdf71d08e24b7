#include "preview.h"

#include <algorithm>
#include <array>

namespace {

// The smallest whole factor that fits `width` pixels into `columns` cells.
int scaleFactor(std::int64_t width, std::int64_t columns)
{
    columns = std::max<std::int64_t>(columns, 1);
    return int(std::max<std::int64_t>(1, (width + columns - 1) / columns));
}

} // namespace

TerminalPreview::TerminalPreview(int width, int columns, PixelFormat pixel, bool colour, bool light,
                                 std::function<void(const QString &)> out)
    : width_(width), factor_(scaleFactor(width, columns)), traits_(traitsOf(pixel)),
      shaded_(!traits_.mono() || factor_ > 1), colour_(colour), light_(light), out_(std::move(out)),
      cells_(std::size_t((width + factor_ - 1) / factor_) * (traits_.channels == 3 ? 3 : 1)), upper_(cells_.size())
{
}

void TerminalPreview::addRow(const std::uint8_t *levels)
{
    if (!shaded_) {
        for (int x = 0; x < width_; ++x)
            cells_[std::size_t(x / factor_)] |= std::uint64_t(levels[x] != 0) ^ std::uint64_t(light_);
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
    // Each cell the mean of its square; a cell of the last, short column of cells counts only its pixels. Below
    // the last row: the terminal's white.
    const std::size_t channels = std::size_t(traits_.channels);
    const std::size_t cells = upper.size() / channels;
    const std::uint64_t blank = light_ ? 0 : 255; // the terminal's ground, drawn as no block
    const auto mean = [&](const std::vector<std::uint64_t> *sums, std::size_t cell) {
        std::array<std::uint64_t, 3> rgb{blank, blank, blank};
        if (!sums)
            return rgb;
        const std::uint64_t across = std::uint64_t(std::min(factor_, width_ - int(cell) * factor_));
        const std::uint64_t pixels = across * std::uint64_t(factor_);
        for (std::size_t c = 0; c < 3; ++c)
            rgb[c] = ((*sums)[cell * channels + std::min(c, channels - 1)] + pixels / 2) / pixels;
        return rgb;
    };
    QString text;
    if (!colour_) { // half blocks: a cell darker than mid-grey drawn (lighter, for light_), by its luminance
        const auto dark = [&](const std::vector<std::uint64_t> *sums, std::size_t cell) {
            const std::array<std::uint64_t, 3> rgb = mean(sums, cell);
            return (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] < 128 * 1000) != light_;
        };
        for (std::size_t cell = 0; cell < cells; ++cell)
            text += dark(&upper, cell) ? (dark(lower, cell) ? u'█' : u'▀') : (dark(lower, cell) ? u'▄' : u' ');
        return text;
    }
    const auto colour = [&](const std::vector<std::uint64_t> *sums, std::size_t cell) {
        const std::array<std::uint64_t, 3> rgb = mean(sums, cell);
        return QStringLiteral("%1;%2;%3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);
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
