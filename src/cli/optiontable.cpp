// The converter's options: one table, each entry an option with its help and what it does to Options (its rows
// a file a concern: this one's the picture's, and frames, files, limits and information). The
// entries are applied in the order the options stand on the command line (an option with a value at most
// once); what they may not do together is checked once all are read.

#include "optiontable.h"

#include "cli/displays.h"
#include "cli/optionrows.h"
#include "cli/optionvalues.h"
#include "cli/report.h"
#include "glyphs/charsets.h"
#include "export/textencoding.h"

#include <QRegularExpression>

#include <algorithm>

#include <unistd.h>

Apply OptionRows::setFlag(bool Options::*flag)
{
    return [flag](Options &o, const QString &) -> std::optional<QString> {
        o.*flag = true;
        return std::nullopt;
    };
}

Apply OptionRows::setText(QString Options::*text)
{
    return [text](Options &o, const QString &value) -> std::optional<QString> {
        if (value.isEmpty())
            return QStringLiteral("needs a value");
        o.*text = value;
        return std::nullopt;
    };
}

using OptionRows::s;
using OptionRows::setFlag;
using OptionRows::setText;

const QList<Entry> OptionRows::picture{
    {{s("pixel")},
     Group::Pixels,
     "format",
     "mono (default: 1 bit, black or white), gray2, gray4, gray8 (the luminance in 2, 4 or 8 bits), rgb332, "
     "rgb565 or rgb888 (colour, 8, 16 or 24 bits). Sub-byte pixels fill a byte from its highest bits "
     "(--bit-order lsb: its lowest); rgb565 is the word R<<11 | G<<5 | B.",
     choice<PixelFormat>(
         [] {
             std::vector<std::pair<const char *, PixelFormat>> names;
             for (int k = 0; k <= int(PixelFormat::Rgb888); ++k)
                 names.emplace_back(traitsOf(PixelFormat(k)).name, PixelFormat(k));
             return names;
         }(),
         [](Options &o, PixelFormat v) { o.road.pixel = v; })},
    {{s("byte-order")},
     Group::Pixels,
     "order",
     "rgb565: big (default: the high byte first, as controllers take it on their serial and 8-bit buses) or "
     "little.",
     choice<ByteOrder>({{"big", ByteOrder::BigEndian}, {"little", ByteOrder::LittleEndian}},
                       [](Options &o, ByteOrder v) { o.road.pack.byteOrder = v; }),
     goesWith([](const Options &o) { return o.road.pixel == PixelFormat::Rgb565; }, "--pixel rgb565")},
    {{s("resize")},
     Group::Size,
     "WxH",
     "Stretch the picture (each frame, each tile) to W x H pixels; leave out a side (64x, x32) to keep the "
     "picture's aspect, that side rounded to the nearest pixel. The size is the picture's as turned by --rotate.",
     fitOption(Fit::Stretch)},
    {{s("fit")},
     Group::Size,
     "WxH",
     "Shrink or enlarge the whole picture to fit inside W x H, keeping its aspect, centred on --background (the "
     "margins are clear, like transparent pixels). With --display, the size may be left out: the screen's.",
     fitOption(Fit::Contain)},
    {{s("fill")},
     Group::Size,
     "WxH",
     "Shrink or enlarge the picture to cover W x H, keeping its aspect, and cut what passes its sides evenly from "
     "both. With --display, the size may be left out: the screen's.",
     fitOption(Fit::Cover)},
    {{s("filter")},
     Group::Size,
     "kernel",
     "How --resize, --fit and --fill resample: lanczos (default: for photographs and drawings, every source "
     "pixel counted when shrinking) or nearest (pixel art: whole blocks when enlarging by whole factors, no new "
     "colours). Resized, a mono picture takes --threshold 128 unless a rule of black is given: resampling makes "
     "greys of any drawing's edges.",
     choice<Filter>({{"lanczos", Filter::Lanczos}, {"nearest", Filter::Nearest}},
                    [](Options &o, Filter v) { o.road.resize.filter = v; }),
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (o.road.resize.fit == Fit::None)
             return QStringLiteral("goes with --resize, --fit or --fill");
         return std::nullopt;
     }},
    {{s("background")},
     Group::Pixels,
     "colour",
     "white (default), black or #RRGGBB: what transparent pixels are laid over.",
     {[](Options &o, const QString &value) -> std::optional<QString> {
          static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
          if (value.compare(u"white", Qt::CaseInsensitive) == 0)
              o.road.tone.background = qRgb(255, 255, 255);
          else if (value.compare(u"black", Qt::CaseInsensitive) == 0)
              o.road.tone.background = qRgb(0, 0, 0);
          else if (hex.match(value).hasMatch())
              o.road.tone.background = 0xFF000000u | value.mid(1).toUInt(nullptr, 16);
          else
              return QStringLiteral("'%1': use white, black or #RRGGBB").arg(value);
          return std::nullopt;
      },
      QStringList{s("white"), s("black")}}},
    {{s("display")},
     Group::Pixels,
     "name",
     "Take a display controller's pixel format, layout, bit and byte order and ink (see --list-displays; "
     "--layout, --bit-order and --byte-order given override it, before or after it; --pixel may only name the "
     "display's own), and warn when the picture is larger than its screen. On a display that "
     "lights its pixels (an OLED: ink lit) a bright pixel is a 1 bit (in grey, the brighter the larger); on one "
     "that darkens them (an LCD: ink dark) a black pixel is. A glyph's pixels are the 1 bits on both, the cell "
     "around it never lit.",
     {[](Options &o, const QString &value) -> std::optional<QString> {
          const DisplayController *display = displayNamed(value);
          if (!display)
              return QStringLiteral("'%1': see --list-displays").arg(value);
          o.display = display; // its preset is applied once every option is read
          return std::nullopt;
      },
      [] {
          QStringList names;
          for (const DisplayController &display : displays())
              names << QString::fromLatin1(display.name);
          return names;
      }()}},
    {{s("list-displays")}, Group::Information, nullptr, "List the displays --display knows, and exit.", {}},
    {{s("c"), s("convert")},
     Group::Pixels,
     nullptr,
     "Turn a colour picture into black and white by the window's colour rule first.",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.road.tone.convert = true;
         return std::nullopt;
     },
     forMono()},
    {{s("threshold")},
     Group::Pixels,
     "N",
     "Black where the luminance 0.299 R + 0.587 G + 0.114 B, rounded, is below N (0 to 255).",
     numberOption(0, 255, [](Options &o, int n) { o.road.tone.threshold = n; }),
     forMono()},
    {{s("dither")},
     Group::Pixels,
     "kind",
     "floyd-steinberg, atkinson or bayer4: dither the luminance (black below 128 with the error diffused left "
     "to right on every row; bayer4 the ordered 4 x 4 matrix); in grey and colour each channel to its nearest "
     "level. At most one of --convert, --threshold and --dither.",
     choice<Dither>(
         {{"floyd-steinberg", Dither::FloydSteinberg}, {"atkinson", Dither::Atkinson}, {"bayer4", Dither::Bayer4}},
         [](Options &o, Dither v) { o.road.tone.dither = v; })},
    {{s("layout")},
     Group::Packing,
     "layout",
     "horizontal (default): 8 pixels of a row to a byte. vertical: 8 pixels of a column to a byte, in pages of "
     "8 rows from the top, columns left to right; the height is padded with white to a multiple of 8, and a "
     "page takes the place of a row in the text.",
     choice<Layout>({{"horizontal", Layout::Horizontal}, {"vertical", Layout::Vertical}},
                    [](Options &o, Layout v) { o.road.pack.layout = v; })},
    {{s("bit-order")},
     Group::Packing,
     "order",
     "msb or lsb: the first pixel of a byte (leftmost or topmost) in bit 7 or bit 0. Default msb for "
     "horizontal, lsb for vertical.",
     choice<BitOrder>({{"msb", BitOrder::MsbFirst}, {"lsb", BitOrder::LsbFirst}},
                      [](Options &o, BitOrder v) { o.road.pack.bitOrder = v; }),
     goesWith([](const Options &o) { return traitsOf(o.road.pixel).subByte(); },
              "pixels of less than a byte: mono, gray2 and gray4")},
    {{s("pad")},
     Group::Packing,
     nullptr,
     "Pad each row with white to a whole byte instead of refusing a width that makes no whole bytes (in mono, "
     "one that is not a multiple of 8).",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.road.pack.pad = true;
         return std::nullopt;
     }},
    {{s("invert")},
     Group::Packing,
     nullptr,
     "Complement every pixel's bits from what the display's ink asks (without --display: in mono 1 bits for "
     "white pixels, in grey the largest level for black). The padding of --pad and of pages stays as it is, "
     "never lit.",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.road.pack.invert = true;
         return std::nullopt;
     }},
    {{s("rotate")},
     Group::Packing,
     "degrees",
     "90, 180 or 270: turn the picture clockwise before packing (before --flip); the width rule applies to the "
     "picture as turned.",
     choice<int>({{"90", 90}, {"180", 180}, {"270", 270}}, [](Options &o, int v) { o.road.rotate = v; })},
    {{s("flip")},
     Group::Packing,
     "axis",
     "horizontal (mirror left and right) or vertical (upside down), before packing.",
     choice<Flip>({{"horizontal", Flip::Horizontal}, {"vertical", Flip::Vertical}},
                  [](Options &o, Flip v) { o.road.flip = v; })},
    {{s("preview")},
     Group::Information,
     nullptr,
     "Draw the picture as the display shows it on standard error, two pixel rows a line in half blocks, black "
     "pixels drawn; scaled down by whole factors to fit COLUMNS (else {previewColumns}), in greys as light as each "
     "cell's "
     "share of white. Grey, colour and scaled cells are drawn in terminal colours only where standard error is "
     "a terminal (or CLICOLOR_FORCE is set) and NO_COLOR is not; elsewhere (a file, a pipe, a build log) in "
     "plain half blocks, a cell drawn where it is darker than mid-grey.",
     [](Options &o, const QString &) -> std::optional<QString> {
         bool ok = false;
         const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
         o.road.previewColumns = ok && columns > 0 ? columns : RoadOptions::defaultPreviewColumns;
         const QByteArray forced = qgetenv("CLICOLOR_FORCE");
         o.road.previewColour = qEnvironmentVariableIsEmpty("NO_COLOR") &&
                                (::isatty(STDERR_FILENO) || (!forced.isEmpty() && forced != "0"));
         o.road.preview = [](const QString &line) { writeLine(line); };
         return std::nullopt;
     }},
    {{s("e"), s("encoding")},
     Group::Output,
     "encoding",
     "Character set of a51, c51 and sdas text: utf-8, gbk or gb18030 (default: the locale's, gbk or gb18030 "
     "in a Chinese locale, otherwise utf-8).",
     {[](Options &o, const QString &value) -> std::optional<QString> {
          const std::optional<TextEncoding> encoding = textEncodingFromName(value);
          if (!encoding)
              return QStringLiteral("'%1': use utf-8, gbk or gb18030").arg(value);
          o.road.encode.encoding = *encoding;
          return std::nullopt;
      },
      QStringList{s("utf-8"), s("gbk"), s("gb18030")}}},
};

