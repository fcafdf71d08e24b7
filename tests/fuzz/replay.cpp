// Runs every file of the given folders (the seed corpus, the inputs that once failed) down the road that
// the fuzz target checks, without libFuzzer: a failure aborts.
//   fuzz_replay FOLDER...

#include "road.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    int files = 0;
    for (const QString &folder : QCoreApplication::arguments().mid(1)) {
        QDirIterator it(folder, QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            checkRoad(file.readAll());
            ++files;
        }
    }
    std::printf("%d files checked\n", files);
    return files > 0 ? 0 : 1;
}
