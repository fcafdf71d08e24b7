#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The picture as packed, drawn for a terminal: a character holds two pixel rows, black pixels drawn, with the
// half blocks ▀ ▄ █ and a space. A picture wider than `columns` is scaled down by the smallest whole factor that
// fits, and says so on its first line; a scaled cell is drawn when any pixel of its square is black.
class TerminalPreview {
public:
    TerminalPreview(int width, int columns, std::function<void(const QString &line)> out);

    // The next row of the picture: `width` entries, 1 for black.
    void addRow(const std::uint8_t *entries);
    // Draws what is left (a last row without a partner below it).
    void finish();

private:
    void endCellRow();

    int width_;
    int factor_;
    std::function<void(const QString &)> out_;
    std::vector<std::uint8_t> cells_; // the cell row being gathered
    std::vector<std::uint8_t> upper_; // a finished cell row waiting for the one below it
    bool haveUpper_ = false;
    int rowsInCell_ = 0;
};
