#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `data` atomically: the bytes go to a temporary file beside it, which is
// renamed over the old file only once it is complete. When anything fails the old file stays as it was, no
// temporary file is left, `errorString` says why and the result is false. A device or pipe (/dev/stdout, a
// FIFO) is written to directly instead.
bool saveFileAtomically(const QString &path, const QByteArray &data, QString *errorString);
