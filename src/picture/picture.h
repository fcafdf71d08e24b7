#pragma once

#include "core/limits.h"
#include "core/refusal.h"

#include <QImage>
#include <QString>

// What LoadPicture gives: the picture, or a null image and the reason it could not be read.
struct LoadedPicture {
    QImage picture; // Format_RGB32, every pixel opaque
    Refusal refusal;
    Reservation held; // the picture's bytes, from the budget it was read within, for as long as it is held
    bool ok() const { return !picture.isNull(); }
};

// Decodes a BMP, JPEG or GIF file (the first frame of a GIF), recognised by its content whatever its name.
// Transparent parts are laid over white, the picture box's background. This is the one place that
// decodes picture files. The picture (4 bytes a pixel) is reserved from the budget of `limits` as soon as its
// header is read, before what its reader must hold: a picture that does not fit is refused before it is decoded.
// The refusal says why and leaves naming the file to the caller.
LoadedPicture LoadPicture(const QString &path, const Limits &limits);

// The same for a file's bytes already in memory.
LoadedPicture decodePicture(const QByteArray &data, const Limits &limits);
