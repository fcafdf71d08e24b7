#pragma once

#include "core/refusal.h"

#include <QImage>
#include <QString>

// What LoadPicture gives: the picture, or a null image and the reason it could not be read.
struct LoadedPicture {
    QImage picture; // Format_RGB32, every pixel opaque
    Refusal refusal;
    bool ok() const { return !picture.isNull(); }
};

// Decodes a BMP, JPEG or GIF file (the first frame of a GIF), recognised by its content whatever its name.
// Transparent parts are laid over white, the picture box's background. This is the one place that
// decodes picture files. A picture, or anything its reader must hold, of more than 256 MiB of image memory is
// refused before it is decoded (Limits::window()). The refusal says why and leaves naming the file to the
// caller.
LoadedPicture LoadPicture(const QString &path);

// The same for a file's bytes already in memory.
LoadedPicture decodePicture(const QByteArray &data);
