// Reading the command line: the option table's entries applied in the order given, the display's preset, what
// the options ask of each other, and words that are not UTF-8 refused.

#include "options.h"

#include "core/version.h"
#include "cli/displays.h"
#include "cli/help.h"
#include "cli/optiontable.h"
#include "cli/report.h"

#include <QCommandLineParser>
#include <QHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace {

// What the options given ask of each other, once all are read: each option's own rule, then those of none alone;
// an error text, or nullopt.
std::optional<QString> conflicts(const Options &o, const Given &given)
{
    for (const Entry &entry : entries())
        if (entry.check && given.contains(entry.names.constLast()))
            if (const std::optional<QString> error = entry.check(o, given))
                return QStringLiteral("--%1 %2").arg(entry.names.constLast(), *error);
    const int blackRules =
        int(o.road.tone.convert) + int(o.road.tone.threshold >= 0) + int(o.road.tone.dither != Dither::None);
    if (blackRules > 1)
        return QStringLiteral("choose at most one of --convert, --threshold and --dither");
    // Where the frames come from: a picture alone, or one of these.
    if (int(o.frames) + int(o.tile.isValid()) + int(given.contains(u"font")) > 1)
        return QStringLiteral("choose at most one of --frames, --tile and --font");
    if (!isMono(o) && o.road.pack.layout == Layout::Vertical) // a display's layout, or --layout
        return QStringLiteral("--layout vertical is for --pixel mono, not %1").arg(pixelName(o));
    if (o.pictures.isEmpty() && !given.contains(u"font"))
        return QStringLiteral("no picture given");
    if (o.pictures.size() > 1 && o.outputDir.isEmpty())
        return QStringLiteral("%1 pictures need --output-dir").arg(o.pictures.size());
    if (!o.outputDir.isEmpty() && o.pictures.contains(QStringLiteral("-")))
        return QStringLiteral("standard input (-) is one picture, not part of a batch (--output-dir)");
    return std::nullopt;
}

// --fit and --fill take their size where one follows them ("--fit 128x64"), and none where none does ("--fit
// photo.jpg", with --display): the words as the parser takes them, "--fit=128x64" or "--fit=".
// So does --render its text: the word after it, unless that is an option ("--render --strings menu.txt").
QStringList sizesGiven(QStringList words)
{
    static const QRegularExpression size(QStringLiteral("^[0-9]*[xX][0-9]*$"));
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool given = false;
        // A word that starts with a digit, without an extension, naming no file, is a size mistyped ("128*64"):
        // taken as one, its error says what is wrong with it, where as a picture it would be a second picture.
        if (words[i] == u"--fit" || words[i] == u"--fill")
            given = i + 1 < words.size() && (size.match(words[i + 1]).hasMatch() ||
                                             (!words[i + 1].isEmpty() && words[i + 1][0].isDigit() &&
                                              !words[i + 1].contains(u'.') && !QFileInfo::exists(words[i + 1])));
        else if (words[i] == u"--render")
            given = i + 1 < words.size() && !words[i + 1].startsWith(u'-');
        else
            continue;
        words[i] += u'=' + (given ? words.takeAt(i + 1) : QString());
    }
    return words;
}

// An output whose extension names a format takes that format, where --format does not say another that the
// extension also names; where it says one the extension does not name, the run is refused: a .png of A51 text.
// (.hex names none: the window writes its raw bytes as code.hex, and Intel HEX is .hex too.)
std::optional<QString> applyOutputExtension(Options &o, const Given &given)
{
    using F = OutputFormat;
    static const QList<std::pair<QString, QList<F>>> formats{
        {QStringLiteral("png"), {F::Png}}, {QStringLiteral("pbm"), {F::Pbm}},
        {QStringLiteral("c"), {F::C51}},   {QStringLiteral("h"), {F::C51}},
        {QStringLiteral("a51"), {F::A51}}, {QStringLiteral("asm"), {F::A51, F::Sdas}},
        {QStringLiteral("s"), {F::Sdas}},  {QStringLiteral("ihx"), {F::IntelHex}},
        {QStringLiteral("bin"), {F::Hex}}};
    const QString extension = QFileInfo(o.output).suffix().toLower();
    const auto named =
        std::find_if(formats.begin(), formats.end(), [&](const auto &f) { return f.first == extension; });
    if (o.output.isEmpty() || named == formats.end())
        return std::nullopt;
    if (!given.contains(u"format")) {
        o.road.encode.format = named->second.first();
        return std::nullopt;
    }
    if (named->second.contains(o.road.encode.format))
        return std::nullopt;
    QStringList names;
    for (const F f : named->second)
        names << QString::fromLatin1(nameOf(f));
    return QStringLiteral("--output %1: a .%2 file takes --format %3, not %4 (or name the file otherwise)")
        .arg(o.output, extension, names.join(QStringLiteral(" or ")),
             QString::fromLatin1(nameOf(o.road.encode.format)));
}

