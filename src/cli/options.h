#pragma once

#include "core/limits.h"
#include "glyphs/glyphtable.h"
#include "export/road.h"

#include <QString>
#include <QStringList>

#include <optional>

struct DisplayController;

// The most characters a glyph table holds.
constexpr int maxGlyphs = Limits::maxTableEntries;

// What the command line asks of the converter.
struct Options {
    RoadOptions road; // the name in it is --name; a batch names each picture itself
    // --max-pixels and --max-memory: the limits the converter makes once (its one budget) and hands down.
    std::int64_t maxPixels = Limits::defaultMaxPixels;
    std::int64_t maxMemory = Limits::defaultMaxHeldBytes;
    QStringList pictures;  // "-": standard input
    QString output;        // empty: standard output
    QString outputDir;     // a batch: each picture to its own file here
    QString header;        // --header: a C header declaring the array (an include file, for the assemblers)
    QString cHeader;       // --c-header: a C header declaring an sdas module's arrays
    QString namePrefix;    // before each array's name
    bool prefixed = false; // --name-prefix given (an empty prefix too): arrays named after their pictures
    QString pictureName;   // the picture as the header comment names it; empty: as given
    // --font: a glyph table of the characters of --text, --text-file or --charset instead of a picture.
    QString font;
    int fontIndex = -1; // -1: not given
    QString text;
    QString textFile;
    QString charset;
    QString range;                                          // --range: code points, checked
    QString stringsFile;                                    // --strings: a string a line
    TextFileEncoding textEncoding = TextFileEncoding::Utf8; // of --text-file and --strings
    bool render = false;                                    // --render: the text drawn as one picture
    QString renderText;                                     // its text; empty: the lines of --strings
    QList<QPoint> renderAt;                                 // where each line's pen starts and its top lies
    QSize canvas;                                           // the picture's size, where given
    GlyphOptions glyphs;                                    // --grid and --crop among them
    bool frames = false;                                    // every frame of an animated GIF
    QSize tile;                                             // the picture cut into tiles of this size, when valid
    bool displaySize = false;                               // --fit or --fill without a size: the display's screen
    bool verbose = false;
    const DisplayController *display = nullptr; // --display: its screen, for the warning

    // Whether the arrays are named from the pictures' base names (a batch, or --name-prefix without --name).
    bool namesFromPictures() const;
};

// Parses the command line, the words as the program was given them (the first the program). Help and version are
// printed and give
// `*exitCode` 0; a usage error is reported and gives 2; either way nullopt.
std::optional<Options> parseOptions(const QList<QByteArray> &argv, int *exitCode);

// What the options make: mono data; the pixel format's name; a picture to look at (PBM, PNG).
inline bool isMono(const Options &o)
{
    return o.road.pixel == PixelFormat::Mono;
}
inline QString pixelName(const Options &o)
{
    return QString::fromLatin1(traitsOf(o.road.pixel).name);
}
inline bool isPictureFormat(const Options &o)
{
    return o.road.encode.format == OutputFormat::Pbm || o.road.encode.format == OutputFormat::Png;
}
