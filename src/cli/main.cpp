// tessaline-cli: the converter for build pipelines. It runs the same row functions as the window's export
// (width check, optional black-and-white conversion, black test and packing, writer) over the rows of the
// picture as they are decoded, writing each row's output as it is made, so it never holds the whole picture.
// Its options (layouts, bit order, thresholds, dithering, turning, PNG, PBM, a preview, headers) are parameters
// of that one road; without them it writes, byte for byte, what the window writes.
//
// options: the command line; batch: which pictures go where; job: one picture down the road; report: what is
// said on standard error.

#include "core/version.h"
#include "cli/batch.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/wording.h"

#include <QCoreApplication>

#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALINE_VERSION));

    int exitCode = UsageError;
    QList<QByteArray> words;
    for (int i = 0; i < argc; ++i)
        words << QByteArray(argv[i]);
    const std::optional<Options> options = parseOptions(words, &exitCode);
    if (!options)
        return exitCode;
    try {
        return convert(*options);
    } catch (const std::exception &) { // bad_alloc, or a length_error on the way to it
        // What ran out is named: the picture, or the font whose characters were drawn.
        complain((options->font.isEmpty() ? options->pictures.first() : options->font) + QStringLiteral(": ") +
                 worded(Refusal(Refusal::Rule::OutOfMemory)));
        return Refused;
    }
}