// --render draws a picture of its own: a canvas padded to whole bytes, as a glyph's cell is, and no table of codes
// (so no character needs a GB2312 code or one of 16 bits) unless --index asks for one.
void applyRender(Options &o, const Given &given)
{
    if (!o.render)
        return;
    o.road.pack.pad = true;
    if (!given.contains(u"index"))
        o.glyphs.index = CodeIndex::None;
}

// A size asked: --fit and --fill without one take the display's screen; a resized mono picture takes
// --threshold 128 unless a rule of black is given (resampling makes greys of any drawing's edges); a font's
// cells are sized by --size and --cell instead.
std::optional<QString> applySize(Options &o, const Given &given)
{
    ResizeOptions &resize = o.road.resize;
    if (resize.fit == Fit::None)
        return std::nullopt;
    const QString option = resize.fit == Fit::Contain ? QStringLiteral("--fit") : QStringLiteral("--fill");
    if (o.displaySize && !o.display)
        return option + QStringLiteral(" takes a size, such as 128x64, or --display for its screen's");
    if (o.displaySize)
        resize.size = QSize(o.display->width, o.display->height);
    if (given.contains(u"font"))
        return QStringLiteral("--font draws cells of --size or --cell: --resize, --fit and --fill bring pictures to a "
                              "size");
    if (isMono(o) && !given.contains(u"threshold") && !given.contains(u"dither") && !given.contains(u"convert"))
        o.road.tone.threshold = 128;
    return std::nullopt;
}

// The display's preset: it sets what it owns (the pixel format, layout, bit and byte order, ink) where no option
// given set it, whichever came first; a --pixel the display does not take is an error naming both. Without a
// display, each layout's displays expect their own bit order, unless it is given.
std::optional<QString> applyDisplay(Options &o, const Given &given)
{
    PackOptions &pack = o.road.pack;
    if (!o.display) {
        if (!given.contains(u"bit-order"))
            pack.bitOrder = pack.layout == Layout::Vertical ? BitOrder::LsbFirst : BitOrder::MsbFirst;
        return std::nullopt;
    }
    const DisplayController &display = *o.display;
    if (given.contains(u"pixel") && o.road.pixel != display.pixel)
        return QStringLiteral("--pixel %1 does not go with --display %2, which takes %3")
            .arg(pixelName(o), QLatin1String(display.name), QLatin1String(traitsOf(display.pixel).name));
    o.road.pixel = display.pixel;
    if (!given.contains(u"layout"))
        pack.layout = display.pack.layout;
    if (!given.contains(u"bit-order"))
        pack.bitOrder = display.pack.bitOrder;
    if (!given.contains(u"byte-order"))
        pack.byteOrder = display.pack.byteOrder;
    pack.ink = display.pack.ink;
    return std::nullopt;
}

} // namespace

bool Options::namesFromPictures() const
{
    return isCodeText(road.encode.format) && road.encode.name.isEmpty() && (!outputDir.isEmpty() || prefixed);
}

namespace {

// The bytes of a command-line word as text: UTF-8 where they are, any other byte as \xFF.
QString shownBytes(const QByteArray &bytes)
{
    QString shown;
    for (qsizetype at = 0; at < bytes.size();) {
        const auto lead = std::uint8_t(bytes[at]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = length ? utf8.decode(bytes.mid(at, length)) : QString();
        if (length && at + length <= bytes.size() && !utf8.hasError() &&
            !decoded.contains(QChar::ReplacementCharacter)) {
            shown += decoded;
            at += length;
        } else {
            shown += QStringLiteral("\\x") + QString::number(lead, 16).toUpper().rightJustified(2, u'0');
            ++at;
        }
    }
    return shown;
}

} // namespace

namespace {

// The command line's words as text. Those that are not UTF-8 do not come back as the same bytes: a name or a text
// that is one of them is refused rather than read or written as another.
class CommandWords {
public:
    explicit CommandWords(const QList<QByteArray> &argv)
    {
        for (const QByteArray &word : argv) {
            text << QString::fromLocal8Bit(word);
            if (text.last().toLocal8Bit() != word)
                unreadable_.append({text.last(), word});
        }
    }
    // Why `value` cannot be taken as given; nullopt when it can.
    std::optional<QString> notUtf8(const QString &value) const
    {
        if (value.contains(QChar::ReplacementCharacter))
            for (const auto &[shown, word] : unreadable_)
                if (shown.contains(value))
                    return QStringLiteral("'%1' is not UTF-8: its bytes would be read as other characters (a "
                                          "file of that name: rename it)")
                        .arg(shownBytes(word));
        return std::nullopt;
    }

