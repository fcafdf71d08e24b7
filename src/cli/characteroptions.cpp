// The converter's options of characters: the font, the characters drawn, their cells, strings and --render.

#include "cli/displays.h"
#include "cli/optionrows.h"
#include "cli/optionvalues.h"
#include "cli/report.h"
#include "glyphs/charsets.h"
#include "export/textencoding.h"

#include <QRegularExpression>

#include <algorithm>

#include <unistd.h>

using OptionRows::s;
using OptionRows::setFlag;
using OptionRows::setText;

const QList<Entry> OptionRows::characters{
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
};