const QList<Entry> OptionRows::rest{
    {{s("picture-name")},
     Group::Files,
     "NAME",
     "Name the picture NAME in the header comment (for -, standard input, which it names - otherwise).",
     setText(&Options::pictureName),
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (o.pictures.size() > 1)
             return QStringLiteral("names one picture, not a batch");
         return std::nullopt;
     }},
    {{s("o"), s("output")},
     Group::Files,
     "FILE",
     "Write to FILE, which is replaced only when the output is complete (default, or -: standard output, "
     "written as the picture is read). Its extension names the format where --format does not: .png, .pbm, "
     ".c and .h (c51), .a51 and .asm (a51), .s (sdas), .ihx (ihex), .bin (hex); a --format that the "
     "extension does not name (.asm: a51 or sdas) is refused.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         if (value.isEmpty())
             return QStringLiteral("needs a file name");
         o.output = value == u"-" ? QString() : value;
         return std::nullopt;
     },
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (!o.outputDir.isEmpty())
             return QStringLiteral("does not go with --output-dir");
         return std::nullopt;
     }},
    {{s("output-dir")},
     Group::Files,
     "DIR",
     "Convert every PICTURE, side by side on all cores, into DIR as its base name with the format's extension "
     "(.a51, .c, .asm, .bin, .hex, .pbm, .png), a51, c51 and sdas arrays named after it too. A picture that fails "
     "is named and "
     "the others go on; the exit status is then 1.",
     setText(&Options::outputDir)},
    {{s("max-pixels")},
     Group::Limits,
     "N",
     "Refuse a picture, a GIF frame, or the frames of --frames, --tile or --font together, of more than N "
     "pixels decoded (every pixel a GIF frame declares, on the screen or off); default {maxPixels} (2^30). No "
     "side may pass 1048576 pixels, whatever N is.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         const std::optional<std::int64_t> n = sizeFromText(value, false, Limits::maxSide * Limits::maxSide);
         if (!n)
             return QStringLiteral("takes a number from 1 to %1, not '%2'")
                 .arg(Limits::maxSide * Limits::maxSide)
                 .arg(value);
         o.maxPixels = *n;
         return std::nullopt;
     }},
    {{s("max-memory")},
     Group::Limits,
     "BYTES",
     "The most memory the whole process may hold at once of what its input sizes: an interlaced GIF or PNG, a "
     "progressive or multi-scan JPEG, a picture turned by --rotate or --flip vertical, standard input from a "
     "pipe, an animation's picture, a band of tiles, the frames of --compress, several frames drawn as PBM or "
     "PNG, a font and its glyphs' cells; a batch's pictures share it. BYTES may end in K, M or G; default {maxMemory}.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         const std::optional<std::int64_t> n = sizeFromText(value, true, std::int64_t(1) << 50);
         if (!n)
             return QStringLiteral("takes a number of bytes, which may end in K, M or G, not '%1'").arg(value);
         o.maxMemory = *n;
         return std::nullopt;
     }},
    {{s("verbose")},
     Group::Information,
     nullptr,
     "Say on standard error how large the picture is, the format and the number of bytes. (An A51, C51 or sdas "
     "table "
     "of more than 64 KiB, more than one 8051 code bank holds, is warned of always.)",
     setFlag(&Options::verbose)},
    {{s("h"), s("help")}, Group::Information, nullptr, "Show this help.", {}},
    {{s("v"), s("version")}, Group::Information, nullptr, "Show the version.", {}},
};

