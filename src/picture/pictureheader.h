#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

// What a picture file's own structure says before any pixel is decoded: its format, its size, and whether
// it is whole. Qt's decoders fill a picture that is cut short with background instead of failing, so a file
// is walked block by block here (BMP pixel data and RLE stream, GIF blocks up to the first frame's end, JPEG
// segments and scans up to the end marker) and refused when it ends too early.
struct PictureHeader {
    QByteArray format;       // "bmp", "jpeg" or "gif"; empty when the content is none of them
    std::int64_t width = -1; // -1 when the header does not say
    std::int64_t height = -1;
    QString problem; // why the file cannot be a whole picture; empty when it can
};

PictureHeader inspectPicture(QByteArrayView data);
