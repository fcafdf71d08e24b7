// The option table against what is written about it by hand: the manual page and the shell completion name
// exactly its options, and offer exactly the values of each option that takes names.

#include "cli/optiontable.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class tst_Options : public QObject {
    Q_OBJECT

private slots:
    void manualAndCompletionNameTheTable();
};

namespace {

QSet<QString> matches(const QString &text, const QRegularExpression &pattern, int group = 0)
{
    QSet<QString> found;
    for (const QRegularExpressionMatch &m : pattern.globalMatch(text))
        found << m.captured(group);
    return found;
}

QString textOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString sorted(QSet<QString> set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list.join(u' ');
}

} // namespace

void tst_Options::manualAndCompletionNameTheTable()
{
    QSet<QString> table;
    QHash<QString, QSet<QString>> values;
    for (const Entry &entry : entries()) {
        const QString option = QStringLiteral("--") + entry.names.constLast();
        table << option;
        if (!entry.parse.choices.isEmpty())
            values.insert(option, QSet<QString>(entry.parse.choices.begin(), entry.parse.choices.end()));
    }
    const QString manual = textOf(QStringLiteral(TESSALINE_SOURCE "/docs/man/tessaline-cli.1"))
                               .replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const QString completion = textOf(QStringLiteral(TESSALINE_SOURCE "/data/bash-completion/tessaline-cli"));
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z0-9-]*"));
    QCOMPARE(sorted(matches(manual, option)), sorted(table));
    // The options offered after a dash, in the one list of them.
    const QString offered = completion.mid(completion.indexOf(QStringLiteral("[[ $cur == -* ]]")));
    QCOMPARE(sorted(matches(offered.left(offered.indexOf(QStringLiteral("return"))), option)), sorted(table));
    // The values offered after an option: its case, "--pixel) COMPREPLY=($(compgen -W 'mono gray2 ...'".
    static const QRegularExpression branch(
        QStringLiteral("((?:-[a-z] \\| )?--[a-z-]+)\\)\\s*COMPREPLY=\\(\\$\\(compgen -W '([^']*)'"));
    QHash<QString, QSet<QString>> completed;
    for (const QRegularExpressionMatch &m : branch.globalMatch(completion)) {
        const QStringList words = m.captured(2).simplified().split(u' ');
        completed.insert(m.captured(1).section(QStringLiteral(" | "), -1), QSet<QString>(words.begin(), words.end()));
    }
    QCOMPARE(QSet<QString>(completed.keyBegin(), completed.keyEnd()),
             QSet<QString>(values.keyBegin(), values.keyEnd()));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        QCOMPARE(sorted(completed.value(it.key())), sorted(it.value()));
        for (const QString &value : it.value()) // and the manual names each value
            QVERIFY2(
                manual.contains(QRegularExpression(QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(value) +
                                                   QStringLiteral("(?![\\w-])"))),
                qPrintable(it.key() + u' ' + value));
    }
}

QTEST_GUILESS_MAIN(tst_Options)
#include "tst_options.moc"
