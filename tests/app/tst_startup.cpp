// Start-up and shut-down: the order in which the five windows come and go,
// what the settings file and the scratch bitmap look like afterwards, and
// the program's run from start to exit code.
#include "MainWindowTestSupport.h"

#include "base/Exceptions.h"
#include "Forms.h"
#include "minimap/MinimapSettings.h"
#include "settings/Settings.h"
#include "Startup.h"
#include "TesselMain.h"
#include "TesselPreview.h"
#include "text/PathPieces.h"

#include <QFile>
#include <QPushButton>

using namespace tessel;
using namespace tessel::test;

namespace {

// Which process-wide references are set: five 0s and 1s in creation order.
QString ReferencesSet()
{
    QString set;
    for (bool reference : {bool(TesselMainForm), bool(TesselOptionsForm), bool(SelDirForm), bool(TesselPreviewForm),
                           bool(TesselAboutForm)})
        set += reference ? u'1' : u'0';
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

    QString Map01() const { return Native(scratch.filePath(QStringLiteral("maps/MAP01.PUD"))); }
    std::string Archive() const { return scratch.filePath(QStringLiteral("MAINDAT.WAR")).toStdString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(scratch.filePath(QStringLiteral("maps"))));
        WriteFourEraArchive(QString::fromStdString(Archive()));
        WriteScenarioFile(Map01());
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

    void theWindowsComeInTheirOrderWithTheSettingsLoadedFirstAndGoInTheReverseOne()
    {
        WriteSettingNumber(ShellSettingsFile(), "Settings", "Size32", 77);
        QStringList created;
        QStringList destroyed;
        QStringList references;  // at each creation, then at each destruction
        QList<int> sizeAtCreation;
        FormHooks hooks;
        hooks.Created = [&](QWidget& form) {
            created.append(form.objectName());
            references.append(ReferencesSet());
            sizeAtCreation.append(MinimapSettings.ImageSize(1));
            connect(&form, &QObject::destroyed, this, [&, name = form.objectName()] { destroyed.append(name); });
        };
        hooks.Destroying = [&](QWidget& form) {
            QVERIFY(!form.isVisible());
            references.append(ReferencesSet());
        };
        CreateForms(hooks);
        QCOMPARE(VisibleWindows(), QStringList());
        TesselPreviewForm->show();
        DestroyForms(hooks);

        const QStringList order{"TesselMainForm", "TesselOptionsForm", "SelDirForm", "TesselPreviewForm",
                                "TesselAboutForm"};
        QCOMPARE(created, order);
        QCOMPARE(destroyed, QStringList(order.rbegin(), order.rend()));
        QCOMPARE(references, (QStringList{"10000", "11000", "11100", "11110", "11111", "11110", "11100", "11000",
                                          "10000", "00000"}));
        QCOMPARE(sizeAtCreation, (QList<int>{77, 77, 77, 77, 77}));
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

    void aStartWithoutChangesWritesNoSettingsFileAndTheLastDirectoryIsStoredOnlyAfterAnAdd()
    {
        CreateForms();
        DestroyForms();
        QVERIFY(!QFile::exists(SettingsFile()));

        WriteSettingText(ShellSettingsFile(), "Last", "PUDDir", "/old/maps/");
        CreateForms();
        QCOMPARE(TesselMainForm->OpenDialogDirectory(), QStringLiteral("/old/maps/"));
        DestroyForms();
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""), std::string("/old/maps/"));

        CreateForms();
        TesselMainForm->AddScenarios({Map01(), QStringLiteral("/elsewhere/b.pud")});
        TesselMainForm->AddScenarios({QStringLiteral("/second/add/c.pud")});
        DestroyForms();
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""), std::string("/second/add/"));
    }

    void theTitleAndTheScratchBitmapInTheCacheFolderAreNamedAfterTheProgram()
    {
        InitialiseApplication();
        QCOMPARE(ApplicationTitle(), QStringLiteral("tst_startup"));
        QCOMPARE(QCoreApplication::applicationName(), ApplicationTitle());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("tst_startup"));
        QVERIFY(!QApplication::windowIcon().isNull());
        CreateForms();
        QCOMPARE(TesselMainForm->windowTitle(), QStringLiteral("Tessel V1.1"));
        const QString scratchBitmap = QString::fromStdString(TesselMainForm->PreviewBmpPath);
        QCOMPARE(QFileInfo(scratchBitmap).fileName(), QStringLiteral("tst_startup.bmp"));
        QVERIFY(scratchBitmap.startsWith(Native(QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME")))));
    }

    void aRunShowsOnlyTheMainWindowAndEndsWhenItIsClosedRemovingTheScratchBitmap()
    {
        QStringList visibleAtStart;
        bool previewShown = false;
        QString scratchBitmap;
        FormHooks hooks;
        hooks.Created = [&](QWidget& form) {
            if (&form != TesselMainForm)
                return;
            TesselMainForm->AddScenarios({Map01()});
            QTimer::singleShot(0, [&] {
                visibleAtStart = VisibleWindows();
                MinimapSettings.MainDat = Archive();
                TesselMainForm->findChild<QPushButton*>(QStringLiteral("BtPreview"))->click();
                scratchBitmap = QString::fromStdString(TesselMainForm->PreviewBmpPath);
                previewShown = TesselPreviewForm->isVisible() && QFile::exists(scratchBitmap);
                TesselMainForm->close();
            });
        };
        QCOMPARE(RunTessel(hooks), 0);

        QCOMPARE(visibleAtStart, QStringList{"TesselMainForm"});
        QVERIFY(previewShown);
        QCOMPARE(ReferencesSet(), QStringLiteral("00000"));
        QVERIFY(!QFile::exists(scratchBitmap));
        QCOMPARE(ReadSettingText(ShellSettingsFile(), "Last", "PUDDir", ""), DirectoryPart(Map01().toStdString()));
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

        QCOMPARE(answerer.Texts(), QStringList{"Exception EInOutError in module tst_startup.\nFile not found."});
        QCOMPARE(answerer.Seen().front().caption, QStringLiteral("Application Error"));
        QCOMPARE(answerer.Seen().front().icon, QMessageBox::Critical);
        QCOMPARE(ReferencesSet(), QStringLiteral("00000"));
    }
};

TESSEL_SHELL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
