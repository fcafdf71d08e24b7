#include "codewriters.h"

#include "core/clock.h"
#include "core/texts.h"
#include "imaging/pixeltable.h"

namespace {

const QLatin1String lineEnd("\r\n");

void appendHexDigits(QString &text, std::uint8_t byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    text.append(QLatin1Char(digits[byte >> 4]));
    text.append(QLatin1Char(digits[byte & 0x0F]));
}

// The four header lines, each opened by `open` and closed by `close` (";" and "" for A51, the comment
// delimiters for C51).
QString headerLines(QStringView open, QStringView close, const QString &picfile, const PixelTable &pixelinfo,
                    const CodeStamp &stamp)
{
    QString text;
    const auto line = [&](std::initializer_list<QStringView> parts) {
        text.append(open);
        text.append(u"----  ");
        for (QStringView part : parts)
            text.append(part);
        text.append(u"  ----");
        text.append(close);
        text.append(lineEnd);
    };
    const QString width = QString::number(pixelinfo.width());
    const QString height = QString::number(pixelinfo.height());
    line({u"图片文件来自：【", picfile, u"】"});
    line({u"图片宽度：", width, u"     图片高度：", height});
    line({u"本数据文件建立日期：20", stamp.date, u";  建立时间：", stamp.time});
    line({u"本数据文件由Tessaline【图片数据生成器】V1.0自动生成！"});
    return text;
}

// Runs `appendRow` for every picture row and collects the rows into codelines and codetext.
template <typename AppendRow>
GeneratedCode collectRows(QString header, const PixelTable &pixelinfo, qsizetype charsPerRow, QStringView activity,
                          const StatusSink &status, AppendRow appendRow)
{
    GeneratedCode code;
    code.codetext = std::move(header);
    code.codetext.reserve(code.codetext.size() + charsPerRow * pixelinfo.height());
    code.codelines.reserve(pixelinfo.height());
    for (int currow = 0; currow < pixelinfo.height(); ++currow) {
        QString row;
        row.reserve(charsPerRow);
        appendRow(row, currow);
        code.codetext.append(row);
        code.codelines.append(std::move(row));
        reportProgress(status, activity, currow, pixelinfo.height());
    }
    return code;
}

bool endsLine(int curcol, int bytesPerRow)
{
    return curcol == bytesPerRow - 1 || curcol % 16 == 15;
}

} // namespace

CodeStamp codeStampAt(const QDateTime &moment)
{
    return {dateText(moment), timeText(moment)};
}

GeneratedCode writeA51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status)
{
    const int bytes = pixelinfo.bytesPerRow();
    const qsizetype charsPerRow = 6 * bytes + 5 * ((bytes + 15) / 16);
    return collectRows(headerLines(u";", u"", picfile, pixelinfo, stamp), pixelinfo, charsPerRow, Texts::writingA51,
                       status, [&](QString &row, int currow) {
                           row.append(u"DB   ");
                           for (int curcol = 0; curcol < bytes; ++curcol) {
                               if (curcol % 16 == 0 && curcol != 0)
                                   row.append(u"DB   ");
                               row.append(u'0');
                               appendHexDigits(row, pixelinfo.packedByte(curcol, currow));
                               row.append(u'H');
                               row.append(endsLine(curcol, bytes) ? lineEnd : QLatin1String(", "));
                           }
                       });
}

GeneratedCode writeC51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status)
{
    const int bytes = pixelinfo.bytesPerRow();
    const qsizetype charsPerRow = 6 * bytes + 2 * ((bytes + 15) / 16);
    return collectRows(headerLines(u"/*", u"*/", picfile, pixelinfo, stamp), pixelinfo, charsPerRow, Texts::writingC51,
                       status, [&](QString &row, int currow) {
                           for (int curcol = 0; curcol < bytes; ++curcol) {
                               row.append(u"0x");
                               appendHexDigits(row, pixelinfo.packedByte(curcol, currow));
                               row.append(u", ");
                               if (endsLine(curcol, bytes))
                                   row.append(lineEnd);
                           }
                       });
}

GeneratedCode writeHex(const PixelTable &pixelinfo, const StatusSink &status)
{
    const int bytes = pixelinfo.bytesPerRow();
    GeneratedCode code;
    code.codebytes.resize(qsizetype(bytes) * pixelinfo.height());
    char *codebytes = code.codebytes.data();
    code.codetext.reserve((3 * qsizetype(bytes) + 2) * pixelinfo.height());
    code.codelines.reserve(pixelinfo.height());
    for (int currow = 0; currow < pixelinfo.height(); ++currow) {
        QString row;
        row.reserve(3 * bytes);
        for (int curcol = 0; curcol < bytes; ++curcol) {
            const std::uint8_t packed = pixelinfo.packedByte(curcol, currow);
            *codebytes++ = char(packed);
            appendHexDigits(row, packed);
            row.append(u' ');
        }
        code.codetext.append(row);
        code.codetext.append(lineEnd);
        code.codelines.append(std::move(row));
        reportProgress(status, Texts::writingHex, currow, pixelinfo.height());
    }
    return code;
}

GeneratedCode writeCode(CodeFormat format, const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                        const StatusSink &status)
{
    switch (format) {
    case CodeFormat::A51:
        return writeA51(pixelinfo, picfile, stamp, status);
    case CodeFormat::C51:
        return writeC51(pixelinfo, picfile, stamp, status);
    case CodeFormat::Hex:
        break;
    }
    return writeHex(pixelinfo, status);
}
