// The main window as a user drives it: adding, removing, previewing and the
// batch run, with the real windows, generated archives and scenarios.
#include "MainWindowTestSupport.h"

#include "base/Exceptions.h"
#include "ExtentListBox.h"
#include "Forms.h"
#include "HostileScenarios.h"
#include "Layout.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapSettings.h"
#include "ScenarioList.h"
#include "SelDir.h"
#include "settings/Settings.h"
#include "Startup.h"
#include "TesselAbout.h"
#include "TesselMain.h"
#include "TesselOptions.h"
#include "TesselPreview.h"
#include "text/PathPieces.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include <memory>

using namespace tessel;
using namespace tessel::test;

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> scratch;
    QString maps;
    QString out;
    QString chooserCaption;  // of the last directory chooser answered
    std::string chooserPreset;

    TTesselMainForm& Main() const { return *TesselMainForm; }
    ExtentListBox* List() const { return Main().findChild<ExtentListBox*>(QStringLiteral("PUDList")); }
    QStringList Entries() const { return List()->Entries(); }
    QString MapPath(const QString& name) const { return Native(QDir(maps).filePath(name)); }
    QStringList MapPaths(const QStringList& names) const
    {
        QStringList paths;
        for (const QString& name : names)
            paths.append(MapPath(name));
        return paths;
    }
    QString OutPath(const QString& name) const { return QDir(out).filePath(name); }

    ListButtonStates States() const
    {
        const auto enabled = [this](const char* name) {
            return Main().findChild<QPushButton*>(QLatin1String(name))->isEnabled();
        };
        return {enabled("BtRemove"), enabled("BtClear"), enabled("BtPreview"), enabled("BtBatch")};
    }

    void Add(const QStringList& paths)
    {
        Main().ChooseScenarioFiles = [paths] { return std::optional<QStringList>(paths); };
        Click(Main(), "BtAdd");
    }

    void ClickEntry(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers,
                          List()->visualItemRect(List()->item(row)).center());
    }

    // Clicks Batch and answers the directory chooser with the output folder.
    void Batch()
    {
        WhenModalOpens<TSelDirForm> chooser([this](TSelDirForm& form) {
            chooserCaption = form.windowTitle();
            chooserPreset = form.Directory;
            form.Directory = Native(out).toStdString();
            form.FormShow();
            Click(form, "BtOk");
        });
        Click(Main(), "BtBatch");
        QVERIFY(chooser.WasRun());
    }

    // Whether the list settles once its pending work is done: further rounds
    // of the event loop then change neither its scroll range nor its bars.
    bool ListComesToRest() const
    {
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents();
        int changes = 0;
        const auto count = [&changes] { ++changes; };
        QList<QMetaObject::Connection> counters;
        for (QScrollBar* bar : {List()->horizontalScrollBar(), List()->verticalScrollBar()}) {
            counters.append(QObject::connect(bar, &QScrollBar::rangeChanged, count));
            counters.append(QObject::connect(bar, &QScrollBar::valueChanged, count));
        }
        for (int round = 0; round < 20; ++round)
            QCoreApplication::processEvents();
        for (const QMetaObject::Connection& counter : counters)
            QObject::disconnect(counter);
        return changes == 0;
    }

    // a.pud (era 0), b.pud (no scenario) and c.pud (era 1), in the list.
    void AddThreeWithTheSecondBroken()
    {
        WriteScenarioFile(MapPath("a.pud"), 0);
        WriteFile(MapPath("b.pud"), "this is not a scenario");
        WriteScenarioFile(MapPath("c.pud"), 1);
        Add(MapPaths({"c.pud", "a.pud", "b.pud"}));
    }

