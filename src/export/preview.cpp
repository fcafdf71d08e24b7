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

TerminalPreview::TerminalPreview(int width, int columns, std::function<void(const QString &)> out)
    : width_(width), factor_(scaleFactor(width, columns)), out_(std::move(out)),
      cells_(std::size_t((width + factor_ - 1) / factor_)), upper_(cells_.size())
{
    if (factor_ > 1)
        out_(QStringLiteral("(scaled down %1 times to fit %2 columns)").arg(factor_).arg(columns));
}

void TerminalPreview::addRow(const std::uint8_t *entries)
{
    for (int x = 0; x < width_; ++x)
        cells_[std::size_t(x / factor_)] |= entries[x];
    if (++rowsInCell_ == factor_)
        endCellRow();
}

void TerminalPreview::endCellRow()
{
    rowsInCell_ = 0;
    if (!haveUpper_) {
        upper_.swap(cells_);
        haveUpper_ = true;
    } else {
        QString line(qsizetype(cells_.size()), u' ');
        for (std::size_t i = 0; i < cells_.size(); ++i)
            line[qsizetype(i)] = upper_[i] ? (cells_[i] ? u'█' : u'▀') : (cells_[i] ? u'▄' : u' ');
        out_(line);
        haveUpper_ = false;
    }
    std::fill(cells_.begin(), cells_.end(), 0);
}

void TerminalPreview::finish()
{
    if (rowsInCell_ > 0)
        endCellRow();
    if (haveUpper_) // the last cell row alone, over an empty one
        endCellRow();
}
