#pragma once

#include "decode/decoder.h"

#include <QList>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

// Pictures that go down the road one after another as frames of one output: a picture alone, the glyphs of a
// font, an animation's frames, the tiles of a sheet.

// A table that goes with the frames, one value a frame: the characters' codes, the glyphs' widths, the delays.
struct FrameTable {
    QString suffix; // after the array's name: "_codes"
    int bytes = 1;  // each value's: 1 (unsigned char), 2 (unsigned int, as the 8051 compilers have it) or 4
    QString what;   // what the values are, for the header comment
    QList<std::uint32_t> values;
};

class FrameSource {
public:
    virtual ~FrameSource() = default;

    virtual int count() const = 0;
    // Frame i's size, before it is turned; known before any frame is read.
    virtual QSize size(int i) const = 0;
    // Frame i, read from its first row; the frames are opened in order. Null, with the reason, when it cannot be
    // read.
    virtual std::unique_ptr<PictureDecoder> open(int i, QString *errorString) = 0;

    // What frame i is, as a refusal of it names it.
    virtual QString what(int i) const
    {
        (void)i;
        return QStringLiteral("the picture");
    }
    // A line that goes before frame i's data in text output, or none.
    virtual QString label(int i) const
    {
        (void)i;
        return {};
    }
    // Whether the frames form a table (a C51 array of count() rows), as glyphs and animations do.
    virtual bool isTable() const { return false; }
    // What a header calls the count: "COUNT" for glyphs, "FRAMES" for animations.
    virtual QString countName() const { return QStringLiteral("COUNT"); }
    // The tables that go with the frames.
    virtual QList<FrameTable> tables() const { return {}; }
    // How many frames a row of the sheet that PBM, PNG and the preview draw holds; and whether the preview draws
    // the sheet (glyphs) or the first frame alone (an animation).
    virtual int sheetColumns() const { return count(); }
    virtual bool previewsSheet() const { return true; }
};

// A picture alone: one frame, as the decoder reads it.
class SinglePicture : public FrameSource {
public:
    explicit SinglePicture(PictureDecoder &decoder) : decoder_(decoder) {}
    int count() const override { return 1; }
    QSize size(int) const override { return {decoder_.width(), decoder_.height()}; }
    QString countName() const override { return QStringLiteral("FRAMES"); }
    std::unique_ptr<PictureDecoder> open(int i, QString *errorString) override;

private:
    PictureDecoder &decoder_;
    bool opened_ = false;
};
