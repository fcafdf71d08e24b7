#include "charsets.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <iconv.h>
#include <unicode/uchar.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

namespace {

// GB2312 through glibc's converters, opened once. Two of its codes have two readings: A1A4 and A1AA are U+30FB
// and U+2015 in GB2312's first tables, U+00B7 and U+2014 as GBK (Windows' code page 936) and every text and font
// today reads them; the characters are taken in today's reading, and either reading finds the code.
class Gb2312 {
public:
    Gb2312()
        : toGb_(iconv_open("GB2312", "UTF-32LE")), fromGb_(iconv_open("UTF-32LE", "GB2312")),
          toGbk_(iconv_open("GBK", "UTF-32LE")), fromGbk_(iconv_open("UTF-32LE", "GBK"))
    {
    }
    ~Gb2312()
    {
        for (iconv_t cd : {toGb_, fromGb_, toGbk_, fromGbk_})
            if (cd != iconv_t(-1))
                iconv_close(cd);
    }
    Gb2312(const Gb2312 &) = delete;
    Gb2312 &operator=(const Gb2312 &) = delete;

    std::uint16_t codeOf(char32_t c)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const std::uint16_t gbk = encode(toGbk_, c);
        if (gbk < 0x80 || (gbk >= 0x100 && decode(fromGb_, std::uint8_t(gbk >> 8), std::uint8_t(gbk & 0xFF))))
            return gbk; // GBK's code of a character GB2312 has
        return encode(toGb_, c);
    }
    // The character the two bytes are in GB2312, in today's reading; 0 where they are none.
    char32_t character(unsigned char high, unsigned char low)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return decode(fromGb_, high, low) ? decode(fromGbk_, high, low) : 0;
    }

private:
    std::uint16_t encode(iconv_t cd, char32_t c)
    {
        char in[4] = {char(c & 0xFF), char((c >> 8) & 0xFF), char((c >> 16) & 0xFF), char(c >> 24)};
        unsigned char out[4] = {};
        if (!convert(cd, in, 4, reinterpret_cast<char *>(out), sizeof out))
            return 0;
        return used_ == 1 ? out[0] : used_ == 2 ? std::uint16_t(out[0] << 8 | out[1]) : 0;
    }
    char32_t decode(iconv_t cd, unsigned char high, unsigned char low)
    {
        char in[2] = {char(high), char(low)};
        unsigned char out[4] = {};
        if (!convert(cd, in, 2, reinterpret_cast<char *>(out), sizeof out) || used_ != 4)
            return 0;
        return char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 | char32_t(out[3]) << 24;
    }

    bool convert(iconv_t cd, char *in, std::size_t inBytes, char *out, std::size_t outBytes)
    {
        if (cd == iconv_t(-1))
            return false;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *inAt = in;
        char *outAt = out;
        std::size_t inLeft = inBytes, outLeft = outBytes;
        const bool done = iconv(cd, &inAt, &inLeft, &outAt, &outLeft) != std::size_t(-1) && inLeft == 0;
        used_ = outBytes - outLeft;
        return done;
    }

    iconv_t toGb_;
    iconv_t fromGb_;
    iconv_t toGbk_;
    iconv_t fromGbk_;
    std::size_t used_ = 0;
    std::mutex mutex_;
};

Gb2312 &gb2312()
{
    static Gb2312 converter;
    return converter;
}

// A text file's bytes decoded a piece at a time by glibc's converters into UTF-16; a character cut between two
// pieces is carried over to the next.
class PieceDecoder {
public:
    explicit PieceDecoder(TextFileEncoding encoding)
        : cd_(iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE",
                         encodingName(encoding)))
    {
    }
    ~PieceDecoder()
    {
        if (cd_ != iconv_t(-1))
            iconv_close(cd_);
    }
    PieceDecoder(const PieceDecoder &) = delete;
    PieceDecoder &operator=(const PieceDecoder &) = delete;

    // The characters of the next piece, as far as they are of the encoding: false when it stops before the
    // piece's end (`text` then holds what came before).
    bool decode(const QByteArray &piece, QString *text)
    {
        QByteArray in = carried_ + piece;
        carried_.clear();
        text->resize(in.size()); // a character takes at least as many bytes as UTF-16 units
        char *inAt = in.data();
        auto *outAt = reinterpret_cast<char *>(text->data());
        std::size_t inLeft = std::size_t(in.size()), outLeft = 2 * std::size_t(text->size());
        bool decoded = cd_ != iconv_t(-1);
        if (decoded && iconv(cd_, &inAt, &inLeft, &outAt, &outLeft) == std::size_t(-1)) {
            if (errno == EINVAL) // the piece ends inside a character
                carried_ = QByteArray(inAt, qsizetype(inLeft));
            else
                decoded = false;
        }
        text->resize(text->size() - qsizetype(outLeft / 2));
        if (started_ || text->isEmpty())
            return decoded;
        started_ = true;
        if (text->front() == QChar(0xFEFF)) // a byte-order mark
            text->remove(0, 1);
        return decoded;
    }
    // Whether the text ended inside a character.
    bool cutShort() const { return !carried_.isEmpty(); }

