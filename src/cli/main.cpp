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
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

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
    Limits limits;
    QString output;    // empty: standard output
    QString outputDir; // a batch: each picture to its own file here
    QStringList pictures;
    bool verbose = false;
};

// One picture to convert, and where its output goes (empty: standard output).
struct Job {
    QString picture;
    QString output;
};

const char *extensionOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::A51:
        return ".a51";
    case OutputFormat::C51:
        return ".c";
    case OutputFormat::Hex:
        return ".bin";
    case OutputFormat::IntelHex:
        return ".hex";
    case OutputFormat::Pbm:
        break;
    }
    return ".pbm";
}

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

// What one picture's conversion has to say on standard error. A batch converts pictures side by side, so each
// keeps its lines until it is done and then writes them together.
class Report {
public:
    explicit Report(bool keep) : keep_(keep) {}
    ~Report() { flush(); }
    void line(const QString &text)
    {
        if (keep_)
            lines_ << text;
        else
            writeLine(text);
    }
    void complain(const QString &message) { line(QString::fromLatin1(program) + QStringLiteral(": ") + message); }
    // A line of the preview: in a batch, kept up to a bound, since a tall picture's preview has no end.
    void preview(const QString &text)
    {
        if (keep_ && previewKept_ + text.size() + 1 > maxPreviewKept) {
            if (!previewCut_)
                lines_ << QStringLiteral("(the rest of the preview is left out: a batch keeps %1 characters of "
                                         "it a picture)")
                              .arg(maxPreviewKept);
            previewCut_ = true;
            return;
        }
        previewKept_ += text.size() + 1;
        line(text);
    }
    void flush()
    {
        static std::mutex writing;
        const std::lock_guard<std::mutex> lock(writing);
        for (const QString &text : std::as_const(lines_))
            writeLine(text);
        lines_.clear();
    }

private:
    static constexpr qsizetype maxPreviewKept = 1 << 20;
    bool keep_;
    QStringList lines_;
    qsizetype previewKept_ = 0;
    bool previewCut_ = false;
};

// A size given on the command line: a whole number from 1 to `largest`, with a binary K, M or G after it
// where `units` allows. nullopt for anything else.
std::optional<std::int64_t> sizeFromText(QString text, bool units, std::int64_t largest)
{
    int shift = 0;
    if (units && !text.isEmpty()) {
        const int at = QStringLiteral("KMG").indexOf(text.back().toUpper());
        if (at >= 0) {
            shift = 10 * (at + 1);
            text.chop(1);
        }
    }
    bool ok = false;
    const qulonglong n = text.toULongLong(&ok);
    if (!ok || n == 0 || n > qulonglong(largest >> shift))
        return std::nullopt;
    return std::int64_t(n) << shift;
}

