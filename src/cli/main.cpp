// tessaline-cli: the converter for build pipelines. It runs the same row functions as the window's export
// (width check, optional black-and-white conversion, black test and packing, writer) over the rows of the
// picture as they are decoded, writing each row's output as it is made, so it never holds the whole picture.

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

namespace {

enum ExitCode { Success = 0, Refused = 1, UsageError = 2 };

const char *const program = "tessaline-cli";

struct Options {
    CodeFormat format = CodeFormat::A51;
    bool convert = false;
    TextEncoding encoding = TextEncoding::Utf8;
    QString output; // empty: standard output
    QString picture;
};

// Writes one line to standard error in the encoding that the terminal expects.
void complain(const QString &message)
{
    const QString line = QString::fromLatin1(program) + QStringLiteral(": ") + message + u'\n';
    const QByteArray bytes = encodeText(line, localeTextEncoding()).bytes;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

std::optional<CodeFormat> formatFromName(const QString &name)
{
    const QString key = name.toLower();
    if (key == u"a51")
        return CodeFormat::A51;
    if (key == u"c51")
        return CodeFormat::C51;
    if (key == u"hex")
        return CodeFormat::Hex;
    return std::nullopt;
}

// Parses the command line; exits for --help and --version; nullopt after a usage error (already reported).
std::optional<Options> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns a BMP, JPEG or GIF picture whose width is a multiple of 8 into A51 \"DB\" lines, C51 "
                       "hex constants or the raw packed bytes: 8 pixels a byte, the leftmost pixel in the top bit, "
                       "a black pixel a 1 bit, rows top to bottom."));
    const QCommandLineOption formatOption(QStringList{QStringLiteral("f"), QStringLiteral("format")},
                                          QStringLiteral("Output format: a51 (default), c51 or hex."),
                                          QStringLiteral("format"), QStringLiteral("a51"));
    const QCommandLineOption convertOption(
        QStringList{QStringLiteral("c"), QStringLiteral("convert")},
        QStringLiteral("Turn a colour picture into black and white before reading its pixels."));
    const QCommandLineOption encodingOption(
        QStringList{QStringLiteral("e"), QStringLiteral("encoding")},
        QStringLiteral("Character set of a51 and c51 text: utf-8 or gbk (default: the locale's, gbk or gb18030 in "
                       "a Chinese locale, otherwise utf-8)."),
        QStringLiteral("encoding"));
    const QCommandLineOption outputOption(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Replace FILE with the output, atomically (default, or -, standard output)."),
        QStringLiteral("FILE"));
    parser.addOption(formatOption);
    parser.addOption(convertOption);
    parser.addOption(encodingOption);
    parser.addOption(outputOption);
    parser.addPositionalArgument(QStringLiteral("PICTURE"), QStringLiteral("The picture file to convert."));
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
    const std::optional<CodeFormat> format = formatFromName(parser.value(formatOption));
    if (!format)
        return usageError(QStringLiteral("unknown format '%1': use a51, c51 or hex").arg(parser.value(formatOption)));
    options.format = *format;
    options.convert = parser.isSet(convertOption);
    options.encoding = localeTextEncoding();
    if (parser.isSet(encodingOption)) {
        const std::optional<TextEncoding> encoding = textEncodingFromName(parser.value(encodingOption));
        if (!encoding)
            return usageError(
                QStringLiteral("unknown encoding '%1': use utf-8 or gbk").arg(parser.value(encodingOption)));
        options.encoding = *encoding;
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

int convert(const Options &options)
{
    const std::optional<QDateTime> epoch = sourceDateEpoch();
    if (epoch && !epoch->isValid()) {
        complain(QStringLiteral("SOURCE_DATE_EPOCH is not a whole number of seconds"));
        return UsageError;
    }

    QString error;
    const std::unique_ptr<PictureDecoder> decoder =
        openPicture(options.picture, PictureLimits{PictureFormats::AllFormats, 0}, &error);
    if (!decoder) {
        complain(options.picture + QStringLiteral(": ") + error);
        return Refused;
    }

    RoadOptions road;
    road.format = options.format;
    road.convert = options.convert;
    road.encoding = options.encoding;
    road.picfile = options.picture;
    road.stamp = codeStampAt(reproducibleNow());

    StandardOutput standardOutput;
    OutputFile file;
    if (!options.output.isEmpty() && !file.open(options.output)) {
        complain(options.output + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    ByteSink &sink = options.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(*decoder, road, sink);
    if (!result.lossless)
        complain(QStringLiteral("warning: some characters of the header have no code in the chosen encoding "
                                "and were written as '?'"));
    if (!result.ok) {
        // A write that failed names the output; anything else is the picture's fault.
        const bool writeFailed = result.error == sink.errorString() && !sink.errorString().isEmpty();
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
