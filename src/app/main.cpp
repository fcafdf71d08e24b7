#include "core/version.h"
#include "app/form1.h"
#include "app/qtplatform.h"
#include "windows/fontfamilies.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The command line as the shell passed it, before Qt takes out the options it knows.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALINE_VERSION));

    // The program speaks Chinese whatever the locale, Qt's own buttons and dialogs included (OK reads 确定).
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QFont font = QApplication::font();
    font.setFamilies(chineseFontFamilies());
    font.setPointSize(9);
    QApplication::setFont(font);

    QtPlatform platform(arguments);
    Form1 form(platform);
    platform.setWindow(&form);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
