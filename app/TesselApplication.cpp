#include "TesselApplication.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "MessageBoxes.h"
#include "text/PathPieces.h"

#include <new>

namespace tessel {

QString ApplicationTitleFromPath(const QString& programFilePath)
{
    QString name = QString::fromStdString(FileNamePart(programFilePath.toStdString()));
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    if (firstDot >= 0)
        name.truncate(firstDot);
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    if (const auto* application = qobject_cast<const TTesselApplication*>(QCoreApplication::instance()))
        return application->Title();
    return ApplicationTitleFromPath(QCoreApplication::applicationFilePath());
}

void ShowDefaultErrorBox(const QString& message)
{
    ShowStopBox(ApplicationTitle(), message + QLatin1Char('.'));
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QString::fromStdString(EOutOfMemory().Message());
    } catch (const std::exception& exception) {
        return QString::fromStdString(exception.what());
    }
}

TTesselApplication::TTesselApplication(int& argc, char** argv)
    : QApplication(argc, argv), title_(ApplicationTitleFromPath(QCoreApplication::applicationFilePath()))
{
    InstallErrorBoxHandler();
}

TTesselApplication::~TTesselApplication() { SetErrorBoxHandler({}); }

bool TTesselApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception&) {
        message = CurrentExceptionMessage();
    }
    ShowDefaultErrorBox(message);
    return false;
}

}  // namespace tessel
