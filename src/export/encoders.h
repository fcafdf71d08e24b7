#pragma once

#include "export/arrays.h"
#include "export/cheader.h"
#include "export/codetext.h"
#include "decode/frames.h"
#include "export/textencoding.h"
#include "imaging/pixelformat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The encode stage: what the display's bytes, or the picture it shows, become in the output.

// The window's three forms (A51, C51, the raw bytes), Intel HEX records of the bytes, and a picture of what
// the display shows: netpbm P4 (mono) or PNG (every pixel format).
enum class OutputFormat { A51, C51, Hex, IntelHex, Pbm, Png, Sdas };

// What each format is called and what its files end in, once: "a51" and ".a51", "hex" and ".bin".
struct OutputFormatFacts {
    OutputFormat format;
    const char *name;
    const char *extension;
    bool binary; // bytes, not text: no terminal shows them
};
const QList<OutputFormatFacts> &outputFormats();
const char *nameOf(OutputFormat format);
const char *extensionOf(OutputFormat format);
// Whether the format is text for a compiler or an assembler (A51, C51, sdas), and which.
bool isCodeText(OutputFormat format);
CodeFormat codeFormatOf(OutputFormat format);

struct EncodeOptions {
    OutputFormat format = OutputFormat::A51;
    std::uint32_t address = 0; // Intel HEX: where the first byte goes
    // A51: a label line "name:" before the data; C51: the data as the array `unsigned char code name[bytes]`.
    QString name;
    CDialect dialect = CDialect::Keil;
    QString attribute; // after each C array's size: a section, PROGMEM
    TextEncoding encoding = TextEncoding::Utf8;
    QString picfile;                           // the picture, as the header names it
    bool font = false;                         // picfile is the font a glyph table was drawn from
    std::optional<GlyphTableShape> glyphTable; // a glyph table's shape, which its header says
    CodeStamp stamp;
    QStringList notes; // header lines after the four the window writes
    // With a name: the arrays the data and its tables make, the data's first.
    QList<PlannedArray> arrays;
};

// The picture's sizes as the road knows them: as turned, as packed (of several frames, the largest frame's), and
// the data's bytes: each frame takes frameBytes (the largest frame's bytes, a smaller one padded with zeros).
struct Geometry {
    int width = 0;
    int height = 0;
    int packedWidth = 0;
    int packedHeight = 0;
    std::int64_t dataBytes = 0;
    int frames = 1;
    std::int64_t frameBytes = 0;
    std::int64_t maskBytes = 0; // a frame's mask, a bit a pixel in the data's layout, where one is asked
};

class Encoder {
public:
    virtual ~Encoder() = default;
    // Whether it takes the picture as the display shows it (rows of levels) rather than the display's bytes.
    virtual bool takesLevels() const { return false; }
    // What comes before the data.
    virtual void begin([[maybe_unused]] QByteArray &out) {}
    // Before and after each frame's bytes: `label` says which it is (empty: nothing to say).
    virtual void frameStart([[maybe_unused]] const QString &label, [[maybe_unused]] QByteArray &out) {}
    virtual void frameEnd([[maybe_unused]] QByteArray &out) {}
    // A unit of the display's bytes (a row or a page), or a row of levels (packedWidth pixels).
    virtual void bytes(const std::uint8_t *data, int count, QByteArray &out);
    virtual void levels(const std::uint8_t *row, QByteArray &out);
    // What comes after the data (the tables of a named array, however long), handed on through `handOn` as it
    // grows: false, and nothing more written, once it fails.
    virtual bool end([[maybe_unused]] QByteArray &out, [[maybe_unused]] const std::function<bool()> &handOn)
    {
        return true;
    }
    // Whether every character of the text had a code in the chosen encoding.
    bool lossless() const { return lossless_; }
    // Why the encoder stopped, where it did: what it was handed after that was not written.
    const Refusal &refusal() const { return refusal_; }
    // The values of the table that array `array` of the plan writes, known only once the frames are read (a
    // mask), before end().
    virtual void setValues([[maybe_unused]] qsizetype array, [[maybe_unused]] const FrameTable &values) {}

protected:
    bool lossless_ = true;
    Refusal refusal_;
};

// The encoder of `options.format` for a picture of `pixel`s of `geometry` (for PBM and PNG, the sheet of the
// frames).
std::unique_ptr<Encoder> makeEncoder(const EncodeOptions &options, PixelFormat pixel, const Geometry &geometry);
