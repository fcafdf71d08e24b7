#include "refusal.h"

Refusal::Kind Refusal::kind() const
{
    using R = Rule;
    switch (rule) {
    case R::None:
        return Kind::None;
    case R::NoSuchFile:
    case R::NameNotUtf8:
    case R::IsDirectory:
    case R::NoSuchFolder:
    case R::NotRegularFile:
    case R::ReadFailed:
    case R::WriteFailed:
    case R::LibraryFailed:
    case R::EncodeFailed:
        return Kind::Io;
    case R::Side:
    case R::Pixels:
    case R::Decoded:
    case R::Read:
    case R::Held:
    case R::Scans:
    case R::ScanPixels:
        return Kind::OverLimit;
    case R::Multiple:
    case R::MultipleTurned:
    case R::Strike:
    case R::NoGlyph:
    case R::NoCode:
    case R::NoCell:
    case R::CodeWidth:
    case R::Characters:
    case R::TooManyFrames:
    case R::TooManyTiles:
    case R::NotWholeTiles:
    case R::SheetTooLarge:
    case R::PastAddressing:
    case R::OffsetsPast:
    case R::Enlargement:
    case R::FamilyFace:
    case R::NoCharacters:
        return Kind::Unfit;
    default:
        break;
    }
    return Kind::Invalid;
}