// The file that stands at `path`, as its device and inode; nullopt when nothing does.
std::optional<std::pair<dev_t, ino_t>> fileAt(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

// When `option` is given, sets *target to the value its text names among `choices` (case ignored). False, the
// usage error reported, for a text that names none of them.
template <typename Value>
bool takeChoice(const QCommandLineParser &parser, const QCommandLineOption &option,
                std::initializer_list<std::pair<const char *, Value>> choices, Value *target)
{
    if (!parser.isSet(option))
        return true;
    QStringList names;
    for (const auto &[name, value] : choices) {
        if (parser.value(option).compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            *target = value;
            return true;
        }
        names << QString::fromLatin1(name);
    }
    const QString last = names.takeLast();
    complain(QStringLiteral("unknown %1 '%2': use %3 or %4 (see --help)")
                 .arg(option.names().constLast(), parser.value(option), names.join(QStringLiteral(", ")), last));
    return false;
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
               "a51 (default), c51, hex (the packed bytes alone), ihex (Intel HEX records of them) or pbm "
               "(a netpbm P4 picture of the bits as packed, before --invert, so black is black).",
               "format");
    const QCommandLineOption addressOption =
        option({s("address")}, "ihex: the address of the first byte, decimal or 0x hexadecimal (default 0).", "N");
    const QCommandLineOption nameOption =
        option({s("name")},
               "a51: a label line NAME: before the data. c51: the data as the array unsigned char code "
               "NAME[BYTES] = { ... };. NAME is a C identifier.",
               "NAME");
    const QCommandLineOption dialectOption =
        option({s("c-dialect")}, "The keyword of a named c51 array: keil (default, code) or sdcc (__code).", "dialect");
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
    const QCommandLineOption outputDirOption =
        option({s("output-dir")},
               "Convert every PICTURE, side by side on all cores, into DIR as its base name with the "
               "format's extension (.a51, .c, .bin, .hex, .pbm). A picture that fails is named and the "
               "others go on; the exit status is then 1.",
               "DIR");
    const QCommandLineOption maxPixelsOption =
        option({s("max-pixels")},
               "Refuse a picture (or a GIF frame) of more than N pixels; default 1073741824 (2^30). No side may pass "
               "1048576 pixels, whatever N is.",
               "N");
    const QCommandLineOption maxMemoryOption =
        option({s("max-memory")},
               "The most memory what must be held whole may take: an interlaced GIF or PNG, a progressive or "
               "multi-scan JPEG, a picture turned by --rotate or --flip vertical. BYTES may end in K, M or G; "
               "default 1G.",
               "BYTES");
    const QCommandLineOption verboseOption = option(
        {s("verbose")}, "Say on standard error how large the picture is, the format and the number of bytes, and "
                        "warn when the data passes 64 KiB, more than one 8051 code bank holds.");
    parser.addPositionalArgument(s("PICTURE"), s("The picture file to convert; several with --output-dir."),
                                 s("PICTURE..."));
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
    if (!takeChoice<OutputFormat>(parser, formatOption,
                                  {{"a51", OutputFormat::A51},
                                   {"c51", OutputFormat::C51},
                                   {"hex", OutputFormat::Hex},
                                   {"ihex", OutputFormat::IntelHex},
                                   {"pbm", OutputFormat::Pbm}},
                                  &road.format) ||
        !takeChoice<CDialect>(parser, dialectOption, {{"keil", CDialect::Keil}, {"sdcc", CDialect::Sdcc}},
                              &road.dialect) ||
        !takeChoice<Dither>(
            parser, ditherOption,
            {{"floyd-steinberg", Dither::FloydSteinberg}, {"atkinson", Dither::Atkinson}, {"bayer4", Dither::Bayer4}},
            &road.dither) ||
        !takeChoice<Layout>(parser, layoutOption, {{"horizontal", Layout::Horizontal}, {"vertical", Layout::Vertical}},
                            &road.layout) ||
        !takeChoice<int>(parser, rotateOption, {{"90", 90}, {"180", 180}, {"270", 270}}, &road.rotate) ||
        !takeChoice<Flip>(parser, flipOption, {{"horizontal", Flip::Horizontal}, {"vertical", Flip::Vertical}},
                          &road.flip))
        return std::nullopt;
    // Each layout's displays expect their own bit order.
    road.bitOrder = road.layout == Layout::Vertical ? BitOrder::LsbFirst : BitOrder::MsbFirst;
    if (!takeChoice<BitOrder>(parser, bitOrderOption, {{"msb", BitOrder::MsbFirst}, {"lsb", BitOrder::LsbFirst}},
                              &road.bitOrder))
        return std::nullopt;
    if (parser.isSet(addressOption)) {
        if (road.format != OutputFormat::IntelHex)
            return usageError(QStringLiteral("--address goes with --format ihex"));
        const QString text = parser.value(addressOption);
        const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
        bool ok = false;
        const qulonglong address = (hex ? text.mid(2) : text).toULongLong(&ok, hex ? 16 : 10);
        if (!ok || address > 0xFFFFFFFFull)
            return usageError(
                QStringLiteral("--address takes a number from 0 to 0xFFFFFFFF, decimal or 0x hexadecimal, not '%1'")
                    .arg(text));
        road.address = std::uint32_t(address);
    }
    if (parser.isSet(nameOption)) {
        if (road.format != OutputFormat::A51 && road.format != OutputFormat::C51)
            return usageError(QStringLiteral("--name goes with --format a51 or c51"));
        road.name = parser.value(nameOption);
        if (!isCIdentifier(road.name))
            return usageError(QStringLiteral("--name needs a C identifier (letters, digits and _, not first a digit, "
                                             "not a C keyword), not '%1'")
                                  .arg(road.name));
    }
    options.verbose = parser.isSet(verboseOption);
    if (parser.isSet(maxPixelsOption)) {
        const std::optional<std::int64_t> n =
            sizeFromText(parser.value(maxPixelsOption), false, Limits::maxSide * Limits::maxSide);
        if (!n)
            return usageError(QStringLiteral("--max-pixels takes a number from 1 to %1, not '%2'")
                                  .arg(Limits::maxSide * Limits::maxSide)
                                  .arg(parser.value(maxPixelsOption)));
        options.limits.maxPixels = *n;
    }
    if (parser.isSet(maxMemoryOption)) {
        const std::optional<std::int64_t> n = sizeFromText(parser.value(maxMemoryOption), true, std::int64_t(1) << 50);
        if (!n)
            return usageError(QStringLiteral("--max-memory takes a number of bytes, which may end in K, M or G, "
                                             "not '%1'")
                                  .arg(parser.value(maxMemoryOption)));
        options.limits.maxHeldBytes = *n;
    }
    road.limits = options.limits;

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
    road.pad = parser.isSet(padOption);
    road.invert = parser.isSet(invertOption);
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
            return usageError(
                QStringLiteral("unknown encoding '%1': use utf-8 or gbk").arg(parser.value(encodingOption)));
        road.encoding = *encoding;
    }
    options.output = parser.value(outputOption);
    if (options.output == u"-")
        options.output.clear();
    else if (parser.isSet(outputOption) && options.output.isEmpty())
        return usageError(QStringLiteral("--output needs a file name"));
    options.outputDir = parser.value(outputDirOption);
    if (parser.isSet(outputDirOption) && options.outputDir.isEmpty())
        return usageError(QStringLiteral("--output-dir needs a folder"));
    if (parser.isSet(outputDirOption) && parser.isSet(outputOption))
        return usageError(QStringLiteral("--output and --output-dir do not go together"));

    options.pictures = parser.positionalArguments();
    if (options.pictures.isEmpty())
        return usageError(QStringLiteral("no picture given"));
    if (options.pictures.size() > 1 && options.outputDir.isEmpty())
        return usageError(QStringLiteral("%1 pictures need --output-dir").arg(options.pictures.size()));
    // Two pictures of one base name would write one file: found before anything is written.
    QHash<QString, QString> byName;
    for (const QString &picture : std::as_const(options.pictures)) {
        const QString name = QFileInfo(picture).completeBaseName();
        if (byName.contains(name))
            return usageError(QStringLiteral("'%1' and '%2' would both be written as %3%4")
                                  .arg(byName[name], picture, name, QLatin1String(extensionOf(road.format))));
        byName.insert(name, picture);
    }
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