private:
    iconv_t cd_;
    QByteArray carried_;
    bool started_ = false;
};

} // namespace

void DistinctCharacters::add(QStringView text)
{
    forEachCharacter(text, [&](char32_t c) {
        if (c == last_) // a run of one character looks it up once
            return;
        last_ = c;
        if (c != U'\n' && c != U'\r' && seen_.insert(c).second)
            list.append(c);
    });
}

const char *encodingName(TextFileEncoding encoding)
{
    switch (encoding) {
    case TextFileEncoding::Utf8:
        break;
    case TextFileEncoding::Gbk:
        return "GBK";
    case TextFileEncoding::Gb18030:
        return "GB18030";
    case TextFileEncoding::Utf16:
        return "UTF-16";
    }
    return "UTF-8";
}

std::optional<QList<char32_t>> charactersOfTextFile(const QString &path, TextFileEncoding encoding,
                                                    const Limits &limits, Refusal *error)
{
    const Subject what{Subject::Thing::TextFile, path};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Refusal(Refusal::Rule::ReadFailed, what).saying(file.errorString());
        return std::nullopt;
    }
    PieceDecoder decoder(encoding);
    DistinctCharacters distinct;
    std::int64_t length = 0;
    std::int64_t line = 1;
    const auto notDecoded = [&] {
        *error =
            Refusal::of(Refusal::Rule::NotDecoded, what, line, 0).saying(QString::fromLatin1(encodingName(encoding)));
        return std::nullopt;
    };
    QString text;
    for (QByteArray piece; !(piece = file.read(1 << 16)).isEmpty();) {
        length += piece.size();
        if (!limits.fitsRead(length, what, error))
            return std::nullopt;
        const bool decoded = decoder.decode(piece, &text);
        distinct.add(text);
        line += text.count(u'\n');
        if (!decoded) // at once: a file of noise is not read to the memory limit first
            return notDecoded();
    }
    if (file.error() != QFileDevice::NoError) {
        *error = Refusal(Refusal::Rule::ReadFailed, what).saying(file.errorString());
        return std::nullopt;
    }
    if (decoder.cutShort())
        return notDecoded();
    return distinct.list;
}

namespace {

// What holding a line of `capacity` characters takes: its characters, and its place in the list of lines (with
// the room the list keeps to grow).
std::int64_t lineBytes(qsizetype capacity)
{
    return 2 * std::int64_t(capacity) + 64 + 2 * std::int64_t(sizeof(QString));
}

} // namespace