private slots:
    void init()
    {
        MinimapSettings = TMinimapSettings{};
        QFile::remove(QString::fromStdString(ShellSettingsFile()));
        scratch = std::make_unique<QTemporaryDir>();
        maps = scratch->filePath(QStringLiteral("maps"));
        out = scratch->filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(maps) && QDir().mkpath(out));
        const QString archive = scratch->filePath(QStringLiteral("MAINDAT.WAR"));
        WriteFourEraArchive(archive);
        CreateForms();
        MinimapSettings.MainDat = Native(archive).toStdString();
        QVERIFY(ShowActive(Main()));
    }

    void cleanup()
    {
        DestroyForms();
        scratch.reset();
    }

    void theWindowStartsWithAnEmptyListAndOnlyAddOptionsAndAboutEnabled()
    {
        QCOMPARE(Main().findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("PUDs to process"));
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        for (const char* always : {"BtAdd", "BtOptions", "BtAbout"})
            QVERIFY2(Main().findChild<QPushButton*>(QLatin1String(always))->isEnabled(), always);
        QVERIFY(Main().minimumSize() != Main().maximumSize());  // sizeable
    }

    void theButtonsStandInTheirColumnWithTheirCaptionsAndHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("top");
        QTest::newRow("Add") << "BtAdd" << "&Add..." << "Add more PUDs to the list" << 0;
        QTest::newRow("Remove") << "BtRemove" << "&Remove" << "Remove selected PUDs from the list" << 32;
        QTest::newRow("Clear") << "BtClear" << "&Clear" << "Clear the list" << 64;
        QTest::newRow("Preview") << "BtPreview" << "&Preview" << "View the minimap of the currently selected PUD"
                                 << 104;
        QTest::newRow("Batch") << "BtBatch" << "&Batch..." << "Start creation of minimaps" << 136;
        QTest::newRow("Options") << "BtOptions" << "&Options..." << "Set your preferences" << 176;
        QTest::newRow("About") << "BtAbout" << "About..." << "" << 216;
    }

    void theButtonsStandInTheirColumnWithTheirCaptionsAndHints()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(int, top);
        const auto* button = Main().findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->geometry(), QRect(Scaled(8), Scaled(top), Scaled(65), Scaled(25)));
        QCOMPARE(button->parentWidget()->objectName(), QStringLiteral("Panel2"));
        QVERIFY(button->parentWidget()->height() >= button->geometry().bottom());
    }

    void theButtonColumnStandsAtTheRightAndTheListFillsTheRestFollowingTheWindowsSize()
    {
        const QWidget* column = Main().findChild<QWidget*>(QStringLiteral("Panel2"));
        QCOMPARE(column->width(), Scaled(80));
        QCOMPARE(column->geometry().right(), Main().width() - 1);
        const QRect before = List()->geometry();
        QCOMPARE(before.right() + 1 + Scaled(80), Main().width());
        Main().resize(Main().width() + 100, Main().height() + 50);
        QTRY_COMPARE(List()->width(), before.width() + 100);
        QCOMPARE(List()->height(), before.height() + 50);
    }

    void tabWalksTheControlsWithOptionsBeforeBatch()
    {
        Add(MapPaths({"a.pud", "b.pud"}));
        ClickEntry(1);
        List()->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), List());
        QCOMPARE(TabWalk(8), (QStringList{"BtAdd", "BtRemove", "BtClear", "BtPreview", "BtOptions", "BtBatch",
                                          "BtAbout", "PUDList"}));
    }

    void addingSkipsPathsPresentInOtherCaseKeepsTheListSortedAndSelectsNothing()
    {
        Add(MapPaths({"Forest.pud", "beta.pud"}));
        ClickEntry(0);
        Add(MapPaths({"FOREST.PUD", "alpha.pud", "BETA.pud", "Cave.PUD"}));

        QCOMPARE(Entries(), MapPaths({"alpha.pud", "beta.pud", "Cave.PUD", "Forest.pud"}));
        QVERIFY(List()->selectedItems().isEmpty());
        QCOMPARE(List()->currentRow(), 0);
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
        QCOMPARE(Main().OpenDialogFileName(), MapPath("FOREST.PUD"));
    }

    void cancellingTheFileDialogChangesNothing()
    {
        Add({MapPath("a.pud"), MapPath(QString(120, QLatin1Char('w')) + QStringLiteral(".pud"))});
        ClickEntry(1);
        const QStringList before = Entries();
        const int extent = List()->HorizontalExtent();
        Main().ChooseScenarioFiles = [] { return std::optional<QStringList>(); };
        Click(Main(), "BtAdd");

        QCOMPARE(Entries(), before);
        QCOMPARE(List()->selectedItems().size(), 1);
        QCOMPARE(List()->selectedItems().front()->text(), before[1]);
        QCOMPARE(List()->HorizontalExtent(), extent);
        QCOMPARE(Main().OpenDialogFileName(), MapPath("a.pud"));
    }

    void selectingEnablesRemoveAndRemoveDeletesExactlyTheSelectedEntries()
    {
        Add(MapPaths({"1.pud", "2.pud", "3.pud", "4.pud", "5.pud"}));
        ClickEntry(0);
        QCOMPARE(States(), (ListButtonStates{true, true, true, true}));
        ClickEntry(2, Qt::ControlModifier);
        ClickEntry(4, Qt::ControlModifier);
        QCOMPARE(List()->selectedItems().size(), 3);

        Click(Main(), "BtRemove");
        QCOMPARE(Entries(), MapPaths({"2.pud", "4.pud"}));
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
    }

    void theExtentFitsTheWidestEntryAndOutlivesRemoveAndClear()
    {
        const QString longPath = MapPath(QString(120, QLatin1Char('w')) + QStringLiteral(".pud"));
        Add({MapPath("a.pud"), longPath});
        const int extent = List()->fontMetrics().horizontalAdvance(longPath) + 5;
        QCOMPARE(List()->HorizontalExtent(), extent);
        QTRY_VERIFY(List()->horizontalScrollBar()->isVisible());
        QCOMPARE(List()->horizontalScrollBar()->maximum(), extent - List()->viewport()->width());

        ClickEntry(1);
        Click(Main(), "BtRemove");
        QCOMPARE(Entries(), MapPaths({"a.pud"}));
        QCOMPARE(List()->HorizontalExtent(), extent);
        Click(Main(), "BtClear");
        QCOMPARE(List()->count(), 0);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        QCOMPARE(List()->HorizontalExtent(), extent);
        QTRY_VERIFY(List()->horizontalScrollBar()->isVisible());

        Add(MapPaths({"a.pud"}));
        QCOMPARE(List()->HorizontalExtent(), List()->fontMetrics().horizontalAdvance(MapPath("a.pud")) + 5);
        QTRY_VERIFY(!List()->horizontalScrollBar()->isVisible());
    }

    void aListEmptiedWhileWiderThanItsViewComesToRestWithItsExtent_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Clear") << "Clear";
        QTest::newRow("select all and Remove") << "Remove";
        QTest::newRow("a batch that writes every minimap") << "Batch";
    }

    void aListEmptiedWhileWiderThanItsViewComesToRestWithItsExtent()
    {
        QFETCH(QString, way);
        const QString longPath = MapPath(QString(120, QLatin1Char('w')) + QStringLiteral(".pud"));
        WriteScenarioFile(MapPath("a.pud"));
        WriteScenarioFile(longPath);
        Add({MapPath("a.pud"), longPath});
        const int extent = List()->HorizontalExtent();
        QTRY_VERIFY(List()->horizontalScrollBar()->isVisible());

        if (way == "Clear") {
            Click(Main(), "BtClear");
        } else if (way == "Remove") {
            List()->setFocus();
            QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
            Click(Main(), "BtRemove");
        } else {
            Batch();
        }

        QCOMPARE(List()->count(), 0);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        QVERIFY(ListComesToRest());
        QCOMPARE(List()->HorizontalExtent(), extent);
        QVERIFY(List()->horizontalScrollBar()->isVisible());
        QCOMPARE(List()->horizontalScrollBar()->maximum(), extent - List()->viewport()->width());
    }

    void previewAsksForAMissingArchiveThenShowsTheFirstEntryAndAFailureLeavesTheWindowAsItWas()
    {
        AddThreeWithTheSecondBroken();
        BoxAnswerer answerer;
        const std::string archive = MinimapSettings.MainDat;
        MinimapSettings.MainDat.clear();
        Click(Main(), "BtPreview");
        QCOMPARE(answerer.Texts(), QStringList{QString::fromLatin1(LocateArchiveText)});
        QVERIFY(!TesselPreviewForm->isVisible());

        MinimapSettings.MainDat = archive;
        Click(Main(), "BtPreview");
        QCOMPARE(answerer.Seen().size(), 1u);
        QVERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("a.pud"));
        QCOMPARE(TesselPreviewForm->size(), QSize(160, 160));
        QVERIFY(QFile::exists(QString::fromStdString(Main().PreviewBmpPath)));

        ClickEntry(1);
        Click(Main(), "BtPreview");
        QCOMPARE(answerer.Seen().size(), 2u);
        QCOMPARE(answerer.Seen()[1].caption, QStringLiteral("Error"));
        QVERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("a.pud"));
    }

    void doubleClickingAnEntryPreviewsItInTheSizeSetForItsSide()
    {
        WriteScenarioFile(MapPath("MAP01.PUD"), 0, 32);
        WriteScenarioFile(MapPath("MAP02.PUD"), 1, 64);
        MinimapSettings.ImageSize(2) = 96;
        Add(MapPaths({"MAP01.PUD", "MAP02.PUD"}));
        DoubleClick(*List(), List()->item(1));

        QTRY_VERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("MAP02.PUD"));
        QCOMPARE(TesselPreviewForm->size(), QSize(96, 96));
    }

    void aBatchOfThreeWithTheSecondFailingAsksAboutIt_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("thirdWritten");
        QTest::newRow("Yes") << "&Yes" << QStringList{"b.pud"} << true;
        QTest::newRow("No") << "&No" << QStringList{"b.pud", "c.pud"} << false;
    }

    void aBatchOfThreeWithTheSecondFailingAsksAboutIt()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, left);
        QFETCH(bool, thirdWritten);
        AddThreeWithTheSecondBroken();
        QList<int> cursorShapes;
        BoxAnswerer answerer([&cursorShapes, answer](QMessageBox& box) {
            cursorShapes.append(QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
            if (box.windowTitle() == QStringLiteral("Confirm"))
                PressButton(box, answer);
            else
                QTest::keyClick(&box, Qt::Key_Return);
        });
        Batch();

        QCOMPARE(chooserCaption, QStringLiteral("Save BMPs in"));
        QCOMPARE(chooserPreset, DirectoryPart(MapPath("a.pud").toStdString()));
        QCOMPARE(answerer.Seen().size(), 2u);
        QCOMPARE(answerer.Seen()[0].caption, QStringLiteral("Error"));
        QCOMPARE(answerer.Seen()[1].caption, QStringLiteral("Confirm"));
        QCOMPARE(answerer.Seen()[1].text,
                 "Minimap creation failed for \"" + MapPath("b.pud") + "\".\nContinue with rest of list ?");
        QCOMPARE(cursorShapes, (QList<int>{int(Qt::WaitCursor), int(Qt::WaitCursor)}));

        QCOMPARE(Entries(), MapPaths(left));
        QVERIFY(QFile::exists(OutPath("a.bmp")));
        QVERIFY(!QFile::exists(OutPath("b.bmp")));
        QCOMPARE(QFile::exists(OutPath("c.bmp")), thirdWritten);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void aBatchThatWritesEveryMinimapEmptiesTheListAndOfTwoSameFileNamesTheLaterWins()
    {
        const QString one = MapPath("one/MAP01.PUD");
        const QString two = MapPath("two/MAP01.PUD");
        QVERIFY(QDir(maps).mkpath(QStringLiteral("one")) && QDir(maps).mkpath(QStringLiteral("two")));
        WriteScenarioFile(MapPath("a.pud"), 0, 32);
        WriteScenarioFile(one, 1, 64);
        WriteScenarioFile(two, 2, 128);
        const QString secondAlone = scratch->filePath(QStringLiteral("second.bmp"));
        QVERIFY(MakeMinimap(two.toStdString(), secondAlone.toStdString()));
        Add({two, MapPath("a.pud"), one});
        ClickEntry(1);
        BoxAnswerer answerer;
        Batch();

        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(List()->count(), 0);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{"a.bmp", "MAP01.bmp"}));
        QCOMPARE(ReadFile(OutPath("MAP01.bmp")), ReadFile(secondAlone));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void cancellingTheDirectoryChooserStartsNothing()
    {
        AddThreeWithTheSecondBroken();
        WhenModalOpens<TSelDirForm> cancel([](TSelDirForm& chooser) { Click(chooser, "Button1"); });
        BoxAnswerer answerer;
        Click(Main(), "BtBatch");

        QVERIFY(cancel.WasRun());
        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(Entries().size(), 3);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(maps).entryList({QStringLiteral("*.bmp")}, QDir::Files), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void aFailureEscapingTheBatchIsReportedAndRestoresTheCursorAndButtons()
    {
        Add(MapPaths({"a.pud", "b.pud", "c.pud"}));
        Main().CreateMinimap = [](const std::string& scenario, const std::string&) {
            if (FileNamePart(scenario) == "b.pud")
                throw Exception("The list cannot be shown");
            return true;
        };
        BoxAnswerer answerer;
        Batch();

        QCOMPARE(answerer.Texts(), QStringList{"The list cannot be shown."});
        QCOMPARE(answerer.Seen().front().caption, ApplicationTitle());
        QCOMPARE(Entries(), MapPaths({"b.pud", "c.pud"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
    }

    void droppedFilesAndFoldersAreAddedLikeChosenOnes()
    {
        Add(MapPaths({"zulu.pud"}));
        QVERIFY(QDir(maps).mkpath(QStringLiteral("deep/down")));
        WriteScenarioFile(MapPath("deep/down/ORC01.PUD"));
        const QString loose = scratch->filePath(QStringLiteral("loose.pud"));
        WriteScenarioFile(loose);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(loose), QUrl::fromLocalFile(QDir(maps).filePath(QStringLiteral("deep")))});
        const QPoint centre = Main().rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &drop);

        QCOMPARE(Entries(), (QStringList{Native(loose), MapPath("deep/down/ORC01.PUD"), MapPath("zulu.pud")}));
        QVERIFY(List()->selectedItems().isEmpty());
        QCOMPARE(Main().OpenDialogFileName(), Native(loose));
    }

    void optionsAndAboutOpenModally()
    {
        WhenModalOpens<TTesselOptionsForm> options([](TTesselOptionsForm& dialog) { Click(dialog, "BtCancel"); });
        Click(Main(), "BtOptions");
        QVERIFY(options.WasRun());
        QVERIFY(!TesselOptionsForm->isVisible());

        WhenModalOpens<TTesselAboutForm> about([](TTesselAboutForm& box) { Click(box, "Button1"); });
        Click(Main(), "BtAbout");
        QVERIFY(about.WasRun());
        QVERIFY(!TesselAboutForm->isVisible());
    }

    void theOpenDialogAsksForExistingScenariosFromTheStoredDirectory()
    {
        DestroyForms();
        WriteSettingText(ShellSettingsFile(), "Last", "PUDDir", Native(maps).toStdString() + "/");
        CreateForms();
        WriteScenarioFile(MapPath("MAP01.PUD"));
        WriteScenarioFile(MapPath("other.pud"));
        QVERIFY(ShowActive(Main()));

        const QFileDialog* dialog = ChooseInFileDialog(QStringLiteral("MAP01.PUD"), [this] { Click(Main(), "BtAdd"); });
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select one or more PUDs to add to the list"));
        QCOMPARE(dialog->nameFilters(), (QStringList{"WarCraft 2 scenario files (*.pud *.PUD)", "All files (*)"}));
        QCOMPARE(dialog->directory().absolutePath(), maps);
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
        QCOMPARE(Entries(), MapPaths({"MAP01.PUD"}));
        QCOMPARE(Main().OpenDialogFileName(), MapPath("MAP01.PUD"));
    }

    void aScenarioLargerThanTheLimitFailsTheBatchWithItsMessageAndStaysListed()
    {
        WriteScenarioFile(MapPath("a.pud"), 0);
        // 4 MiB and one byte, nearly all a hole in the file.
        hostile::WriteEmptyChunksAfterMap(MapPath("large.pud").toStdString(), 4 * 1024 * 1024 + 1);
        Add(MapPaths({"a.pud", "large.pud"}));
        BoxAnswerer answerer;  // Enter: OK to the error
        Batch();

        QCOMPARE(answerer.Texts().value(0), QStringLiteral("Error: Invalid PUD (file larger than 4 MiB)."));
        QCOMPARE(Entries(), MapPaths({"large.pud"}));
        QVERIFY(QFile::exists(OutPath("a.bmp")));
        QVERIFY(!QFile::exists(OutPath("large.bmp")));
    }

    void aBatchOverTheRealScenariosLeavesExactlyTheBrokenOnes()
    {
        const QDir corpus(QStringLiteral(TESSEL_CORPUS_DIR));
        QFile manifest(corpus.filePath(QStringLiteral("MANIFEST.tsv")));
        if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
            QSKIP("no corpus of real scenarios");
        QStringList all;
        QStringList broken;
        QStringList errors;
        manifest.readLine();  // the heading
        while (!manifest.atEnd()) {
            const QStringList fields = QString::fromUtf8(manifest.readLine()).trimmed().split(QLatin1Char('\t'));
            if (fields.size() >= 5)
                all.append(Native(corpus.absoluteFilePath(fields[0])));
            if (fields.size() >= 5 && !fields[4].isEmpty()) {
                broken.append(all.constLast());
                errors.append(QStringLiteral("Error: ") + fields[4]);
            }
        }
        std::sort(broken.begin(), broken.end(), ScenarioPathLess);

        Add(all);
        BoxAnswerer answerer;  // Enter: OK to every error, Yes to every question
        Batch();

        QCOMPARE(Entries(), broken);
        QCOMPARE(answerer.Seen().size(), std::size_t(2 * broken.size()));
        for (const QString& path : all)
            QCOMPARE(QFile::exists(OutPath(QFileInfo(path).completeBaseName() + ".bmp")), !broken.contains(path));
        for (const QString& error : errors)
            QVERIFY2(answerer.Texts().contains(error), qPrintable(error));
    }
};

TESSEL_SHELL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
