// The converter's options of frames: an animation's, a sprite sheet's tiles, and how they are packed.

#include "cli/optionrows.h"
#include "cli/optionvalues.h"

using OptionRows::s;
using OptionRows::setFlag;

const QList<Entry> OptionRows::frames{
    {{s("frames")},
     Group::Frames,
     nullptr,
     "Every frame of an animated GIF, each composed as browsers show it (drawn over the picture so far, then its "
     "disposal) and each down the whole road; with --name, c51 makes a table of a row a frame and the delays, "
     "NAME_delays, in milliseconds.",
     setFlag(&Options::frames)},
    {{s("tile")},
     Group::Frames,
     "WxH",
     "Cut the picture into tiles of W x H pixels, left to right and top to bottom, each a frame: a sprite "
     "sheet. A picture of no whole number of tiles, or of more than {maxTable} tiles, is refused.",
     sizeOption(int(Limits::maxSide), [](Options &o, QSize size) { o.tile = size; })},
    {{s("compress")},
     Group::Frames,
     "method",
     "packbits: each frame's bytes packed with PackBits (TIFF's); lz: as an LZ4 block (liblz4's high-compression "
     "mode), whose matches reach back into the frame; auto: whichever of the two, or the frames as they are, takes "
     "least; a frame alone so that it can be unpacked alone; with --name, one array of them all and NAME_offsets, "
     "where each frame starts (and ends), and NAME_CODEC in the header (0 as they are, 1 PackBits, 2 LZ4).",
     choice<int>({{"packbits", 1}, {"lz", 2}, {"auto", 0}},
                 [](Options &o, int codec) {
                     o.road.compress = true;
                     o.road.lz = codec == 2;
                     o.road.smallest = codec == 0;
                 }),
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (o.road.encode.format == OutputFormat::Pbm || o.road.encode.format == OutputFormat::Png)
             return QStringLiteral("packs the display's bytes; pbm and png draw the picture");
         return std::nullopt;
     }},
    {{s("delta")},
     Group::Frames,
     nullptr,
     "With --compress, each frame after the first stored as its change from the one before (their bytes XORed), "
     "then packed, so that what stays still packs to little; the header says NAME_KEY_EVERY, the frames stored "
     "whole (each whose number it divides).",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.road.delta = true;
         return std::nullopt;
     },
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (!o.frames && !o.tile.isValid())
             return QStringLiteral("stores frames as changes: give --frames or --tile");
         if (!o.road.compress)
             return QStringLiteral("stores the changes packed: give --compress");
         return std::nullopt;
     }},
    {{s("key-every")},
     Group::Frames,
     "N",
     "With --delta, every Nth frame (0, N, 2N ...) stored whole, where playback may start (default: the first "
     "alone).",
     numberOption(1, 65535, [](Options &o, int n) { o.road.keyEvery = n; }),
     [](const Options &, const Given &given) -> std::optional<QString> {
         if (!given.contains(u"delta"))
             return QStringLiteral("goes with --delta");
         return std::nullopt;
     }},
};