// Converts one picture; `report` takes what it has to say.
int convertOne(const Options &options, const Job &job, Report &report)
{
    QString error;
    const std::unique_ptr<PictureDecoder> decoder =
        openPicture(job.picture, PictureLimits{PictureFormats::AllFormats, options.limits}, &error);
    if (!decoder) {
        report.complain(job.picture + QStringLiteral(": ") + error);
        return Refused;
    }
    RoadOptions road = options.road;
    road.picfile = job.picture;
    if (road.preview)
        road.preview = [&report](const QString &line) { report.preview(line); };

    StandardOutput standardOutput;
    OutputFile file;
    if (!job.output.isEmpty() && !file.open(job.output)) {
        report.complain(job.output + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    ByteSink &sink = job.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(*decoder, road, sink);
    if (!result.lossless)
        report.complain(QStringLiteral("warning: some characters of the header have no code in the chosen encoding "
                                       "and were written as '?'"));
    if (!result.ok) {
        // A write that failed names the output; anything else is the picture's fault.
        const bool writeFailed = !sink.errorString().isEmpty() && result.error == sink.errorString();
        const QString where = writeFailed ? (job.output.isEmpty() ? QString() : job.output + QStringLiteral(": "))
                                          : job.picture + QStringLiteral(": ");
        report.complain(
            where + result.error +
            (result.written && job.output.isEmpty() ? QStringLiteral(" (the output stops there)") : QString()));
        return Refused;
    }
    if (!job.output.isEmpty() && !file.commit()) {
        report.complain(job.output + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    if (options.verbose) {
        static const char *const formats[] = {"a51", "c51", "hex", "ihex", "pbm"};
        report.complain(QStringLiteral("%1: %2 x %3 pixels, packed as %4 x %5, %6, %7 bytes of data")
                            .arg(job.picture)
                            .arg(result.width)
                            .arg(result.height)
                            .arg(result.packedWidth)
                            .arg(result.packedHeight)
                            .arg(QLatin1String(formats[int(road.format)]))
                            .arg(result.dataBytes));
        if (result.dataBytes > 65536)
            report.complain(QStringLiteral("%1: warning: %2 bytes of data, more than the 64 KiB (65536 bytes) that "
                                           "one 8051 code bank holds")
                                .arg(job.picture)
                                .arg(result.dataBytes));
    }
    return Success;
}

// Refuses, before anything is written, an output that is one of the pictures: the picture would be lost.
bool outputsSpareThePictures(const QList<Job> &jobs, const QStringList &pictures)
{
    QList<std::pair<std::pair<dev_t, ino_t>, QString>> inputs;
    for (const QString &picture : pictures)
        if (const auto file = fileAt(picture))
            inputs.append({*file, picture});
    for (const Job &job : jobs) {
        const auto output = job.output.isEmpty() ? std::nullopt : fileAt(job.output);
        for (const auto &[file, picture] : std::as_const(inputs))
            if (output == file) {
                complain(job.output + QStringLiteral(": is the picture %1 itself, which the output would replace; "
                                                     "choose another output")
                                          .arg(picture));
                return false;
            }
    }
    return true;
}

int convert(const Options &options)
{
    const std::optional<QDateTime> epoch = sourceDateEpoch();
    if (epoch && !epoch->isValid()) {
        complain(QStringLiteral("SOURCE_DATE_EPOCH is not a whole number of seconds"));
        return UsageError;
    }
    Options stamped = options;
    stamped.road.stamp = codeStampAt(reproducibleNow());

    QList<Job> jobs;
    if (options.outputDir.isEmpty())
        jobs.append({options.pictures.first(), options.output});
    else
        for (const QString &picture : options.pictures)
            jobs.append({picture, QDir(options.outputDir)
                                      .filePath(QFileInfo(picture).completeBaseName() +
                                                QLatin1String(extensionOf(options.road.format)))});
    if (!outputsSpareThePictures(jobs, options.pictures))
        return Refused;
    if (options.outputDir.isEmpty()) {
        Report report(false);
        return convertOne(stamped, jobs.first(), report);
    }
    if (!QDir().mkpath(options.outputDir)) {
        complain(options.outputDir + QStringLiteral(": cannot make this folder"));
        return Refused;
    }
    // Side by side on all cores, a picture at a time each; every picture streams, so memory stays small.
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (int i = next++; i < jobs.size(); i = next++) {
            Report report(true);
            try {
                if (convertOne(stamped, jobs[i], report) != Success)
                    failed = true;
            } catch (const std::exception &) { // bad_alloc, or a length_error on the way to it
                report.complain(jobs[i].picture + QStringLiteral(": not enough memory to convert this picture"));
                failed = true;
            }
        }
    };
    const int workers = int(std::min<qsizetype>(std::max(1u, std::thread::hardware_concurrency()), jobs.size()));
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    return failed ? Refused : Success;
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
    } catch (const std::exception &) { // bad_alloc, or a length_error on the way to it
        complain(options->pictures.first() + QStringLiteral(": not enough memory to convert this picture"));
        return Refused;
    }
}
