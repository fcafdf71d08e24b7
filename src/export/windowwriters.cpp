#include "windowwriters.h"

#include "core/texts.h"
#include "decode/decoder.h"
#include "export/filesave.h"
#include "export/road.h"
#include "imaging/pixeltable.h"

#include <utility>
#include <vector>

namespace {

// The pixel table as a picture for the road: black where an entry is 1, white elsewhere.
class TableRows : public PictureDecoder {
public:
    explicit TableRows(const PixelTable &table) : table_(table)
    {
        width_ = table.width();
        height_ = table.height();
    }

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        const std::uint8_t *entries = table_.row(y);
        for (std::int64_t x = 0; x < width_; ++x)
            row[x] = entries[x] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        return true;
    }

private:
    const PixelTable &table_;
};

// What the road hands on, taken a row at a time, and what the window will hold of it reserved as it comes, a
// byte of the road's taking `perByte` bytes held (the text as it arrives, a line of codelines and codetext, two
// bytes a character each; a HEX byte also as its listing) and a line's entry.
class RowSink : public ByteSink {
public:
    RowSink(const Limits &limits, Reservation &held, int perByte) : limits_(limits), held_(held), perByte_(perByte) {}
    bool write(const char *data, std::int64_t size) override
    {
        if (!limits_.reserve(perByte_ * size + 64, Subject::Thing::PictureHeld, &held_, &error_))
            return false;
        pending_.append(data, qsizetype(size));
        return true;
    }
    QByteArray take() { return std::exchange(pending_, {}); }

private:
    const Limits &limits_;
    Reservation &held_;
    int perByte_;
    QByteArray pending_;
};

// The window's export of `format`: the converter's road run over the pixel table, its text (or its bytes and
// their listing) collected a row at a time, with the progress after each row.
GeneratedCode runWriter(CodeFormat format, const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                        QStringView activity, const StatusSink &status, const Limits &limits)
{
    RoadOptions options;
    options.encode.format = format == CodeFormat::A51   ? OutputFormat::A51
                            : format == CodeFormat::C51 ? OutputFormat::C51
                                                        : OutputFormat::Hex;
    options.encode.picfile = picfile;
    options.encode.stamp = stamp;
    GeneratedCode code;
    QByteArray text;
    RowSink sink(limits, code.held, format == CodeFormat::Hex ? 20 : 6);
    options.rowsDone = [&](int done) {
        QByteArray chunk = sink.take();
        if (format == CodeFormat::Hex && done > 0) { // the bytes, and their listing for the viewer
            code.codebytes += chunk;
            QByteArray line;
            appendCodeRow(format, reinterpret_cast<const std::uint8_t *>(chunk.constData()), int(chunk.size()), line);
            code.codelines.append(QString::fromLatin1(line));
            text += line + "\r\n";
        } else if (format != CodeFormat::Hex) {
            text += chunk;
            if (done > 0)
                code.codelines.append(QString::fromLatin1(chunk));
        }
        if (done > 0)
            reportProgress(status, activity, done - 1, pixelinfo.height());
    };
    TableRows rows(pixelinfo);
    const RoadResult result = runRoad(rows, options, limits, sink);
    code.refusal = result.error;
    code.codetext = QString::fromUtf8(text + sink.take());
    return code;
}

} // namespace

GeneratedCode writeA51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits)
{
    return runWriter(CodeFormat::A51, pixelinfo, picfile, stamp, Texts::writingA51, status, limits);
}

GeneratedCode writeC51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits)
{
    return runWriter(CodeFormat::C51, pixelinfo, picfile, stamp, Texts::writingC51, status, limits);
}

GeneratedCode writeHex(const PixelTable &pixelinfo, const StatusSink &status, const Limits &limits)
{
    return runWriter(CodeFormat::Hex, pixelinfo, QString(), {}, Texts::writingHex, status, limits);
}
