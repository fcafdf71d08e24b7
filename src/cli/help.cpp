// --help: the description, and the options of the table under the headings of their groups; and Qt's parser's
// messages in the converter's own words.

#include "help.h"

#include "cli/optiontable.h"
#include "cli/report.h"

#include <QRegularExpression>

namespace {

const char *const description =
    R"(Turns a BMP, JPEG, GIF or PNG picture into data for 8051-class microcontrollers: A51 "DB" lines, C51
hex constants, SDCC assembler ".db" lines, the raw packed bytes, Intel HEX records of them, or a PBM or PNG
picture of them; or the frames of an animated GIF, the tiles of a sprite sheet, or the characters of a font,
each a frame of a table. By default a black pixel is a 1 bit (--pixel chooses grey levels or colours,
--display a controller's ink), 8 horizontal pixels make a byte, the leftmost in the top bit, rows top to
bottom, and only pixels of exactly black (#000000) are black: the window's export, byte for byte. The width
must then be a multiple of 8.

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

const char *heading(Group group)
{
    switch (group) {
    case Group::Output:
        return "What is written";
    case Group::Size:
        return "The picture brought to a size";
    case Group::Pixels:
        return "Pixels, and which are black";
    case Group::Packing:
        return "How the pixels are laid into bytes";
    case Group::Characters:
        return "Characters drawn with a font";
    case Group::Frames:
        return "Frames, tiles and compression";
    case Group::Files:
        return "Files";
    case Group::Limits:
        return "Limits";
    case Group::Information:
        break;
    }
    return "Information";
}

} // namespace

// Qt's parser's own messages, in the words of the others: "Unknown option 'x'." reads "unknown option --x".
QString parserMessage(const QString &text)
{
    const auto dashed = [](const QString &name) { return QString(name.size() == 1 ? 1 : 2, u'-') + name; };
    static const QRegularExpression unknown(QStringLiteral("^Unknown options?:? '?(.*?)'?\\.$"));
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression unexpected(QStringLiteral("^Unexpected value after '(.*)'\\.$"));
    if (const QRegularExpressionMatch m = unknown.match(text); m.hasMatch()) {
        QStringList names = m.captured(1).split(QStringLiteral(", "));
        for (QString &name : names)
            name = dashed(name);
        return (names.size() == 1 ? QStringLiteral("unknown option ") : QStringLiteral("unknown options ")) +
               names.join(QStringLiteral(", "));
    }
    if (const QRegularExpressionMatch m = missing.match(text); m.hasMatch())
        return m.captured(1) + QStringLiteral(" needs a value");
    if (const QRegularExpressionMatch m = unexpected.match(text); m.hasMatch())
        return m.captured(1) + QStringLiteral(" takes no value");
    QString message = text;
    if (message.endsWith(u'.'))
        message.chop(1);
    if (!message.isEmpty())
        message[0] = message[0].toLower();
    return message;
}

// The help, with the usage line naming the program rather than the path it was started by, and the options
// under the headings of their groups.
QString helpText(const QCommandLineParser &parser, const QString &startedAs)
{
    QString help = parser.helpText();
    const QString usage = QStringLiteral("Usage: ");
    if (help.startsWith(usage + startedAs))
        help.replace(usage.size(), startedAs.size(), QString::fromLatin1(programName));
    const QString options = QStringLiteral("\nOptions:\n");
    const qsizetype start = help.indexOf(options);
    std::optional<Group> last;
    for (const Entry *entry : byGroup()) {
        if (last == entry->group)
            continue;
        last = entry->group;
        QStringList dashed;
        for (const QString &name : entry->names)
            dashed << QString(name.size() == 1 ? 1 : 2, u'-') + name;
        const QString line = QStringLiteral("\n  ") + dashed.join(QStringLiteral(", "));
        for (qsizetype at = help.indexOf(line, start); at >= 0; at = help.indexOf(line, at + 1)) {
            const qsizetype end = at + line.size();
            const QChar after = end < help.size() ? help.at(end) : QChar();
            if (after == u' ' || after == u'\n') {
                help.insert(at + 1, QStringLiteral("\n%1:\n").arg(QLatin1String(heading(entry->group))));
                break;
            }
        }
    }
    return help.replace(options + u'\n', QStringLiteral("\n"));
}

QString descriptionText()
{
    return QString::fromUtf8(description);
}
