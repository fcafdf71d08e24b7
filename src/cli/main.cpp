// tessaline-cli: the converter for build pipelines. It runs the same row functions as the window's export
// (width check, optional black-and-white conversion, black test and packing, writer) over the rows of the
// picture as they are decoded, writing each row's output as it is made, so it never holds the whole picture.
// Its options (layouts, bit order, thresholds, dithering, turning, PNG, PBM, a preview) are parameters of that
// one road; without them it writes, byte for byte, what the window writes.

#include "core/clock.h"
#include "export/codewriters.h"
#include "export/filesave.h"
#include "export/road.h"
#include "export/textencoding.h"
#include "picture/decoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <new>
#include <optional>
#include <utility>

namespace {

enum ExitCode { Success = 0, Refused = 1, UsageError = 2 };

const char *const program = "tessaline-cli";

const char *const description =
    R"(Turns a BMP, JPEG, GIF or PNG picture into data for 8051-class microcontrollers: A51 "DB" lines, C51
hex constants, the raw packed bytes, or a PBM picture of them. A black pixel is a 1 bit. By default 8
horizontal pixels make a byte, the leftmost in the top bit, rows top to bottom, and only pixels of exactly
black (#000000) are black: the window's export, byte for byte. The width must then be a multiple of 8.

  --layout horizontal (default)           --layout vertical: pages of 8 rows
    row 0: byte 0 = pixels 0-7, pixel 0     page 0 = rows 0-7: byte 0 = column 0,
           in bit 7 (msb); byte 1 = 8-15      row 0 in bit 0 (lsb); byte 1 = column 1
    row 1: the next bytes                   page 1 = rows 8-15: the next bytes
  --threshold 128, a grey ramp   ####....    (luminance below 128 is black)
  --dither bayer4, mid-grey      .#.#/#.#.   (the ordered 4 x 4 pattern)
  --rotate 90:  AB -> CA    --flip horizontal:  AB -> BA
                CD    DB                        CD    DC

Exit status: 0 done, 1 the picture is refused or cannot be read or written (one line on standard error
naming the file; nothing at --output), 2 a usage error.)";

struct Options {
    RoadOptions road;
    QString output; // empty: standard output
    QString picture;
};

// Writes one line to standard error in the encoding that the terminal expects.
void writeLine(const QString &text)
{
    const QByteArray bytes = encodeText(text + u'\n', localeTextEncoding()).bytes;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void complain(const QString &message)
{
    writeLine(QString::fromLatin1(program) + QStringLiteral(": ") + message);
}

// The value of a name among `choices` (case ignored), or nullopt.
template <typename Value>
std::optional<Value> choose(const QString &name, std::initializer_list<std::pair<const char *, Value>> choices)
{
    for (const auto &[key, value] : choices)
        if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

// Parses the command line; exits for --help and --version; nullopt after a usage error (already reported).
std::optional<Options> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description));
    const auto option = [&](QStringList names, const char *help, const char *value = nullptr) {
        QCommandLineOption o(names, QString::fromUtf8(help));
        if (value)
            o.setValueName(QString::fromLatin1(value));
        parser.addOption(o);
        return o;
    };
    const auto s = [](const char *n) { return QString::fromLatin1(n); };
    const QCommandLineOption formatOption =
        option({s("f"), s("format")},
               "a51 (default), c51, hex (the packed bytes alone) or pbm (a netpbm P4 picture of the "
               "bits as packed, before --invert, so black is black).",
               "format");
    const QCommandLineOption convertOption =
        option({s("c"), s("convert")}, "Turn a colour picture into black and white by the window's colour rule first.");
    const QCommandLineOption thresholdOption =
        option({s("threshold")},
               "Black where the luminance 0.299 R + 0.587 G + 0.114 B, rounded, is below N (0 to 255).", "N");
    const QCommandLineOption ditherOption =
        option({s("dither")},
               "floyd-steinberg, atkinson or bayer4: dither the luminance (black below 128 with the error "
               "diffused left to right on every row; bayer4 the ordered 4 x 4 matrix). At most one of "
               "--convert, --threshold and --dither.",
               "kind");
    const QCommandLineOption layoutOption =
        option({s("layout")},
               "horizontal (default): 8 pixels of a row to a byte. vertical: 8 pixels of a column to a byte, in "
               "pages of 8 rows from the top, columns left to right; the height is padded with white to a "
               "multiple of 8, and a page takes the place of a row in the text.",
               "layout");
    const QCommandLineOption bitOrderOption =
        option({s("bit-order")},
               "msb or lsb: the first pixel of a byte (leftmost or topmost) in bit 7 or bit 0. Default msb "
               "for horizontal, lsb for vertical.",
               "order");
    const QCommandLineOption padOption = option(
        {s("pad")}, "Pad each row with white to a whole byte instead of refusing a width that is not a multiple of 8.");
    const QCommandLineOption invertOption = option({s("invert")}, "1 bits for white pixels, 0 for black.");
    const QCommandLineOption rotateOption =
        option({s("rotate")},
               "90, 180 or 270: turn the picture clockwise before packing (before --flip); the width "
               "rule applies to the picture as turned.",
               "degrees");
    const QCommandLineOption flipOption =
        option({s("flip")}, "horizontal (mirror left and right) or vertical (upside down), before packing.", "axis");
    const QCommandLineOption previewOption = option(
        {s("preview")}, "Draw the picture as packed on standard error, two pixel rows a line in half blocks, black "
                        "pixels drawn; scaled down by whole factors to fit COLUMNS (else 80).");
    const QCommandLineOption encodingOption =
        option({s("e"), s("encoding")},
               "Character set of a51 and c51 text: utf-8 or gbk (default: the locale's, gbk or "
               "gb18030 in a Chinese locale, otherwise utf-8).",
               "encoding");
    const QCommandLineOption outputOption =
        option({s("o"), s("output")},
               "Write to FILE, which is replaced only when the output is complete (default, or -: "
               "standard output, written as the picture is read).",
               "FILE");
    parser.addPositionalArgument(s("PICTURE"), s("The picture file to convert."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    const auto usageError = [&](const QString &message) -> std::optional<Options> {
        complain(message + QStringLiteral(" (see --help)"));
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption))
        parser.showHelp(Success);
    if (parser.isSet(versionOption))
        parser.showVersion();

    Options options;
    RoadOptions &road = options.road;
    const auto unknown = [&](const QCommandLineOption &o, const char *allowed) {
        return usageError(QStringLiteral("unknown %1 '%2': use %3")
                              .arg(o.names().constLast(), parser.value(o), QString::fromLatin1(allowed)));
    };
    if (const auto format = choose<OutputFormat>(
            parser.value(formatOption).isEmpty() ? s("a51") : parser.value(formatOption), {{"a51", OutputFormat::A51},
                                                                                           {"c51", OutputFormat::C51},
                                                                                           {"hex", OutputFormat::Hex},
                                                                                           {"pbm", OutputFormat::Pbm}}))
        road.format = *format;
    else
        return unknown(formatOption, "a51, c51, hex or pbm");

    const int blackRules =
        int(parser.isSet(convertOption)) + int(parser.isSet(thresholdOption)) + int(parser.isSet(ditherOption));
    if (blackRules > 1)
        return usageError(QStringLiteral("choose at most one of --convert, --threshold and --dither"));
    road.convert = parser.isSet(convertOption);
    if (parser.isSet(thresholdOption)) {
        bool ok = false;
        road.threshold = parser.value(thresholdOption).toInt(&ok);
        if (!ok || road.threshold < 0 || road.threshold > 255)
            return usageError(QStringLiteral("--threshold takes a number from 0 to 255, not '%1'")
                                  .arg(parser.value(thresholdOption)));
    }
    if (parser.isSet(ditherOption)) {
        const auto dither = choose<Dither>(
            parser.value(ditherOption),
            {{"floyd-steinberg", Dither::FloydSteinberg}, {"atkinson", Dither::Atkinson}, {"bayer4", Dither::Bayer4}});
        if (!dither)
            return unknown(ditherOption, "floyd-steinberg, atkinson or bayer4");
        road.dither = *dither;
    }
    if (parser.isSet(layoutOption)) {
        const auto layout = choose<Layout>(parser.value(layoutOption),
                                           {{"horizontal", Layout::Horizontal}, {"vertical", Layout::Vertical}});
        if (!layout)
            return unknown(layoutOption, "horizontal or vertical");
        road.layout = *layout;
    }
    road.bitOrder = road.layout == Layout::Vertical ? BitOrder::LsbFirst : BitOrder::MsbFirst;
    if (parser.isSet(bitOrderOption)) {
        const auto order =
            choose<BitOrder>(parser.value(bitOrderOption), {{"msb", BitOrder::MsbFirst}, {"lsb", BitOrder::LsbFirst}});
        if (!order)
            return unknown(bitOrderOption, "msb or lsb");
        road.bitOrder = *order;
    }
    road.pad = parser.isSet(padOption);
    road.invert = parser.isSet(invertOption);
    if (parser.isSet(rotateOption)) {
        const auto degrees = choose<int>(parser.value(rotateOption), {{"90", 90}, {"180", 180}, {"270", 270}});
        if (!degrees)
            return unknown(rotateOption, "90, 180 or 270");
        road.rotate = *degrees;
    }
    if (parser.isSet(flipOption)) {
        const auto flip =
            choose<Flip>(parser.value(flipOption), {{"horizontal", Flip::Horizontal}, {"vertical", Flip::Vertical}});
        if (!flip)
            return unknown(flipOption, "horizontal or vertical");
        road.flip = *flip;
    }
    if (parser.isSet(previewOption)) {
        bool ok = false;
        const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
        road.previewColumns = ok && columns > 0 ? columns : 80;
        road.preview = [](const QString &line) { writeLine(line); };
    }
    road.encoding = localeTextEncoding();
    if (parser.isSet(encodingOption)) {
        const std::optional<TextEncoding> encoding = textEncodingFromName(parser.value(encodingOption));
        if (!encoding)
            return unknown(encodingOption, "utf-8 or gbk");
        road.encoding = *encoding;
    }
    options.output = parser.value(outputOption);
    if (options.output == u"-")
        options.output.clear();
    else if (parser.isSet(outputOption) && options.output.isEmpty())
        return usageError(QStringLiteral("--output needs a file name"));

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("no picture given"));
    if (positional.size() > 1)
        return usageError(QStringLiteral("one picture at a time, got %1").arg(positional.size()));
    options.picture = positional.first();
    road.picfile = options.picture;
    return options;
}

