#include "MainWindowTestSupport.h"

#include "ArchiveWriter.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

namespace tessel::test {

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

}  // namespace tessel::test
