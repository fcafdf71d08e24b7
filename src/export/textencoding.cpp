#include "textencoding.h"

#include <QStringEncoder>

#include <clocale>
#include <langinfo.h>

TextEncoding textEncodingForCodeset(QStringView codeset)
{
    const QString name = codeset.toString().toUpper().remove(u'-').remove(u'_');
    if (name == u"GB18030")
        return TextEncoding::Gb18030;
    if (name == u"GBK" || name == u"GB2312" || name == u"EUCCN" || name == u"CP936")
        return TextEncoding::Gbk;
    return TextEncoding::Utf8;
}

TextEncoding localeTextEncoding()
{
    return textEncodingForCodeset(QString::fromLatin1(nl_langinfo(CODESET)));
}

std::optional<TextEncoding> textEncodingFromName(QStringView name)
{
    const QString key = name.toString().toLower();
    if (key == u"utf-8" || key == u"utf8")
        return TextEncoding::Utf8;
    if (key == u"gbk")
        return TextEncoding::Gbk;
    if (key == u"gb18030")
        return TextEncoding::Gb18030;
    return std::nullopt;
}

EncodedText encodeText(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return {text.toUtf8()}; // every character has a code
    QStringEncoder encoder(encoding == TextEncoding::Gbk ? "GBK" : "GB18030");
    QByteArray bytes = encoder.encode(text);
    return {bytes, !encoder.hasError()};
}
