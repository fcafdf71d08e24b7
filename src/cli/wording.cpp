// The converter's one table of words: each refusal's rule and facts, and the preview's notes, in English.

#include "wording.h"

#include "cli/subjectwords.h"
#include "glyphs/charsets.h"

#include <iterator>

namespace {

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

// "the file", or "the PNG file" where the refusal names the format.
QString file(const Refusal &r)
{
    return r.format.isEmpty() ? QStringLiteral("the file") : QStringLiteral("the %1 file").arg(r.format);
}

QString character(const Refusal &r)
{
    return characterLabel(char32_t(r.value));
}

bool about(const Refusal &r, Subject::Thing thing)
{
    return r.subject.thing == thing;
}

QString cutShortWords(const Refusal &r)
{
    if (about(r, Subject::Thing::ColourTable) || about(r, Subject::Thing::CompressedPixels))
        return QStringLiteral("%1 is cut short in %2").arg(file(r), words(r.subject));
    if (r.value > 0)
        return QStringLiteral("%1 is cut short: its pixels need %2 bytes, it has %3")
            .arg(file(r))
            .arg(r.value)
            .arg(r.limit);
    return QStringLiteral("the file is cut short");
}

QString damagedWords(const Refusal &r)
{
    if (about(r, Subject::Thing::FontInflated))
        return QStringLiteral("the compressed font cannot be read");
    if (about(r, Subject::Thing::ColourTable))
        return QStringLiteral("%1 is damaged in its colour table").arg(file(r));
    return QStringLiteral("%1 is damaged (%2)").arg(file(r), r.detail);
}

QString isDirectoryWords(const Refusal &r)
{
    if (about(r, Subject::Thing::Font))
        return QStringLiteral("is a directory, not a font file");
    return about(r, Subject::Thing::Output) ? QStringLiteral("is a directory")
                                            : QStringLiteral("is a directory, not a picture file");
}

QString pixelsWords(const Refusal &r, const char *end)
{
    return QStringLiteral("%1 is %2 x %3 pixels%4")
        .arg(words(r.subject))
        .arg(r.width)
        .arg(r.height)
        .arg(QString::fromLatin1(end).arg(r.limit));
}

using Rule = Refusal::Rule;

// Each rule's words, a row a rule in the order of the list in core/refusal.h: a rule without a row, or a row out
// of its place, does not compile.
struct RuleWords {
    Rule rule;
    QString (*words)(const Refusal &);
};
constexpr RuleWords ruleWords[] = {
    {Rule::None, [](const Refusal &) { return QString(); }},
    // The file system and the libraries
    {Rule::NoSuchFile, [](const Refusal &) { return QStringLiteral("no such file"); }},
    {Rule::NameNotUtf8,
     [](const Refusal &) {
         return QStringLiteral("no such file: the name was not UTF-8 when it was given, and cannot be read back as "
                               "the same bytes (rename the file)");
     }},
    {Rule::IsDirectory, isDirectoryWords},
    {Rule::NoSuchFolder,
     [](const Refusal &r) { return QStringLiteral("there is no folder %1 to write it in").arg(r.subject.name); }},
    {Rule::NotRegularFile,
     [](const Refusal &r) {
         return about(r, Subject::Thing::Font) ? QStringLiteral("is not a regular file, which a font must be")
                                               : QStringLiteral("is not a regular file");
     }},
    {Rule::ReadFailed, [](const Refusal &r) { return r.detail; }},
    {Rule::WriteFailed,
     [](const Refusal &r) {
         return r.subject.name.isEmpty() ? QStringLiteral("cannot write to standard output (%1)").arg(r.detail)
                                         : r.detail;
     }},
    {Rule::LibraryFailed, [](const Refusal &r) { return QStringLiteral("cannot start %1").arg(r.detail); }},
    {Rule::EncodeFailed,
     [](const Refusal &r) { return QStringLiteral("%1 cannot be written (%2)").arg(file(r), r.detail); }},
    // The input is not what it should be
    {Rule::Empty,
     [](const Refusal &r) {
         return about(r, Subject::Thing::StandardInput) ? QStringLiteral("standard input is empty")
                                                        : QStringLiteral("the file is empty");
     }},
    {Rule::NoPixels, [](const Refusal &r) { return words(r.subject) + QStringLiteral(" has no pixels"); }},
    {Rule::NotAPicture,
     [](const Refusal &r) {
         return r.value ? QStringLiteral("not a BMP, JPEG, GIF or PNG picture")
                        : QStringLiteral("not a BMP, JPEG or GIF picture");
     }},
    {Rule::CutShort, cutShortWords},
    {Rule::HeaderIncomplete,
     [](const Refusal &r) { return QStringLiteral("the %1 header is incomplete").arg(r.format); }},
    {Rule::HeaderDamaged, [](const Refusal &r) { return QStringLiteral("the %1 header is damaged").arg(r.format); }},
    {Rule::Damaged, damagedWords},
    {Rule::ChunkLength,
     [](const Refusal &r) { return QStringLiteral("%1 is damaged (a chunk's length passes 2^31 - 1)").arg(file(r)); }},
    {Rule::ChunkType,
     [](const Refusal &r) {
         return QStringLiteral("%1 is damaged (a chunk's type is not four letters)").arg(file(r));
     }},
    {Rule::ChunkCrc,
     [](const Refusal &r) {
         return QStringLiteral("%1 is damaged (CRC error in its chunk '%2')").arg(file(r), r.detail);
     }},
    {Rule::Planes,
     [](const Refusal &r) {
         return QStringLiteral("%1 has %2 colour planes; a BMP has %3").arg(file(r)).arg(r.value).arg(r.limit);
     }},
    {Rule::PixelKind,
     [](const Refusal &r) {
         return QStringLiteral("%1 uses a kind of pixel data this program does not read (%2 bits a pixel, "
                               "compression %3)")
             .arg(file(r))
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::NoPicture, [](const Refusal &r) { return QStringLiteral("%1 holds no picture").arg(file(r)); }},
    {Rule::NotAGif, [](const Refusal &) { return QStringLiteral("--frames reads animated GIFs, and this is no GIF"); }},
    {Rule::Changed, [](const Refusal &) { return QStringLiteral("the file changed while it was read"); }},
    {Rule::OutOfOrder,
     [](const Refusal &r) { return QStringLiteral("%1 was read out of order").arg(words(r.subject)); }},
    {Rule::NotDecoded, // the file named first
     [](const Refusal &r) {
         return QStringLiteral("line %1 is not %2 (--text-encoding names the file's encoding: utf-8, gbk, gb18030 "
                               "or utf-16)")
             .arg(r.value)
             .arg(r.detail);
     }},
    {Rule::NotAFont, [](const Refusal &) { return QStringLiteral("not a font FreeType reads"); }},
    {Rule::NoSuchFace,
     [](const Refusal &r) {
         return r.limit == 1 ? QStringLiteral("the font has one face, face 0; there is no face %1").arg(r.value)
                             : QStringLiteral("the collection has %1 faces, no face %2").arg(r.limit).arg(r.value);
     }},
    {Rule::FontUnreadable, [](const Refusal &r) { return QStringLiteral("cannot read the font (%1)").arg(r.detail); }},
    {Rule::TablePastEnd,
     [](const Refusal &r) {
         return QStringLiteral("the font is damaged: its table '%1' lies past the end of the file").arg(r.detail);
     }},
    {Rule::NoSuchFamily,
     [](const Refusal &r) {
         return r.detail.isEmpty() ? QStringLiteral("no such font file, and no font of that family")
                                   : QStringLiteral("no such font file, and no font of that family (the nearest "
                                                    "fontconfig offers is '%1')")
                                         .arg(r.detail);
     }},
    {Rule::FontNameUnread,
     [](const Refusal &) { return QStringLiteral("no such font file, and not a font name fontconfig reads"); }},
    {Rule::FamilyFace,
     [](const Refusal &) {
         return QStringLiteral("is a family, whose face fontconfig chooses: --font-index takes a face of a font file "
                               "(name the file)");
     }},
    {Rule::NoCharacters, [](const Refusal &) { return QStringLiteral("no characters to draw"); }},
    {Rule::SizeUndrawable,
     [](const Refusal &r) {
         return QStringLiteral("%1 cannot be drawn %2 pixels high").arg(words(r.subject)).arg(r.value);
     }},
    {Rule::GlyphUndrawable,
     [](const Refusal &r) {
         return QStringLiteral("%1 cannot draw %2 (%3)").arg(words(r.subject), character(r), r.detail);
     }},
    // Past a limit, with the option that raises it where one does
    {Rule::Side, [](const Refusal &r) { return pixelsWords(r, "; no side may pass %1 pixels"); }},
    {Rule::Pixels,
     [](const Refusal &r) { return pixelsWords(r, ", more than the limit of %1 pixels (--max-pixels raises it)"); }},
    {Rule::Decoded,
     [](const Refusal &r) {
         return QStringLiteral("%1 are more than %2 pixels to decode (--max-pixels raises it)")
             .arg(words(r.subject))
             .arg(r.limit);
     }},
    {Rule::Read,
     [](const Refusal &r) {
         return QStringLiteral("%1 is longer than the memory limit of %2 bytes (--max-memory raises it)")
             .arg(words(r.subject))
             .arg(r.limit);
     }},
    {Rule::Held, heldWords},
    {Rule::Scans, [](const Refusal &r) { return QStringLiteral("the JPEG file has more than %1 scans").arg(r.limit); }},
    {Rule::ScanPixels,
     [](const Refusal &r) {
         return QStringLiteral("the JPEG file has %1 scans of %2 x %3 pixels, more than %4 pixels to decode in all")
             .arg(r.value)
             .arg(r.width)
             .arg(r.height)
             .arg(r.limit);
     }},
    // What the output's rules cannot make, and the way out
    {Rule::Multiple,
     [](const Refusal &r) {
         return QStringLiteral("%1 is %2 pixels wide; the width must be a multiple of %3 (or use --pad)")
             .arg(words(r.subject))
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::MultipleTurned,
     [](const Refusal &r) {
         return QStringLiteral("%1, turned, is %2 pixels wide; the width must be a multiple of %3 (or use --pad)")
             .arg(words(r.subject))
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::Strike,
     [](const Refusal &r) {
         return QStringLiteral("the bitmap font %1 has glyphs of %2 pixels, not %3 (leave out --size)")
             .arg(r.subject.name)
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::NoGlyph,
     [](const Refusal &r) {
         return QStringLiteral("the font %1 has no glyph for %2 (use --missing blank to leave its cell empty)")
             .arg(r.subject.name, character(r));
     }},
    {Rule::NoCode,
     [](const Refusal &r) { return QStringLiteral("%1 has no GB2312 code (use --index unicode)").arg(character(r)); }},
    {Rule::NoCell,
     [](const Refusal &r) {
         return QStringLiteral("%1 has no GB2312 code, so the grid has no cell for it (leave it out of the strings, "
                               "or draw them without --grid)")
             .arg(character(r));
     }},
    {Rule::CodeWidth,
     [](const Refusal &r) { return QStringLiteral("%1 does not fit the 16-bit table of codes").arg(character(r)); }},
    {Rule::Characters,
     [](const Refusal &r) {
         return QStringLiteral("%1 characters are more than a table holds, %2").arg(r.value).arg(r.limit);
     }},
    {Rule::TooManyFrames,
     [](const Refusal &r) {
         return QStringLiteral("the GIF file has more than %1 frames, more than an 8051 table counts").arg(r.limit);
     }},
    {Rule::TooManyTiles,
     [](const Refusal &r) {
         return QStringLiteral("the picture cuts into %1 tiles of %2 x %3, more than the %4 an 8051 table counts")
             .arg(r.value)
             .arg(r.width)
             .arg(r.height)
             .arg(r.limit);
     }},
    {Rule::NotWholeTiles,
     [](const Refusal &r) {
         return QStringLiteral("the picture is %1 x %2 pixels, no whole number of tiles of %3 x %4")
             .arg(r.value)
             .arg(r.limit)
             .arg(r.width)
             .arg(r.height);
     }},
    {Rule::SheetTooLarge,
     [](const Refusal &r) {
         return QStringLiteral("the sheet of the frames would be %1 x %2 pixels, too large to draw")
             .arg(r.width)
             .arg(r.height);
     }},
    {Rule::PastAddressing,
     [](const Refusal &r) {
         return QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
             .arg(r.value)
             .arg(QString::number(r.limit, 16).toUpper());
     }},
    {Rule::OffsetsPast,
     [](const Refusal &r) {
         return QStringLiteral("%1 bytes of data may compress to more than the %2 GiB the offsets count")
             .arg(r.value)
             .arg(r.limit >> 30);
     }},
    {Rule::FramePastBlock,
     [](const Refusal &r) {
         return QStringLiteral(
                    "a frame of %1 bytes is more than the %2 an LZ4 block holds (--compress packbits packs it)")
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::Enlargement,
     [](const Refusal &r) {
         return QStringLiteral("%1 would be %2 x %3 pixels, a side of %4 pixels enlarged past the %5 that "
                               "libswscale takes (about 6898 times)")
             .arg(words(r.subject))
             .arg(r.width)
             .arg(r.height)
             .arg(r.value)
             .arg(r.limit);
     }},
    // What the converter's options ask of the files together
    {Rule::SameOutput,
     [](const Refusal &r) {
         return QStringLiteral("'%1' and '%2' would both be written as %3 (see --help)")
             .arg(r.subject.name, r.other.name, r.detail);
     }},
    {Rule::SameName,
     [](const Refusal &r) {
         return QStringLiteral("'%1' and '%2' would both be named %3%4 (see --help)")
             .arg(r.subject.name, r.other.name, r.detail,
                  r.value ? QStringLiteral(" in A51, which reads names in any case alike") : QString());
     }},
    {Rule::NameTooLong,
     [](const Refusal &r) {
         return QStringLiteral("'%1' would be named %2, a name of %3 characters; the assemblers keep at most %4 (with "
                               "a table's suffix and SDCC's _, 255): rename the picture or shorten --name-prefix")
             .arg(r.subject.name, r.detail)
             .arg(r.value)
             .arg(r.limit);
     }},
    {Rule::OutputIsInput,
     [](const Refusal &r) {
         return r.subject.name.isEmpty() ? QStringLiteral("standard output is %1 itself, which the output would "
                                                          "replace or grow; choose another output (-o FILE)")
                                               .arg(words(r.other))
                                         : QStringLiteral("is %1 itself, which the output would replace; choose "
                                                          "another output")
                                               .arg(words(r.other));
     }},
    {Rule::HeaderIsOutput,
     [](const Refusal &r) {
         return QStringLiteral("is both the header and %1; choose another header")
             .arg(r.value ? QStringLiteral("standard output") : QStringLiteral("the output"));
     }},
    {Rule::SourceDateEpoch,
     [](const Refusal &) { return QStringLiteral("SOURCE_DATE_EPOCH is not a whole number of seconds"); }},
    {Rule::FolderNotMade, [](const Refusal &) { return QStringLiteral("cannot make this folder"); }},
    {Rule::OutOfMemory, [](const Refusal &) { return QStringLiteral("not enough memory to convert this picture"); }},
};

constexpr bool eachRuleHasItsRow()
{
    if (std::size(ruleWords) != std::size_t(Refusal::ruleCount))
        return false;
    for (std::size_t i = 0; i < std::size(ruleWords); ++i)
        if (ruleWords[i].rule != Rule(i))
            return false;
    return true;
}
static_assert(eachRuleHasItsRow(), "each refusal rule has a row of words, in the order of the list in core/refusal.h");

} // namespace

QString worded(const Refusal &r)
{
    return ruleWords[int(r.rule)].words(r);
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
