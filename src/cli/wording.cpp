// The converter's one table of words: each refusal's rule and facts, and the preview's notes, in English.

#include "wording.h"

#include "decode/charsets.h"

namespace {

// What a refusal is about, in words: "the picture", "frame 3", "the text file menu.txt".
QString words(const Subject &s)
{
    using T = Subject::Thing;
    switch (s.thing) {
    case T::Picture:
    case T::PictureHeld:
        return QStringLiteral("the picture");
    case T::Frame:
        return QStringLiteral("frame %1").arg(s.index);
    case T::Frames:
        return QStringLiteral("the frames");
    case T::GifFrame:
        return QStringLiteral("the GIF frame");
    case T::AnimationScreens:
        return QStringLiteral("the animation's screens");
    case T::AnimationPicture:
        return QStringLiteral("the animation's picture");
    case T::Tile:
        return s.index < 0 ? QStringLiteral("a tile") : QStringLiteral("tile %1").arg(s.index);
    case T::TileBand:
        return QStringLiteral("a band of tiles");
    case T::Cell:
        return s.index < 0 ? QStringLiteral("a glyph's cell")
                           : QStringLiteral("the cell of ") + characterLabel(char32_t(s.index));
    case T::Glyphs:
        return QStringLiteral("the glyphs drawn");
    case T::Drawing:
        return QStringLiteral("drawing ") + characterLabel(char32_t(s.index));
    case T::Font:
        return s.name.isEmpty() ? QStringLiteral("the font") : QStringLiteral("the font ") + s.name;
    case T::FontInflated:
        return QStringLiteral("the font, inflated");
    case T::TextFile:
        return QStringLiteral("the text file ") + s.name;
    case T::StringsFile:
        return QStringLiteral("the strings file ") + s.name;
    case T::StringIndices:
        return QStringLiteral("the strings' indices");
    case T::Header:
        return QStringLiteral("the header ") + s.name;
    case T::StandardInput:
        return QStringLiteral("standard input");
    case T::InterlacedGifFrame:
        return QStringLiteral("the interlaced GIF frame");
    case T::InterlacedPng:
        return QStringLiteral("the interlaced picture");
    case T::MultiScanJpeg:
        return QStringLiteral("the multi-scan JPEG picture");
    case T::TurnedPicture:
        return QStringLiteral("the turned picture");
    case T::ResizedPicture:
        return QStringLiteral("the resized picture");
    case T::CompressedFrames:
        return QStringLiteral("the compressed frames");
    case T::Sheet:
        return QStringLiteral("the sheet of the frames");
    case T::Mask:
        return QStringLiteral("the mask");
    case T::Text:
        return QStringLiteral("the picture of the text");
    case T::ColourTable:
        return QStringLiteral("its colour table");
    case T::CompressedPixels:
        return QStringLiteral("its compressed pixels");
    case T::File:
        return s.name;
    case T::Output:
        break;
    }
    return s.name.isEmpty() ? QStringLiteral("standard output") : s.name;
}

QString heldWords(const Refusal &r)
{
    if (r.value == 0)
        return QStringLiteral("%1 needs more memory than the limit of %2 bytes (--max-memory raises it)")
            .arg(words(r.subject))
            .arg(r.limit);
    const QString beside = r.held > 0 ? QStringLiteral(" beside the %1 bytes already held").arg(r.held) : QString();
    return QStringLiteral("holding %1 whole takes %2 bytes%3, more than the memory limit of %4 bytes "
                          "(--max-memory raises it)")
        .arg(words(r.subject))
        .arg(r.value)
        .arg(beside)
        .arg(r.limit);
}

// The words of the input's faults: the input is not what it says it is.
QString invalidWords(const Refusal &r)
{
    using Rule = Refusal::Rule;
    using T = Subject::Thing;
    const QString file = r.format.isEmpty() ? QStringLiteral("the file") : QStringLiteral("the %1 file").arg(r.format);
    switch (r.rule) {
    case Rule::Empty:
        return r.subject.thing == T::StandardInput ? QStringLiteral("standard input is empty")
                                                   : QStringLiteral("the file is empty");
    case Rule::NoPixels:
        return words(r.subject) + QStringLiteral(" has no pixels");
    case Rule::NotAPicture:
        return r.value ? QStringLiteral("not a BMP, JPEG, GIF or PNG picture")
                       : QStringLiteral("not a BMP, JPEG or GIF picture");
    case Rule::CutShort:
        if (r.subject.thing == T::ColourTable || r.subject.thing == T::CompressedPixels)
            return QStringLiteral("%1 is cut short in %2").arg(file, words(r.subject));
        if (r.value > 0)
            return QStringLiteral("%1 is cut short: its pixels need %2 bytes, it has %3")
                .arg(file)
                .arg(r.value)
                .arg(r.limit);
        return QStringLiteral("the file is cut short");
    case Rule::HeaderIncomplete:
        return QStringLiteral("the %1 header is incomplete").arg(r.format);
    case Rule::HeaderDamaged:
        return QStringLiteral("the %1 header is damaged").arg(r.format);
    case Rule::Damaged:
        if (r.subject.thing == T::FontInflated)
            return QStringLiteral("the compressed font cannot be read");
        if (r.subject.thing == T::ColourTable)
            return QStringLiteral("%1 is damaged in its colour table").arg(file);
        return QStringLiteral("%1 is damaged (%2)").arg(file, r.detail);
    case Rule::ChunkLength:
        return QStringLiteral("%1 is damaged (a chunk's length passes 2^31 - 1)").arg(file);
    case Rule::ChunkType:
        return QStringLiteral("%1 is damaged (a chunk's type is not four letters)").arg(file);
    case Rule::ChunkCrc:
        return QStringLiteral("%1 is damaged (CRC error in its chunk '%2')").arg(file, r.detail);
    case Rule::Planes:
        return QStringLiteral("%1 has %2 colour planes; a BMP has %3").arg(file).arg(r.value).arg(r.limit);
    case Rule::PixelKind:
        return QStringLiteral("%1 uses a kind of pixel data this program does not read (%2 bits a pixel, "
                              "compression %3)")
            .arg(file)
            .arg(r.value)
            .arg(r.limit);
    case Rule::NoPicture:
        return QStringLiteral("%1 holds no picture").arg(file);
    case Rule::NotAGif:
        return QStringLiteral("--frames reads animated GIFs, and this is no GIF");
    case Rule::Changed:
        return QStringLiteral("the file changed while it was read");
    case Rule::OutOfOrder:
        return QStringLiteral("%1 was read out of order").arg(words(r.subject));
    case Rule::NotDecoded: // the file named first
        return QStringLiteral("line %1 is not %2 (--text-encoding names the file's encoding: utf-8, gbk, gb18030 or "
                              "utf-16)")
            .arg(r.value)
            .arg(r.detail);
    case Rule::NotAFont:
        return QStringLiteral("not a font FreeType reads");
    case Rule::NoSuchFace:
        return r.limit == 1 ? QStringLiteral("the font has one face, face 0; there is no face %1").arg(r.value)
                            : QStringLiteral("the collection has %1 faces, no face %2").arg(r.limit).arg(r.value);
    case Rule::FontUnreadable:
        return QStringLiteral("cannot read the font (%1)").arg(r.detail);
    case Rule::TablePastEnd:
        return QStringLiteral("the font is damaged: its table '%1' lies past the end of the file").arg(r.detail);
    case Rule::NoSuchFamily:
        return r.detail.isEmpty() ? QStringLiteral("no such font file, and no font of that family")
                                  : QStringLiteral("no such font file, and no font of that family (the nearest "
                                                   "fontconfig offers is '%1')")
                                        .arg(r.detail);
    case Rule::FontNameUnread:
        return QStringLiteral("no such font file, and not a font name fontconfig reads");
    case Rule::SizeUndrawable:
        return QStringLiteral("%1 cannot be drawn %2 pixels high").arg(words(r.subject)).arg(r.value);
    case Rule::GlyphUndrawable:
        return QStringLiteral("%1 cannot draw %2 (%3)")
            .arg(words(r.subject), characterLabel(char32_t(r.value)), r.detail);
    default:
        break;
    }
    return r.detail;
}

// The words of a file or a library that failed.
QString ioWords(const Refusal &r)
{
    using Rule = Refusal::Rule;
    using T = Subject::Thing;
    switch (r.rule) {
    case Rule::NoSuchFile:
        return QStringLiteral("no such file");
    case Rule::NameNotUtf8:
        return QStringLiteral("no such file: the name was not UTF-8 when it was given, and cannot be read back as "
                              "the same bytes (rename the file)");
    case Rule::IsDirectory:
        return r.subject.thing == T::Font     ? QStringLiteral("is a directory, not a font file")
               : r.subject.thing == T::Output ? QStringLiteral("is a directory")
                                              : QStringLiteral("is a directory, not a picture file");
    case Rule::NoSuchFolder:
        return QStringLiteral("there is no folder %1 to write it in").arg(r.subject.name);
    case Rule::NotRegularFile:
        return r.subject.thing == T::Font ? QStringLiteral("is not a regular file, which a font must be")
                                          : QStringLiteral("is not a regular file");
    case Rule::ReadFailed:
        return r.detail;
    case Rule::WriteFailed:
        return r.subject.name.isEmpty() ? QStringLiteral("cannot write to standard output (%1)").arg(r.detail)
                                        : r.detail;
    case Rule::LibraryFailed:
        return QStringLiteral("cannot start %1").arg(r.detail);
    default:
        break;
    }
    return r.detail;
}

// The words of what passes a limit, with the option that raises it where one does.
QString limitWords(const Refusal &r)
{
    using Rule = Refusal::Rule;
    switch (r.rule) {
    case Rule::Side:
        return QStringLiteral("%1 is %2 x %3 pixels; no side may pass %4 pixels")
            .arg(words(r.subject))
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    case Rule::Pixels:
        return QStringLiteral("%1 is %2 x %3 pixels, more than the limit of %4 pixels (--max-pixels raises it)")
            .arg(words(r.subject))
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    case Rule::Decoded:
        return QStringLiteral("%1 are more than %2 pixels to decode (--max-pixels raises it)")
            .arg(words(r.subject))
            .arg(r.limit);
    case Rule::Read:
        return QStringLiteral("%1 is longer than the memory limit of %2 bytes (--max-memory raises it)")
            .arg(words(r.subject))
            .arg(r.limit);
    case Rule::Held:
        return heldWords(r);
    case Rule::Scans:
        return QStringLiteral("the JPEG file has more than %1 scans").arg(r.limit);
    case Rule::ScanPixels:
        return QStringLiteral("the JPEG file has %1 scans of %2 x %3 pixels, more than %4 pixels to decode in all")
            .arg(r.value)
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    default:
        break;
    }
    return r.detail;
}

// The words of what the output's rules cannot make, and the way out.
QString unfitWords(const Refusal &r)
{
    using Rule = Refusal::Rule;
    const QString character = characterLabel(char32_t(r.value));
    switch (r.rule) {
    case Rule::Multiple:
    case Rule::MultipleTurned:
        return QStringLiteral("%1%2 is %3 pixels wide; the width must be a multiple of %4 (or use --pad)")
            .arg(words(r.subject), r.rule == Rule::MultipleTurned ? QStringLiteral(", turned,") : QString())
            .arg(r.value)
            .arg(r.limit);
    case Rule::Strike:
        return QStringLiteral("the bitmap font %1 has glyphs of %2 pixels, not %3 (leave out --size)")
            .arg(r.subject.name)
            .arg(r.value)
            .arg(r.limit);
    case Rule::NoGlyph:
        return QStringLiteral("the font %1 has no glyph for %2 (use --missing blank to leave its cell empty)")
            .arg(r.subject.name, character);
    case Rule::NoCode:
        return QStringLiteral("%1 has no GB2312 code (use --index unicode)").arg(character);
    case Rule::NoCell:
        return QStringLiteral("%1 has no GB2312 code, so the grid has no cell for it (leave it out of the strings, or "
                              "draw them without --grid)")
            .arg(character);
    case Rule::CodeWidth:
        return QStringLiteral("%1 does not fit the 16-bit table of codes").arg(character);
    case Rule::Characters:
        return QStringLiteral("%1 characters are more than a table holds, %2").arg(r.value).arg(r.limit);
    case Rule::TooManyFrames:
        return QStringLiteral("the GIF file has more than %1 frames, more than an 8051 table counts").arg(r.limit);
    case Rule::TooManyTiles:
        return QStringLiteral("the picture cuts into %1 tiles of %2 x %3, more than the %4 an 8051 table counts")
            .arg(r.value)
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    case Rule::Enlargement:
        return QStringLiteral("%1 would be %2 x %3 pixels, a side of %4 pixels enlarged past the %5 that libswscale "
                              "takes (about 6898 times)")
            .arg(words(r.subject))
            .arg(r.width)
            .arg(r.height)
            .arg(r.value)
            .arg(r.limit);
    case Rule::NotWholeTiles:
        return QStringLiteral("the picture is %1 x %2 pixels, no whole number of tiles of %3 x %4")
            .arg(r.value)
            .arg(r.limit)
            .arg(r.width)
            .arg(r.height);
    case Rule::SheetTooLarge:
        return QStringLiteral("the sheet of the frames would be %1 x %2 pixels, too large to draw")
            .arg(r.width)
            .arg(r.height);
    case Rule::PastAddressing:
        return QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
            .arg(r.value)
            .arg(QString::number(r.limit, 16).toUpper());
    case Rule::OffsetsPast:
        return QStringLiteral("%1 bytes of data may compress to more than the %2 GiB the offsets count")
            .arg(r.value)
            .arg(r.limit >> 30);
    case Rule::FamilyFace:
        return QStringLiteral("is a family, whose face fontconfig chooses: --font-index takes a face of a font file "
                              "(name the file)");
    case Rule::NoCharacters:
        return QStringLiteral("no characters to draw");
    default:
        break;
    }
    return r.detail;
}

} // namespace

QString worded(const Refusal &r)
{
    switch (r.kind()) {
    case Refusal::Kind::None:
        break;
    case Refusal::Kind::Invalid:
        return invalidWords(r);
    case Refusal::Kind::OverLimit:
        return limitWords(r);
    case Refusal::Kind::Unfit:
        return unfitWords(r);
    case Refusal::Kind::Io:
        return ioWords(r);
    }
    return {};
}

QStringList worded(const PreviewNote &note)
{
    QStringList lines;
    if (note.firstOf > 0)
        lines << QStringLiteral("(the first of %1 frames)").arg(note.firstOf);
    if (note.factor > 1)
        lines << QStringLiteral("(scaled down %1 times to fit %2 %3)")
                     .arg(note.factor)
                     .arg(note.columns)
                     .arg(note.columns == 1 ? QStringLiteral("column") : QStringLiteral("columns"));
    return lines;
}
