#include "qtplatform.h"

#include "core/twips.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

QtPlatform::QtPlatform(QStringList arguments) : arguments_(std::move(arguments)) {}

void QtPlatform::ShowOpen(OpenFileDialog &dialog)
{
    const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), dialog.FileName,
                                                        qtNameFilters(dialog.Filter));
    if (!chosen.isEmpty())
        dialog.FileName = chosen;
}

void QtPlatform::messageBox(const QString &text, const QString &title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information, title, text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

namespace {

const QScreen *screenOf(const QWidget *window)
{
    const QScreen *screen = window ? window->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

QSizeF QtPlatform::screenSize() const
{
    const QSize size = screenOf(window_)->geometry().size();
    return {twipsFromPixels(size.width()), twipsFromPixels(size.height())};
}

QRectF QtPlatform::usableArea() const
{
    const QRect area = screenOf(window_)->availableGeometry();
    return {twipsFromPixels(area.x()), twipsFromPixels(area.y()), twipsFromPixels(area.width()),
            twipsFromPixels(area.height())};
}

QDateTime QtPlatform::now() const
{
    // Always the real local time: SOURCE_DATE_EPOCH is for reproducible files from the converter, not for the
    // window's clock or the files it writes.
    return QDateTime::currentDateTime();
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
