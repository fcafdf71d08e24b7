// The converter's options: one table, each entry an option with its help and what it does to Options. The
// entries are applied in the order the options stand on the command line (an option with a value at most
// once); what they may not do together is checked once all are read.

#include "optiontable.h"

#include "cli/displays.h"
#include "cli/optionvalues.h"
#include "cli/report.h"
#include "glyphs/charsets.h"
#include "export/textencoding.h"

#include <QRegularExpression>

#include <algorithm>

#include <unistd.h>

namespace {

QString s(const char *name)
{
    return QString::fromLatin1(name);
}

// A switch that sets a flag of Options.
Apply setFlag(bool Options::*flag)
{
    return [flag](Options &o, const QString &) -> std::optional<QString> {
        o.*flag = true;
        return std::nullopt;
    };
}

// An option that takes any text but none.
Apply setText(QString Options::*text)
{
    return [text](Options &o, const QString &value) -> std::optional<QString> {
        if (value.isEmpty())
            return QStringLiteral("needs a value");
        o.*text = value;
        return std::nullopt;
    };
}

// The table: a row an option, its names, group, value, help, what it does and what it asks of the others.
const QList<Entry> table{
    {{s("f"), s("format")},
     Group::Output,
     "format",
     "a51 (default), c51, sdas (SDCC's 8051 assembler), hex (the packed bytes alone), ihex (Intel HEX records "
     "of them), pbm (mono: a netpbm P4 picture) or png (a PNG): the picture as the --display shows it, lit "
     "pixels bright on an OLED; without --display as toned, black a 1, before --invert.",
     choice<OutputFormat>(
         [] {
             std::vector<std::pair<const char *, OutputFormat>> names;
             for (const OutputFormatFacts &f : outputFormats())
                 names.emplace_back(f.name, f.format);
             return names;
         }(),
         [](Options &o, OutputFormat v) { o.road.encode.format = v; }),
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (o.road.encode.format == OutputFormat::Pbm && !isMono(o))
             return QStringLiteral("pbm is for --pixel mono; %1 pictures: --format png").arg(pixelName(o));
         return std::nullopt;
     }},
    {{s("address")},
     Group::Output,
     "N",
     "ihex: the address of the first byte, decimal or 0x hexadecimal (default 0). Data that passes 0xFFFF, "
     "the 8051's code space, gets a warning.",
     [](Options &o, const QString &text) -> std::optional<QString> {
         const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
         bool ok = false;
         const qulonglong address = (hex ? text.mid(2) : text).toULongLong(&ok, hex ? 16 : 10);
         if (!ok || address > 0xFFFFFFFFull)
             return QStringLiteral("takes a number from 0 to 0xFFFFFFFF, decimal or 0x hexadecimal, not '%1'")
                 .arg(text);
         o.road.encode.address = std::uint32_t(address);
         return std::nullopt;
     },
     goesWith([](const Options &o) { return o.road.encode.format == OutputFormat::IntelHex; }, "--format ihex")},
    {{s("name")},
     Group::Output,
     "NAME",
     "a51: a relocatable module of the Keil assembler, NAME public in a CODE segment; sdas: one of SDCC's "
     "assembler, _NAME global in the CONST area; c51: the data as the array unsigned char code NAME[BYTES] = "
     "{ ... };. NAME is a C identifier of at most {maxName} characters, not a keyword or predefined macro of C or of "
     "the 8051 compilers (in a51 not a register, instruction or directive either). In a batch each array is named "
     "after its picture instead.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         if (!isCIdentifier(value))
             return QStringLiteral("needs a C identifier (letters, digits and _, not first a digit, not a "
                                   "keyword of C or of the 8051 compilers), not '%1'")
                 .arg(value);
         if (value.size() > maxNameLength)
             return longName(value);
         o.road.encode.name = value;
         return std::nullopt;
     },
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (!writesCode(o))
             return QStringLiteral("goes with --format a51, c51 or sdas");
         if (o.road.encode.format == OutputFormat::A51 && isA51ReservedWord(o.road.encode.name))
             return QStringLiteral("%1 is a reserved word of the A51 assembler and cannot be a label")
                 .arg(o.road.encode.name);
         if (o.pictures.size() > 1)
             return QStringLiteral("names one picture; in a batch each array is named after its picture "
                                   "(--name-prefix puts a prefix before each)");
         return std::nullopt;
     }},
    {{s("name-prefix")},
     Group::Output,
     "P",
     "Put P before each array's name; without --name, name the array after its picture's base name, made "
     "into a C identifier (logo-small.bmp: logo_small), as a batch does.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         if (!value.isEmpty() && !isCIdentifier(value + u'x'))
             return QStringLiteral("needs the start of a C identifier, not '%1'").arg(value);
         o.namePrefix = value;
         o.prefixed = true;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!writesCode(o))
             return QStringLiteral("goes with --format a51, c51 or sdas");
         if (given.contains(u"font"))
             return QStringLiteral("does not go with --font: its table is named by --name");
         return std::nullopt;
     }},
    {{s("header")},
     Group::Output,
     "FILE",
     "With a name, also write a header to FILE: for c51 a C header, with an include guard, NAME_WIDTH, "
     "NAME_HEIGHT, NAME_BYTES (and NAME_PAGES in the vertical layout), the data's format (NAME_PIXEL_FORMAT, "
     "NAME_BITS_PER_PIXEL, NAME_LAYOUT, NAME_BIT_ORDER, NAME_BYTE_ORDER) and the array's extern declaration; "
     "for a51 the same as EQUs, for sdas as assignments, to include in an assembler program.",
     setText(&Options::header),
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (o.header == u"-")
             return QStringLiteral("takes a file name: standard output (-) is where the data goes");
         if (!writesCode(o))
             return QStringLiteral("goes with --format a51, c51 or sdas");
         if (o.road.encode.name.isEmpty() && !given.contains(u"name-prefix"))
             return QStringLiteral("needs the array's name: --name NAME (or --name-prefix)");
         if (o.pictures.size() > 1)
             return QStringLiteral("goes with one picture, not a batch");
         return std::nullopt;
     }},
    {{s("c-header")},
     Group::Output,
     "FILE",
     "With --format sdas and a name, also write a C header to FILE, beside --header's include file: the same "
     "sizes and format, and the arrays declared in SDCC's spelling (extern __code), for the C code that links "
     "the assembled module.",
     setText(&Options::cHeader),
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (o.cHeader == u"-")
             return QStringLiteral("takes a file name: standard output (-) is where the data goes");
         if (o.road.encode.format != OutputFormat::Sdas)
             return QStringLiteral("goes with --format sdas (c51's C header is --header's)");
         if (o.road.encode.name.isEmpty() && !given.contains(u"name-prefix"))
             return QStringLiteral("needs the array's name: --name NAME (or --name-prefix)");
         if (o.pictures.size() > 1)
             return QStringLiteral("goes with one picture, not a batch");
         if (o.cHeader == o.header)
             return QStringLiteral("names --header's file too; give each its own");
         return std::nullopt;
     }},
    {{s("mask")},
     Group::Output,
     nullptr,
     "With a name, also NAME_mask after the data: a bit a pixel, set where the pixel's alpha is at least 128 "
     "(a PNG's, a 32-bit BMP's, a GIF's transparent index), packed as a mono picture in the data's layout, bit "
     "order and padding (pages in the vertical layout), a row a frame; NAME_MASK_BYTES in the header. A picture "
     "without transparency gets a mask of ones, and a warning.",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.road.mask = true;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!writesCode(o) ||
             (o.road.encode.name.isEmpty() && !given.contains(u"name-prefix") && o.outputDir.isEmpty()))
             return QStringLiteral("goes with a named array: --format a51, c51 or sdas and --name");
         if (given.contains(u"font"))
             return QStringLiteral("is drawn from a picture's alpha; a font's glyphs have none");
         return std::nullopt;
     }},
    {{s("omit")},
     Group::Output,
     "LIST",
     "Tables left out of the data and the header, by name, comma-separated: codes, widths, offsets, boxes, "
     "delays. Firmware that draws cropped glyphs reads offsets and boxes (which hold the advance, so widths may "
     "go); one that finds glyphs by strings' indices needs no codes; one that plays frames at its own pace "
     "needs no delays.",
     {[](Options &o, const QString &value) -> std::optional<QString> {
          static const QList<std::pair<QString, QList<FrameValues>>> tables{
              {QStringLiteral("codes"), {FrameValues::Gb2312Codes, FrameValues::UnicodeCodes}},
              {QStringLiteral("widths"), {FrameValues::Widths}},
              {QStringLiteral("offsets"), {FrameValues::Offsets}},
              {QStringLiteral("boxes"), {FrameValues::Boxes}},
              {QStringLiteral("delays"), {FrameValues::Delays}}};
          for (const QString &name : value.split(u',')) {
              const auto table =
                  std::find_if(tables.begin(), tables.end(), [&](const auto &t) { return t.first == name.trimmed(); });
              if (table == tables.end())
                  return QStringLiteral("'%1': name tables of codes, widths, offsets, boxes or delays").arg(name);
              o.road.omit += table->second;
          }
          return std::nullopt;
      },
      QStringList{s("codes"), s("widths"), s("offsets"), s("boxes"), s("delays")}},
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!writesCode(o) ||
             (o.road.encode.name.isEmpty() && !given.contains(u"name-prefix") && o.outputDir.isEmpty()))
             return QStringLiteral("goes with a named array: --format a51, c51 or sdas and --name");
         return std::nullopt;
     }},
    {{s("c-dialect")},
     Group::Output,
     "dialect",
     "How a named c51 array is written: keil (default: unsigned char code), sdcc (unsigned char __code), or c "
     "(const uint8_t, uint16_t and uint32_t of <stdint.h>, plain C99 for any other compiler: a host's tests, "
     "another microcontroller).",
     choice<CDialect>({{"keil", CDialect::Keil}, {"sdcc", CDialect::Sdcc}, {"c", CDialect::C}},
                      [](Options &o, CDialect v) { o.road.encode.dialect = v; })},
    {{s("c-attribute")},
     Group::Output,
     "TEXT",
     "Written after each named c51 array's size, in its definition and its declaration alike, where GCC and "
     "Clang take an attribute: __attribute__((section(\".rodata.gfx\"))), or PROGMEM for an AVR. Printable "
     "ASCII, parentheses and double quotes balanced, = and , only inside parentheses; no ; { } / \\ ' "
     "digraphs or trigraphs.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         if (const std::optional<QString> fault = attributeFault(value))
             return QStringLiteral("'%1' is no attribute's text: it %2").arg(value, *fault);
         o.road.encode.attribute = value;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (o.road.encode.format == OutputFormat::C51 &&
             (!o.road.encode.name.isEmpty() || given.contains(u"name-prefix")))
             return std::nullopt;
         return QStringLiteral("goes with a named c51 array: --format c51 and --name");
     }},
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
    {{s("font")},
     Group::Characters,
     "FONT",
     "Draw characters instead of a picture, each in a cell that goes down the road as a picture of its own: "
     "FONT is a font file (TrueType, OpenType, a .ttc collection, BDF, PCF) or a family fontconfig knows, such "
     "as \"WenQuanYi Zen Hei\". The characters come from --charset, --range, --text, --text-file and "
     "--strings, together.",
     setText(&Options::font),
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!given.contains(u"text") && !given.contains(u"text-file") && !given.contains(u"charset") &&
             !given.contains(u"range") && !given.contains(u"strings") && o.renderText.isEmpty())
             return QStringLiteral("draws the characters of --text, --text-file, --charset, --range, --strings or "
                                   "--render");
         if (!o.pictures.isEmpty())
             return QStringLiteral("draws characters, not the picture '%1'").arg(o.pictures.first());
         if (!o.outputDir.isEmpty())
             return QStringLiteral("makes one glyph table, not a batch (--output-dir)");
         return std::nullopt;
     }},
    {{s("font-index")},
     Group::Characters,
     "N",
     "The face of a font collection (.ttc) to draw with; default 0. A family's face is fontconfig's choice: "
     "to draw another, name its file.",
     numberOption(0, 65535, [](Options &o, int n) { o.fontIndex = n; }),
     withFont()},
    {{s("text")},
     Group::Characters,
     "TEXT",
     "The characters to draw, in order, each once.",
     setText(&Options::text),
     withFont()},
    {{s("text-file")},
     Group::Characters,
     "FILE",
     "The characters of a text file (UTF-8 unless --text-encoding says otherwise), in order, each once; line "
     "ends left out.",
     setText(&Options::textFile),
     withFont()},
    {{s("charset")},
     Group::Characters,
     "set",
     "ascii (0x20 to 0x7E) or gb2312 (all 7445 characters of GB2312, in its code order).",
     {[](Options &o, const QString &value) -> std::optional<QString> {
          if (!charactersOfSet(value))
              return QStringLiteral("'%1': use ascii or gb2312").arg(value);
          o.charset = value;
          return std::nullopt;
      },
      QStringList{s("ascii"), s("gb2312")}},
     withFont()},
    {{s("range")},
     Group::Characters,
     "RANGES",
     "Characters by their code points: ranges such as U+0020-U+007E,U+4E00-U+4FFF, or single ones (U+20AC). "
     "With --charset, --text, --text-file and --strings the table holds them all, in that order, each once.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         if (!charactersOfRanges(value, maxGlyphs))
             return QStringLiteral("takes ranges such as U+0020-U+007E,U+4E00-U+4FFF (first to last, at most "
                                   "U+10FFFF, %1 characters in all), not '%2'")
                 .arg(maxGlyphs)
                 .arg(value);
         o.range = value;
         return std::nullopt;
     },
     withFont()},
    {{s("render")},
     Group::Characters,
     "TEXT",
     "Draw TEXT, or without it each line of --strings, as one picture in --font's glyphs, as the drawing "
     "runtime draws a string: each glyph's ink where the font puts it from the pen, the pen moved on by its "
     "advance, a line's top --at its place. The picture goes down the road as a picture does, its ink the 1 "
     "bits on every display, in any format (pbm and png to look at); its rows padded to whole bytes, and its "
     "characters need no code (no table of codes is written, unless --index asks).",
     [](Options &o, const QString &value) -> std::optional<QString> {
         o.render = true;
         o.renderText = value;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!given.contains(u"font"))
             return QStringLiteral("goes with --font");
         if (o.renderText.isEmpty() && !given.contains(u"strings"))
             return QStringLiteral("draws a TEXT given after it, or the lines of --strings");
         return std::nullopt;
     }},
    {{s("at")},
     Group::Characters,
     "X,Y,...",
     "With --render: where each line's pen starts and its top lies, two numbers a line (negative too); a line "
     "past them goes a line lower than the one before. Default: the first at 0,0.",
     [](Options &o, const QString &value) -> std::optional<QString> {
         const QStringList numbers = value.split(u',');
         o.renderAt.clear();
         bool ok = numbers.size() % 2 == 0;
         for (qsizetype k = 0; ok && k < numbers.size(); k += 2) {
             bool x = false, y = false;
             const QPoint place(numbers[k].toInt(&x), numbers[k + 1].toInt(&y));
             ok = x && y && std::abs(place.x()) <= 65535 && std::abs(place.y()) <= 65535;
             o.renderAt.append(place);
         }
         if (!ok)
             return QStringLiteral("takes pairs of whole numbers, x,y for each line (3,2,10,21), not '%1'").arg(value);
         return std::nullopt;
     },
     [](const Options &o, const Given &) -> std::optional<QString> {
         return o.render ? std::nullopt : std::make_optional(QStringLiteral("goes with --render"));
     }},
    {{s("canvas")},
     Group::Characters,
     "WxH",
     "With --render: the picture's size; default the display's screen with --display, else as large as the "
     "lines as placed.",
     sizeOption(int(Limits::maxSide), [](Options &o, QSize size) { o.canvas = size; }),
     [](const Options &o, const Given &) -> std::optional<QString> {
         return o.render ? std::nullopt : std::make_optional(QStringLiteral("goes with --render"));
     }},
    {{s("strings")},
     Group::Characters,
     "FILE",
     "Each line of a text file a string (UTF-8 unless --text-encoding says otherwise; lines end in LF, CR LF or "
     "CR): the table holds their characters "
     "(with any other set asked "
     "for), and after it, with --name, an array a line, NAME_s0, NAME_s1, ..., of the glyphs' indices in the "
     "table and NAME_END, the end mark (0xFF, or 0xFFFF in a table of 255 glyphs or more), the line as a "
     "comment (its first 1000 characters): firmware draws the text with no UTF-8 decoder and no search.",
     setText(&Options::stringsFile),
     withFont()},
    {{s("text-encoding")},
     Group::Characters,
     "encoding",
     "The encoding of --text-file and --strings: utf-8 (default), gbk, gb18030 (what Chinese editors on "
     "Windows save) or utf-16 (its byte-order mark says which way round; big-endian without one).",
     choice<TextFileEncoding>({{"utf-8", TextFileEncoding::Utf8},
                               {"gbk", TextFileEncoding::Gbk},
                               {"gb18030", TextFileEncoding::Gb18030},
                               {"utf-16", TextFileEncoding::Utf16}},
                              [](Options &o, TextFileEncoding v) { o.textEncoding = v; }),
     [](const Options &, const Given &given) -> std::optional<QString> {
         if (given.contains(u"text-file") || given.contains(u"strings"))
             return std::nullopt;
         return QStringLiteral("goes with --text-file or --strings");
     }},
    {{s("grid")},
     Group::Characters,
     nullptr,
     "With --charset gb2312: every code of the GB2312 grid, zones 0xA1 to 0xF7, 94 codes a zone (8178 cells, "
     "the empty ones blank), so the cell of code (c1, c2) starts at ((c1 - 0xA1) x 94 + (c2 - 0xA1)) x BYTES, "
     "as character-library chips and 16 x 16 library files have it; the header gives NAME_CELL(c1, c2).",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.glyphs.grid = true;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (o.charset.compare(u"gb2312", Qt::CaseInsensitive) != 0)
             return QStringLiteral("goes with --charset gb2312");
         for (const char *other : {"text", "text-file", "range", "proportional", "crop"})
             if (given.contains(QLatin1String(other)))
                 return QStringLiteral("lays out GB2312's codes alone: not with --%1").arg(QLatin1String(other));
         if (o.glyphs.index == CodeIndex::Unicode)
             return QStringLiteral("indexes by GB2312 codes: not with --index unicode");
         return std::nullopt;
     }},
    {{s("crop")},
     Group::Characters,
     nullptr,
     "Each glyph stored as its ink's box alone, where the font puts it, the glyphs one after the other: with "
     "--name, NAME_offsets, where each starts (and the end), and NAME_boxes, 5 values a glyph: its x from the "
     "pen and its y from the line's top (both signed), its width and height, and its advance. Raw bytes (hex, "
     "ihex) would hold the glyphs' bits without where they are, and are refused.",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.glyphs.crop = true;
         return std::nullopt;
     },
     [](const Options &o, const Given &given) -> std::optional<QString> {
         if (!given.contains(u"font"))
             return QStringLiteral("goes with --font");
         if (!writesCode(o) && !o.render && !isPictureFormat(o))
             return QStringLiteral("with --format %1 would write the glyphs' bits without their boxes and "
                                   "offsets: use --format c51, a51 or sdas with --name, or leave --crop out")
                 .arg(QLatin1String(nameOf(o.road.encode.format)));
         return std::nullopt;
     }},
    {{s("size")},
     Group::Characters,
     "PX",
     "The cells' height: a wide character (East Asian Width W, F or A) gets a cell PX wide, any other PX / 2; "
     "default 16 for an outline font; a bitmap font's own size across and its line (ascent and descent) down.",
     numberOption(
         1, 1024, [](Options &o, int n) { o.glyphs.size = n; }, "pixels"),
     withFont()},
    {{s("cell")},
     Group::Characters,
     "WxH",
     "One size for every cell, W x H pixels.",
     sizeOption(1024, [](Options &o, QSize size) { o.glyphs.cell = size; }),
     withFont()},
    {{s("proportional")},
     Group::Characters,
     nullptr,
     "Each cell as wide as its glyph's advance (in whole bytes across, in the horizontal layout). Every glyph "
     "table has the advances, NAME_widths.",
     [](Options &o, const QString &) -> std::optional<QString> {
         o.glyphs.proportional = true;
         return std::nullopt;
     },
     withFont()},
    {{s("missing")},
     Group::Characters,
     "rule",
     "refuse (default: a character the font has no glyph for is an error) or blank (its cell stays empty).",
     choice<bool>({{"refuse", false}, {"blank", true}}, [](Options &o, bool v) { o.glyphs.missingBlank = v; }),
     withFont()},
    {{s("index")},
     Group::Characters,
     "codes",
     "What NAME_codes holds for each glyph, in the table's order, so firmware finds a character by searching "
     "it: gb2312 (default; a character without a GB2312 code is refused) or unicode.",
     choice<CodeIndex>({{"gb2312", CodeIndex::Gb2312}, {"unicode", CodeIndex::Unicode}},
                       [](Options &o, CodeIndex v) { o.glyphs.index = v; }),
     withFont()},
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
     "packbits: each frame's bytes packed with PackBits (TIFF's), a frame alone so that it can be unpacked "
     "alone; with --name, one array of them all and NAME_offsets, where each frame starts (and ends).",
     choice<bool>({{"packbits", true}}, [](Options &o, bool v) { o.road.compress = v; }),
     [](const Options &o, const Given &) -> std::optional<QString> {
         if (o.road.encode.format == OutputFormat::Pbm || o.road.encode.format == OutputFormat::Png)
             return QStringLiteral("packs the display's bytes; pbm and png draw the picture");
         return std::nullopt;
     }},
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

} // namespace

const QList<Entry> &entries()
{
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