std::optional<TextLines> linesOfTextFile(const QString &path, TextFileEncoding encoding, const Limits &limits,
                                         Refusal *error)
{
    const Subject what{Subject::Thing::StringsFile, path};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Refusal(Refusal::Rule::ReadFailed, what).saying(file.errorString());
        return std::nullopt;
    }
    TextLines text;
    PieceDecoder decoder(encoding);
    const auto notDecoded = [&] {
        *error = Refusal::of(Refusal::Rule::NotDecoded, what, text.lines.size() + 1, 0)
                     .saying(QString::fromLatin1(encodingName(encoding)));
        return std::nullopt;
    };
    QString line;              // the line being read
    std::int64_t lineHeld = 0; // what it holds, reserved
    bool afterReturn = false;  // the last character was a CR, which ends a line alone or before an LF
    // Every line is reserved as it grows (its capacity, which may run ahead of it), and its entry in the list.
    const auto held = [&] {
        const std::int64_t bytes = lineBytes(line.capacity());
        if (bytes > lineHeld && !limits.reserve(bytes - lineHeld, what, &text.held, error))
            return false;
        lineHeld = std::max(lineHeld, bytes);
        return true;
    };
    const auto end = [&] {
        line.squeeze();
        text.held.giveBack(lineHeld - lineBytes(line.capacity()));
        text.lines.append(line);
        line = QString();
        lineHeld = 0;
        return held();
    };
    std::int64_t length = 0;
    QString decoded;
    for (QByteArray piece; !(piece = file.read(1 << 16)).isEmpty();) {
        length += piece.size();
        if (!limits.fitsRead(length, what, error))
            return std::nullopt;
        const bool whole = decoder.decode(piece, &decoded);
        for (qsizetype at = 0; at < decoded.size();) {
            if (afterReturn && decoded[at] == u'\n') { // the LF of a CR LF
                afterReturn = false;
                ++at;
                continue;
            }
            qsizetype lineEnd = at;
            while (lineEnd < decoded.size() && decoded[lineEnd] != u'\n' && decoded[lineEnd] != u'\r')
                ++lineEnd;
            line += QStringView(decoded).mid(at, lineEnd - at);
            if (!held())
                return std::nullopt;
            if (lineEnd == decoded.size())
                break;
            afterReturn = decoded[lineEnd] == u'\r';
            if (!end())
                return std::nullopt;
            at = lineEnd + 1;
        }
        if (!whole) // at once, at its line: a file of noise is not read to the memory limit first
            return notDecoded();
    }
    if (file.error() != QFileDevice::NoError) {
        *error = Refusal(Refusal::Rule::ReadFailed, what).saying(file.errorString());
        return std::nullopt;
    }
    if (decoder.cutShort())
        return notDecoded();
    if (!line.isEmpty() && !end()) // a last line without its line end
        return std::nullopt;
    return text;
}

std::optional<QList<char32_t>> charactersOfRanges(QStringView text, qsizetype most)
{
    static const QRegularExpression range(QStringLiteral("^[Uu]\\+([0-9A-Fa-f]{1,6})(?:-[Uu]\\+([0-9A-Fa-f]{1,6}))?$"));
    QList<char32_t> characters;
    std::set<char32_t> seen;
    for (const QStringView part : text.split(u',')) {
        const QRegularExpressionMatch m = range.match(part.toString());
        if (!m.hasMatch())
            return std::nullopt;
        const char32_t first = m.captured(1).toUInt(nullptr, 16);
        const char32_t last = m.capturedLength(2) ? m.captured(2).toUInt(nullptr, 16) : first;
        if (first > last || last > 0x10FFFF || std::int64_t(last - first) >= most)
            return std::nullopt;
        for (char32_t c = first; c <= last; ++c)
            if ((c < 0xD800 || c > 0xDFFF) && seen.insert(c).second) {
                if (characters.size() == most)
                    return std::nullopt;
                characters.append(c);
            }
    }
    return characters;
}

QList<char32_t> gb2312Grid()
{
    QList<char32_t> grid;
    for (int high = 0xA1; high <= 0xF7; ++high)
        for (int low = 0xA1; low <= 0xFE; ++low)
            grid.append(gb2312().character(std::uint8_t(high), std::uint8_t(low)));
    return grid;
}

std::optional<QList<char32_t>> charactersOfSet(const QString &name)
{
    QList<char32_t> characters;
    if (name.compare(u"ascii", Qt::CaseInsensitive) == 0) {
        for (char32_t c = 0x20; c <= 0x7E; ++c)
            characters.append(c);
        return characters;
    }
    if (name.compare(u"gb2312", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (int high = 0xA1; high <= 0xF7; ++high)
        for (int low = 0xA1; low <= 0xFE; ++low)
            if (const char32_t c = gb2312().character(std::uint8_t(high), std::uint8_t(low)))
                characters.append(c);
    return characters;
}

std::uint16_t gb2312Code(char32_t c)
{
    return gb2312().codeOf(c);
}

bool isWide(char32_t c)
{
    const int width = u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH || width == U_EA_AMBIGUOUS;
}

QString characterLabel(char32_t c)
{
    QString label =
        QString::fromUcs4(&c, 1) + QStringLiteral(" U+%1").arg(quint32(c), 4, 16, QLatin1Char('0')).toUpper();
    if (const std::uint16_t code = gb2312Code(c); code >= 0x100)
        label += QStringLiteral(" GB2312 %1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
    return label;
}
