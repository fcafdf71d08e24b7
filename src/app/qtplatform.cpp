#include "qtplatform.h"

#include "app/twips.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

QtPlatform::QtPlatform(QStringList arguments) : arguments_(std::move(arguments)) {}

void QtPlatform::ShowOpen(OpenFileDialog &dialog)
{
    const QString chosen =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), dialog.FileName, qtNameFilters(dialog.Filter));
    if (!chosen.isEmpty())
        dialog.FileName = chosen;
}

void QtPlatform::messageBox(const QString &text, const QString &title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information, title, text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QSizeF QtPlatform::screenSize() const
{
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return {twipsFromPixels(size.width()), twipsFromPixels(size.height())};
}

QRectF QtPlatform::usableArea() const
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return {twipsFromPixels(area.x()), twipsFromPixels(area.y()), twipsFromPixels(area.width()),
            twipsFromPixels(area.height())};
}

QDateTime QtPlatform::now() const
{
    return SystemClock().now();
}

QString QtPlatform::programDirectory() const
{
    return QCoreApplication::applicationDirPath();
}

QString QtPlatform::commandLine() const
{
    return arguments_.mid(1).join(u' ');
}

void QtPlatform::endProgram()
{
    QCoreApplication::exit(0);
}
