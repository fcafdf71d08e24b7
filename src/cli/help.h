#pragma once

#include <QCommandLineParser>
#include <QString>

// What the converter says of itself before --help's list of options.
QString descriptionText();

// The help, with the usage line naming the program rather than the path it was started by (`startedAs`), and the
// options under the headings of their groups.
QString helpText(const QCommandLineParser &parser, const QString &startedAs);

// Qt's parser's own messages, in the words of the others: "Unknown option 'x'." reads "unknown option --x".
QString parserMessage(const QString &text);
