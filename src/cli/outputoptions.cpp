// The converter's options of what is written: the format, names, headers, masks and the C dialect.

#include "cli/displays.h"
#include "cli/optionrows.h"
#include "cli/optionvalues.h"
#include "cli/report.h"
#include "glyphs/charsets.h"
#include "export/textencoding.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <unistd.h>

using OptionRows::s;
using OptionRows::setFlag;
using OptionRows::setText;

const QList<Entry> OptionRows::output{
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
         if (QFileInfo(o.cHeader).absoluteFilePath() == QFileInfo(o.header).absoluteFilePath())
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
};
