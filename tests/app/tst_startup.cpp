// Start-up and shut-down: the order in which the five windows come and go,
// what the settings file and the scratch bitmap look like afterwards, and
// the program's run from start to exit code.
#include "MainWindowTestSupport.h"

#include "Exceptions.h"
#include "Forms.h"
#include "MinimapSettings.h"
#include "PathPieces.h"
#include "SelDir.h"
#include "Settings.h"
#include "Startup.h"
#include "TesselAbout.h"
#include "TesselMain.h"
#include "TesselOptions.h"
#include "TesselPreview.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

using namespace tessel;
using namespace tessel::test;

namespace {

const QStringList FormNames{"TesselMainForm", "TesselOptionsForm", "SelDirForm", "TesselPreviewForm",
                            "TesselAboutForm"};

// Which process-wide references are set, as a string of five 0s and 1s in
// the order of creation.
QString ReferencesSet()
{
    QString set;
    for (const void* reference : {static_cast<const void*>(TesselMainForm), static_cast<const void*>(TesselOptionsForm),
                                  static_cast<const void*>(SelDirForm), static_cast<const void*>(TesselPreviewForm),
                                  static_cast<const void*>(TesselAboutForm)})
        set += reference ? QLatin1Char('1') : QLatin1Char('0');
    return set;
}

QString SettingsFile() { return QString::fromStdString(ShellSettingsFile()); }

QStringList VisibleWindows()
{
    QStringList names;
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            names.append(window->objectName());
    return names;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;

    QString MapPath(const char* name) const
    {
        return QDir::toNativeSeparators(QDir(scratch.filePath(QStringLiteral("maps"))).filePath(QLatin1String(name)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(scratch.filePath(QStringLiteral("maps"))));
        WriteFourEraArchive(scratch.filePath(QStringLiteral("MAINDAT.WAR")));
        WriteScenarioFile(MapPath("MAP01.PUD"));
    }

    void init()
    {
        MinimapSettings = TMinimapSettings{};
        QFile::remove(SettingsFile());
    }

    void cleanup()
    {
        DestroyForms();
        QCOMPARE(ReferencesSet(), QStringLiteral("00000"));
    }

    void theWindowsAreCreatedInTheirOrderWithTheSettingsLoadedFirst()
    {
        WriteSettingNumber(ShellSettingsFile(), "Settings", "Size32", 77);
        QStringList created;
        QStringList referencesAtCreation;
        QList<int> sizeAtCreation;
        FormHooks hooks;
        hooks.Created = [&](QWidget& form) {
            created.append(form.objectName());
            referencesAtCreation.append(ReferencesSet());
            sizeAtCreation.append(MinimapSettings.ImageSize(1));
        };
        CreateForms(hooks);

        QCOMPARE(created, FormNames);
        QCOMPARE(referencesAtCreation, (QStringList{"10000", "11000", "11100", "11110", "11111"}));
        QCOMPARE(sizeAtCreation, (QList<int>{77, 77, 77, 77, 77}));
        QCOMPARE(VisibleWindows(), QStringList());
    }

    void theWindowsAreDestroyedInTheReverseOrderWithTheMainWindowLast()
    {
        CreateForms();
        QStringList destroyed;
        for (QWidget* form : std::initializer_list<QWidget*>{TesselMainForm, TesselOptionsForm, SelDirForm,
                                                             TesselPreviewForm, TesselAboutForm})
            connect(form, &QObject::destroyed, this,
                    [&destroyed, name = form->objectName()] { destroyed.append(name); });
        TesselPreviewForm->show();
        QStringList referencesAtDestruction;
        FormHooks hooks;
        hooks.Destroying = [&](QWidget& form) {
            QVERIFY(!form.isVisible());
            referencesAtDestruction.append(ReferencesSet());
        };
        DestroyForms(hooks);

        QCOMPARE(destroyed, (QStringList{"TesselAboutForm", "TesselPreviewForm", "SelDirForm", "TesselOptionsForm",
                                         "TesselMainForm"}));
        QCOMPARE(referencesAtDestruction, (QStringList{"11110", "11100", "11000", "10000", "00000"}));
    }

    void aWindowThatFailsToBuildIsReleasedAndItsReferenceCleared()
    {
        QPointer<QWidget> failed;
        FormHooks hooks;
        hooks.Created = [&failed](QWidget& form) {
            if (form.objectName() == QStringLiteral("SelDirForm")) {
                failed = &form;
                throw EOutOfMemory();
            }
        };
        QVERIFY_THROWS_EXCEPTION(EOutOfMemory, CreateForms(hooks));
        QCOMPARE(ReferencesSet(), QStringLiteral("11000"));
        QVERIFY(failed.isNull());
    }

    void aStartWithoutChangesWritesNoSettingsFile()
    {
        CreateForms();
        DestroyForms();
        QVERIFY(!QFile::exists(SettingsFile()));
    }

    void theLastDirectoryIsStoredOnlyAfterAnAdd()
    {
        WriteSettingText(ShellSettingsFile(), "Last", "PUDDir", "/old/maps/");
        CreateForms();
        QCOMPARE(TesselMainForm->OpenDialogDirectory(), QStringLiteral("/old/maps/"));
        DestroyForms();
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""), std::string("/old/maps/"));

        CreateForms();
        TesselMainForm->AddScenarios({MapPath("MAP01.PUD"), QStringLiteral("/elsewhere/b.pud")});
        TesselMainForm->AddScenarios({QStringLiteral("/second/add/c.pud")});
        DestroyForms();
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""), std::string("/second/add/"));
    }

    void theScratchBitmapLiesInTheCacheFolderAndIsRemovedAtExit()
    {
        CreateForms();
        const QString scratchBitmap = QString::fromStdString(TesselMainForm->PreviewBmpPath);
        QCOMPARE(QFileInfo(scratchBitmap).fileName(),
                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".bmp"));
        QVERIFY(scratchBitmap.startsWith(QDir::toNativeSeparators(QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME")))));

        MinimapSettings.MainDat = scratch.filePath(QStringLiteral("MAINDAT.WAR")).toStdString();
        TesselMainForm->AddScenarios({MapPath("MAP01.PUD")});
        TesselMainForm->BtPreviewClick();
        QVERIFY(TesselPreviewForm->isVisible());
        QVERIFY(QFile::exists(scratchBitmap));
        DestroyForms();
        QVERIFY(!QFile::exists(scratchBitmap));
    }

    void theTitleComesFromTheProgramNameAndNoCaptionChanges()
    {
        InitialiseApplication();
        QCOMPARE(ApplicationTitle(), QStringLiteral("tst_startup"));
        QCOMPARE(QCoreApplication::applicationName(), ApplicationTitle());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("tst_startup"));
        QVERIFY(!QApplication::windowIcon().isNull());
        CreateForms();
        QCOMPARE(TesselMainForm->windowTitle(), QStringLiteral("Tessel V1.1"));
    }

    void aRunShowsOnlyTheMainWindowAndEndsWhenItIsClosedWithThePreviewOpen()
    {
        QStringList visibleAtStart;
        bool previewShown = false;
        QString scratchBitmap;
        FormHooks hooks;
        hooks.Created = [&](QWidget& form) {
            if (&form != TesselMainForm)
                return;
            TesselMainForm->AddScenarios({MapPath("MAP01.PUD")});
            QTimer::singleShot(0, [&] {
                visibleAtStart = VisibleWindows();
                MinimapSettings.MainDat = scratch.filePath(QStringLiteral("MAINDAT.WAR")).toStdString();
                TesselMainForm->findChild<QPushButton*>(QStringLiteral("BtPreview"))->click();
                previewShown = TesselPreviewForm->isVisible();
                scratchBitmap = QString::fromStdString(TesselMainForm->PreviewBmpPath);
                TesselMainForm->close();
            });
        };
        QCOMPARE(RunTessel(hooks), 0);

        QCOMPARE(visibleAtStart, QStringList{"TesselMainForm"});
        QVERIFY(previewShown);
        QCOMPARE(ReferencesSet(), QStringLiteral("00000"));
        QVERIFY(!scratchBitmap.isEmpty());
        QVERIFY(!QFile::exists(scratchBitmap));
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""),
                 DirectoryPart(MapPath("MAP01.PUD").toStdString()));
    }

    void aFailureWhileTheWindowsAreCreatedIsReportedAndGivesExitCode1()
    {
        FormHooks hooks;
        hooks.Created = [](QWidget& form) {
            if (form.objectName() == QStringLiteral("TesselPreviewForm"))
                throw EInOutError(io_error::FileNotFound);
        };
        BoxAnswerer answerer;
        QCOMPARE(RunTessel(hooks), 1);

        QCOMPARE(answerer.Seen().size(), 1u);
        QCOMPARE(answerer.Seen().front().caption, QStringLiteral("Application Error"));
        QCOMPARE(answerer.Seen().front().icon, QMessageBox::Critical);
        QCOMPARE(answerer.Texts().front(),
                 QStringLiteral("Exception EInOutError in module tst_startup.\nFile not found."));
        QCOMPARE(ReferencesSet(), QStringLiteral("00000"));
    }
};

TESSEL_MAIN_WINDOW_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
