#include "subjectwords.h"

#include "glyphs/charsets.h"

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
    case T::NamedPicture:
        return QStringLiteral("the picture ") + s.name;
    case T::File:
        return s.name;
    case T::Output:
        break;
    }
    return s.name.isEmpty() ? QStringLiteral("standard output") : s.name;
}