    QStringList text;

private:
    QList<std::pair<QString, QByteArray>> unreadable_;
};

// The parser of the table's options, and each entry by each of its names.
void addOptions(QCommandLineParser &parser, QHash<QString, const Entry *> &byName)
{
    parser.setApplicationDescription(descriptionText());
    for (const Entry *entry : byGroup()) {
        QCommandLineOption option(entry->names, helpOf(*entry));
        if (entry->valueName)
            option.setValueName(QString::fromLatin1(entry->valueName));
        parser.addOption(option);
        for (const QString &name : entry->names)
            byName.insert(name, entry);
    }
    parser.addPositionalArgument(QStringLiteral("PICTURE"),
                                 QStringLiteral("The picture file to convert, or - for standard input; several "
                                                "with --output-dir."),
                                 QStringLiteral("PICTURE..."));
}

// --help, --list-displays and --version: what they print, printed; false when none is given.
bool printedInformation(const QCommandLineParser &parser, const QString &program)
{
    QByteArray text;
    if (parser.isSet(QStringLiteral("help")))
        text = helpText(parser, program).toLocal8Bit();
    else if (parser.isSet(QStringLiteral("list-displays")))
        text = displayTable().toLatin1();
    else if (parser.isSet(QStringLiteral("version")))
        text = QByteArray(programName) + ' ' + TESSALINE_VERSION + '\n';
    else
        return false;
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    return true;
}

// Each option given applied to `options`, in the order given; their long names into `given`. The first error.
std::optional<QString> applyGiven(const QCommandLineParser &parser, const QHash<QString, const Entry *> &byName,
                                  const CommandWords &words, Options &options, QStringList &given)
{
    QHash<const Entry *, int> taken;
    for (const QString &name : parser.optionNames()) {
        const Entry *entry = byName.value(name);
        // An option takes one value: given twice, which was meant cannot be told (a build's options after the
        // ones it sets itself would win without a word).
        if (entry->valueName && taken[entry] > 0) {
            const QStringList values = parser.values(name); // every alias's, in order
            return QStringLiteral("--%1 is given twice, as '%2' and as '%3'")
                .arg(entry->names.constLast(), values.value(0), values.value(1));
        }
        const QString value = entry->valueName ? parser.values(name).value(taken[entry]++) : QString();
        std::optional<QString> error = words.notUtf8(value);
        if (!error)
            error = entry->parse.apply(options, value);
        if (error)
            return QStringLiteral("--%1 %2").arg(entry->names.constLast(), *error);
        given << entry->names.constLast();
    }
    return std::nullopt;
}

// What the options given ask of each other and of the pictures; the first error.
std::optional<QString> settle(Options &options, const QStringList &given, const CommandWords &words)
{
    for (const auto apply : {applyOutputExtension, applyDisplay, applySize})
        if (std::optional<QString> error = apply(options, given))
            return error;
    applyRender(options, given);
    for (const QString &picture : std::as_const(options.pictures))
        if (const std::optional<QString> error = words.notUtf8(picture))
            return QStringLiteral("the picture ") + *error;
    if (std::optional<QString> error = conflicts(options, given))
        return error;
    const OutputFormat format = options.road.encode.format;
    if (options.output.isEmpty() && options.outputDir.isEmpty() && outputFormats()[int(format)].binary &&
        ::isatty(STDOUT_FILENO))
        return QStringLiteral("--format %1 writes bytes, not text, and standard output is a terminal: write them "
                              "to a file with -o FILE, or pipe them on")
            .arg(QLatin1String(nameOf(format)));
    return std::nullopt;
}

} // namespace

std::optional<Options> parseOptions(const QList<QByteArray> &argv, int *exitCode)
{
    const CommandWords words(argv);
    *exitCode = UsageError;
    const auto usageError = [](const QString &message) -> std::optional<Options> {
        complain(message + QStringLiteral(" (see --help)"));
        return std::nullopt;
    };
    QCommandLineParser parser;
    QHash<QString, const Entry *> byName;
    addOptions(parser, byName);
    if (!parser.parse(sizesGiven(words.text)))
        return usageError(parserMessage(parser.errorText()));
    if (printedInformation(parser, words.text.value(0))) {
        *exitCode = Success;
        return std::nullopt;
    }
    Options options;
    options.road.encode.encoding = localeTextEncoding();
    QStringList given; // each option's long name, in the order given
    std::optional<QString> error = applyGiven(parser, byName, words, options, given);
    options.pictures = parser.positionalArguments();
    if (!error)
        error = settle(options, given, words);
    if (error)
        return usageError(*error);
    *exitCode = Success;
    return options;
}
