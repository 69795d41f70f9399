#include "MainWindowTestSupport.h"

#include "ArchiveWriter.h"
#include "ScenarioWriter.h"

#include <QFile>

namespace tessel::test {

PrivateCacheFolder::PrivateCacheFolder() { qputenv("XDG_CACHE_HOME", folder_.path().toLocal8Bit()); }

void WriteFourEraArchive(const QString& path)
{
    ArchiveWriter archive;
    for (int era = 0; era < 4; ++era)
        archive.Era(era, MakeTestEra(static_cast<uint8_t>(era + 1)));
    archive.WriteTo(path.toStdString());
}

void WriteScenarioFile(const QString& path, uint16_t era, uint16_t side)
{
    ScenarioContent content;
    content.Era = era;
    content.Side = side;
    WriteScenario(content).WriteTo(path.toStdString());
}

void WriteBrokenScenarioFile(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("this is not a scenario");
}

BoxAnswerer::Answer AnswerConfirmWith(const QString& confirmText)
{
    return [confirmText](QMessageBox& box) {
        if (box.windowTitle() == QStringLiteral("Confirm"))
            PressButton(box, confirmText);
        else
            PressKey(box, Qt::Key_Return);
    };
}

}  // namespace tessel::test
