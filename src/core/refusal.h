#pragma once

#include <QString>

#include <cstdint>

// Why something was refused, as every layer below the two programs returns it: a rule broken (a code), the thing
// it is about, and the facts: the value asked and the limit allowed, the sizes, a library's or the system's own
// words where it gives them. No layer below the programs puts a refusal into words: the converter's one table
// (cli/wording) does, and the window shows its own texts. Empty when nothing was refused.

// What a refusal is about, as the table names it.
struct Subject {
    enum class Thing {
        Picture,            // the picture
        Frame,              // frame `index` (from 1) of an animation or a sheet
        Frames,             // the frames of an animation, of tiles or of a font, together
        GifFrame,           // a GIF frame
        AnimationScreens,   // the screens an animation draws
        AnimationPicture,   // an animation's picture as it is composed
        Tile,               // tile `index`, counted from 0 left to right and top to bottom
        TileBand,           // a band of tiles, held to cut them
        Cell,               // the cell of the character `index` (its code point), or a glyph's cell (-1)
        Glyphs,             // the glyphs drawn
        Drawing,            // drawing the character `index`
        Font,               // the font `name`
        FontInflated,       // a compressed font, inflated
        TextFile,           // the text file `name`
        StringsFile,        // the strings file `name`
        StringIndices,      // the strings' indices
        Header,             // the header `name`
        StandardInput,      // standard input
        InterlacedGifFrame, // an interlaced GIF frame, held until its passes are read
        InterlacedPng,      // an interlaced PNG picture, held until its passes are read
        MultiScanJpeg,      // a multi-scan JPEG picture's coefficients
        TurnedPicture,      // the picture, held to be turned
        ResizedPicture,     // the picture, resized and held whole to be read row by row
        CompressedFrames,   // the frames, held compressed
        Sheet,              // the sheet of the frames
        Mask,               // the frames' mask
        ColourTable,        // a BMP's colour table
        CompressedPixels,   // a BMP's compressed pixels
        File,               // the file `name`
        Output,             // the output `name`; empty: standard output
        PictureHeld,        // the window's picture, its pixel table or its code
        Text,               // the picture of the text --render draws
    };
    Thing thing = Thing::Picture;
    std::int64_t index = 0;
    QString name;

    Subject(Thing thing = Thing::Picture, std::int64_t index = 0, QString name = {})
        : thing(thing), index(index), name(std::move(name))
    {
    }
    Subject(Thing thing, QString name) : thing(thing), name(std::move(name)) {} // a thing known by its name
};

struct Refusal {
    // The kinds of fault, from which the programs choose their exit status and advice: the input is not what it
    // should be; it passes a limit (which an option may raise); the output cannot be made of it by its rules;
    // the file system or a library failed.
    enum class Kind { None, Invalid, OverLimit, Unfit, Io };

