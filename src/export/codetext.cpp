#include "codetext.h"

#include "core/clock.h"
#include "core/version.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

const QLatin1String lineEnd("\r\n");

// Every byte's entry in each format, made once: "0xxH", "0xXX", "XX ".
struct EntryTexts {
    std::array<std::array<char, 4>, 256> a51{};
    std::array<std::array<char, 4>, 256> c51{};
    std::array<std::array<char, 3>, 256> hex{};
};

const EntryTexts &entryTexts()
{
    static const EntryTexts texts = [] {
        static constexpr char digits[] = "0123456789ABCDEF";
        EntryTexts t;
        for (int v = 0; v < 256; ++v) {
            const char high = digits[v >> 4];
            const char low = digits[v & 0x0F];
            t.a51[v] = {'0', high, low, 'H'};
            t.c51[v] = {'0', 'x', high, low};
            t.hex[v] = {high, low, ' '};
        }
        return t;
    }();
    return texts;
}

char *put(char *out, const char *text, std::size_t length)
{
    std::memcpy(out, text, length);
    return out + length;
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

QString codeHeader(CodeFormat format, const QString &picfile, int width, int height, const CodeStamp &stamp,
                   const QStringList &notes, bool font, const GlyphTableShape *table)
{
    if (format == CodeFormat::Hex)
        return QString();
    const QStringView open = format == CodeFormat::C51 ? u"/*" : u";";
    const QStringView close = format == CodeFormat::C51 ? u"*/" : u"";
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
    line({font ? u"字体文件来自：【" : u"图片文件来自：【", textInComment(format, picfile), u"】"});
    if (!table)
        line({u"图片宽度：", QString::number(width), u"     图片高度：", QString::number(height)});
    else if (table->cropped)
        line({u"字形数：", QString::number(table->glyphs), u"     按墨迹裁剪，最大：", QString::number(table->width),
              u" × ", QString::number(table->height), u"     行高：", QString::number(table->lineHeight)});
    else
        line({u"字形数：", QString::number(table->glyphs),
              table->varying ? u"     字格宽度不一，最大：" : u"     字格：", QString::number(table->width), u" × ",
              QString::number(table->height), u"     行高：", QString::number(table->lineHeight)});
    line({u"本数据文件建立日期：", stamp.date, u";  建立时间：", stamp.time});
    line({u"本数据文件由Tessaline【图片数据生成器】V" TESSALINE_VERSION u"自动生成！"});
    for (const QString &note : notes)
        line({textInComment(format, note)});
    return text;
}

QString onOneLine(QStringView text)
{
    // Format characters too: a bidirectional override (U+202E) would show a comment's text in another order than
    // the compiler reads it.
    QString line;
    line.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            line += u'?';
        else
            line += QString::fromUcs4(&c, 1);
    }
    return line;
}

QString textInComment(CodeFormat format, QStringView text)
{
    QString inert = onOneLine(text);
    // Neither an end nor a second start: "/*" within a comment is a warning that -Werror makes an error.
    if (format == CodeFormat::C51) {
        inert.replace(QStringLiteral("*/"), QStringLiteral("*\\/"));
        inert.replace(QStringLiteral("/*"), QStringLiteral("/\\*"));
    }
    return inert;
}

void appendCodeRow(CodeFormat format, const std::uint8_t *bytes, int count, QByteArray &out)
{
    const EntryTexts &t = entryTexts();
    const qsizetype lines = (count + 15) / 16;
    const qsizetype start = out.size();
    char *p = nullptr;
    switch (format) {
    case CodeFormat::A51:
    case CodeFormat::Sdas: { // "DB   081H, 0FFH" or "\t.db 0x81, 0xFF", 16 a line
        const auto &entries = format == CodeFormat::A51 ? t.a51 : t.c51;
        const char *const prefix = format == CodeFormat::A51 ? "DB   " : "\t.db ";
        out.resize(start + 6 * qsizetype(count) + 5 * lines);
        p = out.data() + start;
        for (int curcol = 0; curcol < count; ++curcol) {
            if (curcol % 16 == 0)
                p = put(p, prefix, 5);
            p = put(p, entries[bytes[curcol]].data(), 4);
            p = put(p, endsLine(curcol, count) ? "\r\n" : ", ", 2);
        }
        break;
    }
    case CodeFormat::C51: {
        out.resize(start + 6 * qsizetype(count) + 2 * lines);
        p = out.data() + start;
        for (int curcol = 0; curcol < count; ++curcol) {
            p = put(p, t.c51[bytes[curcol]].data(), 4);
            p = put(p, ", ", 2);
            if (endsLine(curcol, count))
                p = put(p, "\r\n", 2);
        }
        break;
    }
    case CodeFormat::Hex: {
        out.resize(start + 3 * qsizetype(count));
        p = out.data() + start;
        for (int curcol = 0; curcol < count; ++curcol)
            p = put(p, t.hex[bytes[curcol]].data(), 3);
        break;
    }
    }
    // Every entry lies where the size made for it says: a loop that disagreed with the size would have written past
    // the text, and stops the program here.
    if (p != out.data() + out.size())
        std::abort();
}
