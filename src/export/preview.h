#pragma once

#include "imaging/pixelformat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// What a preview leaves out, said before its first line: all frames but the first (`firstOf`, the number of
// frames; 0 when it shows them all), and detail (`factor`, how many times it is scaled down to fit `columns`).
struct PreviewNote {
    int firstOf = 0;
    int factor = 1;
    int columns = 0;
};

// The picture as the display shows it, drawn for a terminal: a character holds two pixel rows. Mono is drawn
// in the half blocks ▀ ▄ █ and a space, black pixels drawn (on a display that lights its pixels, the lit ones,
// as a dark terminal shows them); grey and colour, where the terminal takes colours, in 24-bit terminal colours,
// the upper half block in the upper pixel's colour over the lower's, and otherwise in half blocks too, a cell
// drawn where it is darker than mid-grey (lighter, where lit pixels are drawn). A picture wider than `columns` is
// scaled down by the smallest whole factor that fits (factor()); a scaled cell is the mean of its square, mono too (a
// grey as light as the share of its white pixels), so a half-black area looks half black.
class TerminalPreview {
public:
    // `light`: the light pixels are the ones drawn (a display that lights them, shown as on a dark terminal).
    TerminalPreview(int width, int columns, PixelFormat pixel, bool colour, bool light,
                    std::function<void(const QString &line)> out);

    // How many times the picture is scaled down across and down: 1 when it fits as it is.
    int factor() const { return factor_; }
    // The next row: `width` pixels of the tone stage's levels (mono: 1 for black).
    void addRow(const std::uint8_t *levels);
    // Draws what is left (a last row without a partner below it).
    void finish();

private:
    void endCellRow();
    // A line of cells: the upper cell row over the lower one, or over nothing.
    QString line(const std::vector<std::uint64_t> &upper, const std::vector<std::uint64_t> *lower) const;

    int width_;
    int factor_;
    PixelFormatTraits traits_;
    bool shaded_; // cells of means: grey and colour, and mono scaled down
    bool colour_; // drawn in terminal colours
    bool light_;  // half blocks drawn where the pixels are light, not dark
    std::function<void(const QString &)> out_;
    // The cell row being gathered: mono, whether any pixel is black; colour, the sums of the widened channels.
    std::vector<std::uint64_t> cells_;
    std::vector<std::uint64_t> upper_; // a finished cell row waiting for the one below it
    bool haveUpper_ = false;
    int rowsInCell_ = 0;
};
