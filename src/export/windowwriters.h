#pragma once

// The window's writers, above the road: each runs the converter's road over the pixel table.

#include "core/limits.h"
#include "core/progress.h"
#include "export/codetext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class PixelTable;

// What a writer builds. codetext is the whole text (CR LF line ends); codelines holds the text of each
// picture row; codebytes the packed bytes of the whole picture (the HEX writer only). Their bytes are held in
// `held`, from the budget the writer ran within. When the road refused, `refusal` says why and the text stops
// where it did.
struct GeneratedCode {
    QString codetext;
    QStringList codelines;
    QByteArray codebytes;
    Reservation held;
    Refusal refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// The window's writers: the converter's road run over the pixel table within the budget of `limits`, each filling
// codetext, codelines (and codebytes) a row at a time, their bytes reserved as they come, and reporting its
// progress after each row.

// A51 assembler source: four comment lines naming `picfile`, the size and the stamp, then "DB" lines of at
// most 16 entries such as 081H, a new line for every picture row.
GeneratedCode writeA51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits);

// C51 source: the same header as C comments, then lines of at most 16 constants such as 0x81, each followed
// by ", ". Nothing is declared around them.
GeneratedCode writeC51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits);

// The packed bytes (W x H / 8 of them) and their listing, a picture row a line of entries such as "81 ".
GeneratedCode writeHex(const PixelTable &pixelinfo, const StatusSink &status, const Limits &limits);
