// Helpers of the main window and start-up tests: a private cache folder for
// the scratch bitmap, generated archives and scenarios, and the answers the
// batch run's boxes get.
#pragma once

#include "ShellTestSupport.h"

#include <QString>
#include <QTemporaryDir>

#include <cstdint>

namespace tessel::test {

// Points XDG_CACHE_HOME at a fresh folder for the whole test program, so
// that the scratch preview bitmap never lands in the real cache.
class PrivateCacheFolder {
public:
    PrivateCacheFolder();
    const QTemporaryDir& Folder() const { return folder_; }

private:
    QTemporaryDir folder_;
};

// An archive holding the four test eras, era e made with seed e + 1.
void WriteFourEraArchive(const QString& path);

// A valid scenario of era and side, all tiles code 0, without units.
void WriteScenarioFile(const QString& path, uint16_t era = 0, uint16_t side = 32);

// A file that is no scenario: text without any chunk.
void WriteBrokenScenarioFile(const QString& path);

// Answers "Confirm" boxes with the button confirmText ("&Yes" or "&No")
// and every other box with Enter.
BoxAnswerer::Answer AnswerConfirmWith(const QString& confirmText);

}  // namespace tessel::test

// main() of a test program that makes minimaps: private settings and cache
// folders, the real application object, then the test object's slots.
#define TESSEL_MAIN_WINDOW_TEST_MAIN(TestObject)            \
    int main(int argc, char** argv)                         \
    {                                                       \
        tessel::test::PrivateConfigFolder configFolder;     \
        tessel::test::PrivateCacheFolder cacheFolder;       \
        tessel::TTesselApplication application(argc, argv); \
        TestObject test;                                    \
        return QTest::qExec(&test, argc, argv);             \
    }
