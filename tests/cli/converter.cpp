#include "converter.h"

#include "support/testpictures.h"

#include <QProcess>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ');
}

QByteArray afterHeader(const QByteArray &text)
{
    return text.mid(std::max(text.lastIndexOf("  ----*/\r\n") + 10, text.lastIndexOf("  ----\r\n") + 8));
}

ConverterTest::ConverterTest()
{
    picture(QStringLiteral("t.bmp"), TestPictures::encodeBmp(TestPictures::workedExample(), 24));
}

Run ConverterTest::runInShell(const QString &commandLine)
{
    qputenv("CLI", TESSALINE_CLI);
    return run({QStringLiteral("-c"), commandLine}, exampleEpoch, {}, {}, QStringLiteral("/bin/sh"));
}

Run ConverterTest::run(const QStringList &arguments, const QByteArray &epoch, const std::function<void()> &inChild,
                       const QByteArray &input, const QString &program)
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (epoch.isEmpty())
        env.remove(QStringLiteral("SOURCE_DATE_EPOCH"));
    else
        env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::fromLatin1(epoch));
    // Words NAME=VALUE before the arguments are the environment's, as a shell takes them.
    QStringList rest = arguments;
    for (; !rest.isEmpty() && rest.first().contains(u'=') && !rest.first().startsWith(u'-'); rest.removeFirst())
        env.insert(rest.first().section(u'=', 0, 0), rest.first().section(u'=', 1));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(program.isEmpty() ? QStringLiteral(TESSALINE_CLI) : program, rest);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        qFatal("the converter did not finish");
    Run result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

long ConverterTest::peakKiB(const QList<QByteArray> &options, int exitCode)
{
    QList<QByteArray> arguments = QList<QByteArray>{TESSALINE_CLI} + options;
    std::vector<char *> argv;
    for (QByteArray &a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != exitCode)
        return -1;
#if defined(__SANITIZE_ADDRESS__) // its shadow memory and quarantine would be counted too
    return 0;
#endif
    return usage.ru_maxrss;
}

QString ConverterTest::picture(const QString &name, const QByteArray &data)
{
    TestPictures::writeIn(dir.path(), name, data);
    return name;
}
