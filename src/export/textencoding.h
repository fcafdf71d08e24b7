#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The character sets that code.txt and the converter's text output are written in.
enum class TextEncoding { Utf8, Gbk, Gb18030 };

// The encoding that matches a locale's character set name (as nl_langinfo(CODESET) gives it): the Chinese
// national sets for a Chinese locale, UTF-8 for any other.
TextEncoding textEncodingForCodeset(QStringView codeset);
// The encoding that matches the current locale.
TextEncoding localeTextEncoding();

// "utf-8", "utf8", "gbk", "gb18030" (any case); nullopt for anything else.
std::optional<TextEncoding> textEncodingFromName(QStringView name);

struct EncodedText {
    QByteArray bytes;
    bool lossless = true; // false when some character has no code in the encoding and was written as '?'
};
EncodedText encodeText(const QString &text, TextEncoding encoding);
