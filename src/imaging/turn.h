#pragma once

#include "core/colour.h"

#include <QString>

#include <vector>

class PictureDecoder;

// Turns a picture before it is packed: the rotation first (clockwise), then the flip (horizontal mirrors left
// and right). Rows come top to bottom of the turned picture. A rotation or a vertical flip needs the whole
// picture, which is then held (4 bytes a pixel); without either, rows pass straight from the decoder.
enum class Flip { None, Horizontal, Vertical };

class TurnedRows {
public:
    // `degrees` is 0, 90, 180 or 270.
    TurnedRows(PictureDecoder &decoder, int degrees, Flip flip);

    int width() const { return width_; }
    int height() const { return height_; }

    // The next row of the turned picture into `row` (width() pixels); false, with the decoder's reason, when
    // the picture cannot be read.
    bool next(QRgb *row);
    const QString &errorString() const { return error_; }

private:
    bool readAll();

    PictureDecoder &decoder_;
    int degrees_;
    Flip flip_;
    int width_;
    int height_;
    int row_ = 0;
    std::vector<QRgb> whole_;
    QString error_;
};