// Standard output, written as the road goes.
class StandardOutput : public ByteSink {
public:
    bool write(const char *data, std::int64_t size) override
    {
        if (std::fwrite(data, 1, std::size_t(size), stdout) == std::size_t(size) && std::fflush(stdout) == 0)
            return true;
        error_ = QStringLiteral("cannot write to standard output");
        return false;
    }
};

int convert(Options options)
{
    const std::optional<QDateTime> epoch = sourceDateEpoch();
    if (epoch && !epoch->isValid()) {
        complain(QStringLiteral("SOURCE_DATE_EPOCH is not a whole number of seconds"));
        return UsageError;
    }
    options.road.stamp = codeStampAt(reproducibleNow());

    QString error;
    const std::unique_ptr<PictureDecoder> decoder =
        openPicture(options.picture, PictureLimits{PictureFormats::AllFormats, 0}, &error);
    if (!decoder) {
        complain(options.picture + QStringLiteral(": ") + error);
        return Refused;
    }

    StandardOutput standardOutput;
    OutputFile file;
    if (!options.output.isEmpty() && !file.open(options.output)) {
        complain(options.output + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    ByteSink &sink = options.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(*decoder, options.road, sink);
    if (!result.lossless)
        complain(QStringLiteral("warning: some characters of the header have no code in the chosen encoding "
                                "and were written as '?'"));
    if (!result.ok) {
        // A write that failed names the output; anything else is the picture's fault.
        const bool writeFailed = !sink.errorString().isEmpty() && result.error == sink.errorString();
        const QString where = writeFailed
                                  ? (options.output.isEmpty() ? QString() : options.output + QStringLiteral(": "))
                                  : options.picture + QStringLiteral(": ");
        complain(
            where + result.error +
            (result.written && options.output.isEmpty() ? QStringLiteral(" (the output stops there)") : QString()));
        return Refused;
    }
    if (!options.output.isEmpty() && !file.commit()) {
        complain(options.output + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    return Success;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(program));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options)
        return UsageError;
    try {
        return convert(*options);
    } catch (const std::bad_alloc &) {
        complain(options->picture + QStringLiteral(": not enough memory to convert this picture"));
        return Refused;
    }
}
