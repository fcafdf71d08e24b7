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
        NamedPicture,       // the picture `name`
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

    // Every rule, with its kind and what its facts say: one row a rule. The enum and each rule's kind come from
    // this list, and the converter's table of words (cli/wording.cpp) must have a row for each, in this order,
    // or it does not compile.
#define TESSALINE_REFUSAL_RULES(X)                                                                                     \
    X(None, None)           /* nothing was refused */                                                                  \
    X(NoSuchFile, Io)       /* the file `name` does not exist */                                                       \
    X(NameNotUtf8, Io)      /* no such file: the name `name` reached the program as other characters (not UTF-8) */    \
    X(IsDirectory, Io)      /* `name` is a folder */                                                                   \
    X(NoSuchFolder, Io)     /* the folder `name`, which the output would go in, does not exist */                      \
    X(NotRegularFile, Io)   /* `name` is a device or a pipe, not a regular file */                                     \
    X(ReadFailed, Io)       /* `name` cannot be read: `detail`, the system's words */                                  \
    X(WriteFailed, Io)      /* the output `name` cannot be written: `detail`, the system's words */                    \
    X(LibraryFailed, Io)    /* a library (`detail`: which) could not start or finish */                                \
    X(EncodeFailed, Io)     /* the output's encoder stopped: `detail`, its library's words */                          \
    X(Empty, Invalid)       /* the subject holds no bytes */                                                           \
    X(NoPixels, Invalid)    /* the subject is `width` x `height` pixels: none */                                       \
    X(NotAPicture, Invalid) /* none of the formats read: `value` 1 where PNG is one (the converter's), 0 where not */  \
    X(CutShort, Invalid)    /* the subject ends before it is whole; `value` and `limit`: the bytes it needs and has */ \
    X(HeaderIncomplete, Invalid) /* the `format` file's header ends before it is whole */                              \
    X(HeaderDamaged, Invalid)    /* the `format` file's header is damaged */                                           \
    X(Damaged, Invalid) /* the subject of a `format` file is damaged: `detail`, the library's words, where it says */  \
    X(ChunkLength, Invalid)    /* a PNG chunk's length passes 2^31 - 1 */                                              \
    X(ChunkType, Invalid)      /* a PNG chunk's type is not four letters */                                            \
    X(ChunkCrc, Invalid)       /* the PNG chunk `detail` has a wrong CRC */                                            \
    X(Planes, Invalid)         /* a BMP of `value` colour planes */                                                    \
    X(PixelKind, Invalid)      /* a BMP of `value` bits a pixel and compression `limit`, which no reader here reads */ \
    X(NoPicture, Invalid)      /* a GIF without a frame */                                                             \
    X(NotAGif, Invalid)        /* frames asked of a picture that is no GIF */                                          \
    X(Changed, Invalid)        /* the file changed while it was read */                                                \
    X(OutOfOrder, Invalid)     /* the subject's frames were asked for out of order (the caller's fault) */             \
    X(NotDecoded, Invalid)     /* the subject (a text) is not in its encoding (`detail`), from its line `value` */     \
    X(NotAFont, Invalid)       /* the subject is no font FreeType reads */                                             \
    X(NoSuchFace, Invalid)     /* the font has no face `value`; it has `limit` */                                      \
    X(FontUnreadable, Invalid) /* the font cannot be read: `detail`, FreeType's words */                               \
    X(TablePastEnd, Invalid)   /* the font's table `detail` lies past the end of its file */                           \
    X(NoSuchFamily, Invalid)   /* no such font file, nor family; `detail`: the nearest family fontconfig offers */     \
    X(FontNameUnread, Invalid) /* no such font file, and not a name fontconfig reads */                                \
    X(FamilyFace, Invalid)     /* a family, whose face fontconfig chooses, given a face */                             \
    X(NoCharacters, Invalid)   /* no characters to draw */                                                             \
    X(SizeUndrawable, Invalid) /* the font cannot be drawn `value` pixels high */                                      \
    X(GlyphUndrawable, Invalid) /* the font cannot draw the character `value`: `detail`, FreeType's words */           \
    X(Side, OverLimit)          /* the subject is `width` x `height` pixels, a side past `limit` */                    \
    X(Pixels, OverLimit)        /* the subject is `width` x `height` pixels, more than `limit` */                      \
    X(Decoded, OverLimit)       /* the subject are `value` pixels to decode, more than `limit` */                      \
    X(Read, OverLimit)          /* the subject, read as a stream, is longer than `limit` bytes */                      \
    /* holding the subject takes `value` bytes (0: not known) beside `held` held, more than `limit` */                 \
    X(Held, OverLimit)                                                                                                 \
    X(Scans, OverLimit) /* a JPEG of more than `limit` scans */                                                        \
    /* a JPEG of `value` scans of `width` x `height` pixels, more than `limit` pixels in all */                        \
    X(ScanPixels, OverLimit)                                                                                           \
    X(Multiple, Unfit)       /* the subject is `value` pixels wide, not a multiple of `limit` */                       \
    X(MultipleTurned, Unfit) /* the subject, turned, is `value` pixels wide, not a multiple of `limit` */              \
    X(Strike, Unfit)         /* the bitmap font `name` has glyphs of `value` pixels, not the `limit` asked */          \
    X(NoGlyph, Unfit)        /* the font `name` has no glyph for the character `value` */                              \
    X(NoCode, Unfit)         /* the character `value` has no GB2312 code */                                            \
    X(NoCell, Unfit)        /* the character `value` of a string has no GB2312 code, so the grid has no cell for it */ \
    X(CodeWidth, Unfit)     /* the character `value`'s code passes the table's largest, `limit` */                     \
    X(Characters, Unfit)    /* `value` characters, more than a table holds, `limit` */                                 \
    X(TooManyFrames, Unfit) /* a GIF of more than `limit` frames, more than a table counts */                          \
    X(TooManyTiles, Unfit)  /* the picture cuts into `value` tiles of `width` x `height`, more than `limit` */         \
    /* the picture, `value` x `limit` pixels, is no whole number of tiles of `width` x `height` */                     \
    X(NotWholeTiles, Unfit)                                                                                            \
    X(SheetTooLarge, Unfit)  /* the sheet of the frames would be `width` x `height` pixels, too large to draw */       \
    X(PastAddressing, Unfit) /* `value` bytes of data do not fit below 4 GiB from address `limit` */                   \
    X(OffsetsPast, Unfit)    /* `value` bytes of data may pack to more than the 4 GiB the offsets count */             \
    X(FramePastBlock, Unfit) /* a frame of `value` bytes, past the `limit` bytes an LZ4 block holds */                 \
    /* the subject would be `width` x `height`, a side of `value` pixels enlarged past the `limit` libswscale takes */ \
    X(Enlargement, Unfit)                                                                                              \
    /* The converter's own: what its options ask of the files together */                                              \
    X(SameOutput, Unfit) /* the pictures `subject` and `other` would both be written as `detail` */                    \
    /* the pictures `subject` and `other` would both be named `detail`, `value` 1 where the names differ in case */    \
    X(SameName, Unfit)                                                                                                 \
    X(NameTooLong, Unfit)       /* the picture `subject` would be named `detail`, `value` characters, past `limit` */  \
    X(OutputIsInput, Unfit)     /* the output `subject` (empty name: standard output) is the input `other` */          \
    X(HeaderIsOutput, Unfit)    /* the header `subject` is the output; `value` 1: standard output */                   \
    X(SourceDateEpoch, Invalid) /* SOURCE_DATE_EPOCH is not a whole number of seconds */                               \
    X(FolderNotMade, Io)        /* the folder `subject` cannot be made */                                              \
    X(OutOfMemory, Io)          /* the machine has not the memory the subject takes, within the limits */

    enum class Rule {
#define TESSALINE_RULE_NAME(name, kind) name,
        TESSALINE_REFUSAL_RULES(TESSALINE_RULE_NAME)
#undef TESSALINE_RULE_NAME
    };
    static constexpr Rule rules[] = {
#define TESSALINE_RULE_VALUE(name, kind) Rule::name,
        TESSALINE_REFUSAL_RULES(TESSALINE_RULE_VALUE)
#undef TESSALINE_RULE_VALUE
    };
    static constexpr int ruleCount = int(sizeof rules / sizeof rules[0]);

    Rule rule = Rule::None;
    Subject subject;
    std::int64_t value = 0;
    std::int64_t limit = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t held = 0;
    QString detail;
    QString format; // the file's format ("BMP", "PNG"), where the rule is about one
    Subject other;  // a second thing the rule is about, where it names two

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

    static constexpr Kind kindOf(Rule rule)
    {
        constexpr Kind kinds[] = {
#define TESSALINE_RULE_KIND(name, kind) Kind::kind,
            TESSALINE_REFUSAL_RULES(TESSALINE_RULE_KIND)
#undef TESSALINE_RULE_KIND
        };
        return kinds[int(rule)];
    }
    Kind kind() const
    {
        return kindOf(rule);
    }
    bool isEmpty() const
    {
        return rule == Rule::None;
    }
    void clear()
    {
        *this = Refusal();
    }
};