    enum class Rule {
        None,
        // Io
        NoSuchFile,     // the file `name` does not exist
        NameNotUtf8,    // no such file: the name `name` reached the program as other characters (not UTF-8)
        IsDirectory,    // `name` is a folder
        NoSuchFolder,   // the folder `name`, which the output would go in, does not exist
        NotRegularFile, // `name` is a device or a pipe, not a regular file
        ReadFailed,     // `name` cannot be read: `detail`, the system's words
        WriteFailed,    // the output `name` cannot be written: `detail`, the system's words
        LibraryFailed,  // a library (`detail`: which) could not start or finish
        EncodeFailed,   // the output's encoder stopped: `detail`, its library's words
        // Invalid
        Empty,            // the subject holds no bytes
        NoPixels,         // the subject is `width` x `height` pixels: none
        NotAPicture,      // none of the formats read: `value` 1 where PNG is one (the converter's), 0 where not
        CutShort,         // the subject ends before it is whole; `value` and `limit`: the bytes it needs and has
        HeaderIncomplete, // the `format` file's header ends before it is whole
        HeaderDamaged,    // the `format` file's header is damaged
        Damaged,          // the subject of a `format` file is damaged: `detail`, the library's words, where it says
        ChunkLength,      // a PNG chunk's length passes 2^31 - 1
        ChunkType,        // a PNG chunk's type is not four letters
        ChunkCrc,         // the PNG chunk `detail` has a wrong CRC
        Planes,           // a BMP of `value` colour planes
        PixelKind,        // a BMP of `value` bits a pixel and compression `limit`, which no reader here reads
        NoPicture,        // a GIF without a frame
        NotAGif,          // frames asked of a picture that is no GIF
        Changed,          // the file changed while it was read
        OutOfOrder,       // the subject's frames were asked for out of order (the caller's fault)
        NotDecoded,       // the subject (a text) is not in its encoding (`detail`), from its line `value`
        NotAFont,         // the subject is no font FreeType reads
        NoSuchFace,       // the font has no face `value`; it has `limit`
        FontUnreadable,   // the font cannot be read: `detail`, FreeType's words
        TablePastEnd,     // the font's table `detail` lies past the end of its file
        NoSuchFamily,     // no such font file, nor family; `detail`: the nearest family fontconfig offers
        FontNameUnread,   // no such font file, and not a name fontconfig reads
        FamilyFace,       // a family, whose face fontconfig chooses, given a face
        NoCharacters,     // no characters to draw
        SizeUndrawable,   // the font cannot be drawn `value` pixels high
        GlyphUndrawable,  // the font cannot draw the character `value`: `detail`, FreeType's words
        // OverLimit
        Side,       // the subject is `width` x `height` pixels, a side past `limit`
        Pixels,     // the subject is `width` x `height` pixels, more than `limit`
        Decoded,    // the subject are `value` pixels to decode, more than `limit`
        Read,       // the subject, read as a stream, is longer than `limit` bytes
        Held,       // holding the subject takes `value` bytes (0: not known) beside `held` held, more than `limit`
        Scans,      // a JPEG of more than `limit` scans
        ScanPixels, // a JPEG of `value` scans of `width` x `height` pixels, more than `limit` pixels in all
        // Unfit: the output's rules
        Multiple,       // the subject is `value` pixels wide, not a multiple of `limit`
        MultipleTurned, // the subject, turned, is `value` pixels wide, not a multiple of `limit`
        Strike,         // the bitmap font `name` has glyphs of `value` pixels, not the `limit` asked
        NoGlyph,        // the font `name` has no glyph for the character `value`
        NoCode,         // the character `value` has no GB2312 code
        NoCell,         // the character `value` of a string has no GB2312 code, so the grid has no cell for it
        CodeWidth,      // the character `value`'s code passes the table's largest, `limit`
        Characters,     // `value` characters, more than a table holds, `limit`
        TooManyFrames,  // a GIF of more than `limit` frames, more than a table counts
        TooManyTiles,   // the picture cuts into `value` tiles of `width` x `height`, more than `limit`
        NotWholeTiles,  // the picture, `value` x `limit` pixels, is no whole number of tiles of `width` x `height`
        SheetTooLarge,  // the sheet of the frames would be `width` x `height` pixels, too large to draw
        PastAddressing, // `value` bytes of data do not fit below 4 GiB from address `limit`
        OffsetsPast,    // `value` bytes of data may pack to more than the 4 GiB the offsets count
        Enlargement,    // the subject would be `width` x `height`, a side of `value` pixels enlarged past the `limit`
                        // libswscale takes
    };

    Rule rule = Rule::None;
    Subject subject;
    std::int64_t value = 0;
    std::int64_t limit = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t held = 0;
    QString detail;
    QString format; // the file's format ("BMP", "PNG"), where the rule is about one

    Refusal() = default;
    Refusal(Rule rule, Subject subject = {}) : rule(rule), subject(std::move(subject)) {}
    static Refusal of(Rule rule, Subject subject, std::int64_t value, std::int64_t limit)
    {
        Refusal r(rule, std::move(subject));
        r.value = value;
        r.limit = limit;
        return r;
    }
    static Refusal ofSize(Rule rule, Subject subject, std::int64_t width, std::int64_t height, std::int64_t limit)
    {
        Refusal r = of(rule, std::move(subject), width * height, limit);
        r.width = width;
        r.height = height;
        return r;
    }
    // The same refusal with `detail`, a library's or the system's own words.
    Refusal saying(const QString &words) const
    {
        Refusal r = *this;
        r.detail = words;
        return r;
    }
    // The same refusal about a file of `name`d format.
    Refusal in(const char *name) const
    {
        Refusal r = *this;
        r.format = QString::fromLatin1(name);
        return r;
    }

    Kind kind() const;
    bool isEmpty() const { return rule == Rule::None; }
    void clear() { *this = Refusal(); }
};