const QList<Entry> &entries()
{
    // Made at the first call, once every file's rows are: in the order the options were declared.
    static const QList<Entry> table =
        OptionRows::output + OptionRows::picture + OptionRows::characters + OptionRows::frames + OptionRows::rest;
    return table;
}

QString helpOf(const Entry &entry)
{
    // The settings the help names, each from its one definition.
    const std::pair<const char *, QString> settings[] = {
        {"{maxName}", QString::number(maxNameLength)},
        {"{maxTable}", QString::number(Limits::maxTableEntries)},
        {"{previewColumns}", QString::number(RoadOptions::defaultPreviewColumns)},
        {"{maxPixels}", QString::number(Limits::defaultMaxPixels)},
        {"{maxMemory}", QStringLiteral("%1G").arg(Limits::defaultMaxHeldBytes >> 30)},
    };
    QString help = QString::fromUtf8(entry.help);
    for (const auto &[name, value] : settings)
        help.replace(QLatin1String(name), value);
    return help;
}

// The entries in the order of their groups, as --help lists them.
QList<const Entry *> byGroup()
{
    QList<const Entry *> listed;
    for (const Entry &entry : entries())
        listed << &entry;
    std::stable_sort(listed.begin(), listed.end(), [](const Entry *a, const Entry *b) { return a->group < b->group; });
    return listed;
}
