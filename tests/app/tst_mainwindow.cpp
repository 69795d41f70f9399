// The main window as a user drives it: adding, removing, previewing and the
// batch run, with the real windows, generated archives and scenarios.
#include "MainWindowTestSupport.h"

#include "Exceptions.h"
#include "ExtentListBox.h"
#include "Forms.h"
#include "Layout.h"
#include "MakeMinimap.h"
#include "MinimapSettings.h"
#include "PathPieces.h"
#include "ScenarioList.h"
#include "SelDir.h"
#include "Settings.h"
#include "Startup.h"
#include "TesselAbout.h"
#include "TesselMain.h"
#include "TesselOptions.h"
#include "TesselPreview.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include <memory>

using namespace tessel;
using namespace tessel::test;

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> scratch;
    QString archive;
    QString maps;
    QString out;

    TTesselMainForm& Main() const { return *TesselMainForm; }
    ExtentListBox* List() const { return Main().findChild<ExtentListBox*>(QStringLiteral("PUDList")); }
    QPushButton* Button(const char* name) const { return Main().findChild<QPushButton*>(QLatin1String(name)); }
    QStringList Entries() const { return List()->Entries(); }
    QString MapPath(const QString& name) const { return Native(QDir(maps).filePath(name)); }
    QString OutPath(const QString& name) const { return QDir(out).filePath(name); }

    ListButtonStates States() const
    {
        return {Button("BtRemove")->isEnabled(), Button("BtClear")->isEnabled(), Button("BtPreview")->isEnabled(),
                Button("BtBatch")->isEnabled()};
    }

    void Add(const QStringList& paths)
    {
        Main().ChooseScenarioFiles = [paths] { return std::optional<QStringList>(paths); };
        QTest::mouseClick(Button("BtAdd"), Qt::LeftButton);
    }

    void ClickEntry(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers,
                          List()->visualItemRect(List()->item(row)).center());
    }

    // Answers the directory chooser with directory; records its caption
    // and preset.
    struct ChooserAnswer {
        QString caption;
        std::string preset;
    };
    std::unique_ptr<WhenModalOpens<TSelDirForm>> AnswerChooserWith(const QString& directory, ChooserAnswer& seen)
    {
        return std::make_unique<WhenModalOpens<TSelDirForm>>([directory, &seen](TSelDirForm& chooser) {
            seen.caption = chooser.windowTitle();
            seen.preset = chooser.Directory;
            chooser.Directory = Native(directory).toStdString();
            chooser.FormShow();
            QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("BtOk")), Qt::LeftButton);
        });
    }

    // a.pud (era 0), b.pud (no scenario) and c.pud (era 1), in the list.
    void AddThreeWithTheSecondBroken()
    {
        WriteScenarioFile(MapPath("a.pud"), 0);
        WriteBrokenScenarioFile(MapPath("b.pud"));
        WriteScenarioFile(MapPath("c.pud"), 1);
        Add({MapPath("c.pud"), MapPath("a.pud"), MapPath("b.pud")});
    }

private slots:
    void init()
    {
        MinimapSettings = TMinimapSettings{};
        QFile::remove(QString::fromStdString(ShellSettingsFile()));
        scratch = std::make_unique<QTemporaryDir>();
        archive = scratch->filePath(QStringLiteral("MAINDAT.WAR"));
        maps = scratch->filePath(QStringLiteral("maps"));
        out = scratch->filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(maps));
        QVERIFY(QDir().mkpath(out));
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
        QCOMPARE(Main().windowTitle(), QStringLiteral("Tessel V1.1"));
        QCOMPARE(Main().findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("PUDs to process"));
        QCOMPARE(List()->count(), 0);
        QCOMPARE(List()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        for (const char* always : {"BtAdd", "BtOptions", "BtAbout"})
            QVERIFY2(Button(always)->isEnabled(), always);
        QVERIFY(!TesselOptionsForm->isVisible() && !SelDirForm->isVisible() && !TesselPreviewForm->isVisible() &&
                !TesselAboutForm->isVisible());
        // Sizeable.
        QVERIFY(Main().minimumSize() != Main().maximumSize());
    }

    void theButtonsStandInTheirColumnWithTheirCaptionsAndHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("top");
        QTest::newRow("Add") << "BtAdd"
                             << "&Add..."
                             << "Add more PUDs to the list" << 0;
        QTest::newRow("Remove") << "BtRemove"
                                << "&Remove"
                                << "Remove selected PUDs from the list" << 32;
        QTest::newRow("Clear") << "BtClear"
                               << "&Clear"
                               << "Clear the list" << 64;
        QTest::newRow("Preview") << "BtPreview"
                                 << "&Preview"
                                 << "View the minimap of the currently selected PUD" << 104;
        QTest::newRow("Batch") << "BtBatch"
                               << "&Batch..."
                               << "Start creation of minimaps" << 136;
        QTest::newRow("Options") << "BtOptions"
                                 << "&Options..."
                                 << "Set your preferences" << 176;
        QTest::newRow("About") << "BtAbout"
                               << "About..."
                               << "" << 216;
    }

    void theButtonsStandInTheirColumnWithTheirCaptionsAndHints()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(int, top);
        const QPushButton* button = Button(qPrintable(name));
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->parentWidget()->objectName(), QStringLiteral("Panel2"));
        QCOMPARE(button->geometry(), QRect(Scaled(8), Scaled(top), Scaled(65), Scaled(25)));
        const QWidget* column = button->parentWidget();
        QCOMPARE(column->width(), Scaled(80));
        QCOMPARE(column->geometry().right(), Main().width() - 1);
        QVERIFY(column->geometry().bottom() >= button->geometry().bottom());
    }

    void theListFillsTheRestOfTheWindowAndFollowsItsSize()
    {
        const QRect before = List()->geometry();
        QCOMPARE(before.right() + 1 + Scaled(80), Main().width());
        Main().resize(Main().width() + 100, Main().height() + 50);
        QTRY_COMPARE(List()->width(), before.width() + 100);
        QCOMPARE(List()->height(), before.height() + 50);
    }

    void tabWalksTheControlsWithOptionsBeforeBatch()
    {
        Add({MapPath("a.pud"), MapPath("b.pud")});
        ClickEntry(1);
        List()->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), List());
        QStringList visited;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, (QStringList{"BtAdd", "BtRemove", "BtClear", "BtPreview", "BtOptions", "BtBatch", "BtAbout",
                                       "PUDList"}));
    }

    void addingSkipsPathsPresentInOtherCaseKeepsTheListSortedAndSelectsNothing()
    {
        Add({MapPath("Forest.pud"), MapPath("beta.pud")});
        ClickEntry(0);
        Add({MapPath("FOREST.PUD"), MapPath("alpha.pud"), MapPath("BETA.pud"), MapPath("Cave.PUD")});

        QCOMPARE(Entries(),
                 (QStringList{MapPath("alpha.pud"), MapPath("beta.pud"), MapPath("Cave.PUD"), MapPath("Forest.pud")}));
        QVERIFY(List()->selectedItems().isEmpty());
        QCOMPARE(List()->currentRow(), 0);
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
        QCOMPARE(Main().OpenDialogFileName(), MapPath("FOREST.PUD"));
    }

    void cancellingTheFileDialogChangesNeitherTheListNorTheButtons()
    {
        Add({MapPath("a.pud"), MapPath("b.pud")});
        ClickEntry(1);
        const int extent = List()->HorizontalExtent();
        Main().ChooseScenarioFiles = [] { return std::optional<QStringList>(); };
        QTest::mouseClick(Button("BtAdd"), Qt::LeftButton);

        QCOMPARE(Entries(), (QStringList{MapPath("a.pud"), MapPath("b.pud")}));
        QCOMPARE(List()->selectedItems().size(), 1);
        QCOMPARE(List()->selectedItems().front()->text(), MapPath("b.pud"));
        QCOMPARE(States(), (ListButtonStates{true, true, true, true}));
        QCOMPARE(List()->HorizontalExtent(), extent);
        QCOMPARE(Main().OpenDialogFileName(), MapPath("a.pud"));
    }

    void selectingEnablesRemoveAndRemoveDeletesExactlyTheSelectedEntries()
    {
        Add({MapPath("1.pud"), MapPath("2.pud"), MapPath("3.pud"), MapPath("4.pud"), MapPath("5.pud")});
        ClickEntry(0);
        QCOMPARE(States(), (ListButtonStates{true, true, true, true}));
        ClickEntry(2, Qt::ControlModifier);
        ClickEntry(4, Qt::ControlModifier);
        QCOMPARE(List()->selectedItems().size(), 3);

        QTest::mouseClick(Button("BtRemove"), Qt::LeftButton);
        QCOMPARE(Entries(), (QStringList{MapPath("2.pud"), MapPath("4.pud")}));
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
    }

    void clearEmptiesTheListAndDisablesTheFourButtons()
    {
        Add({MapPath("1.pud"), MapPath("2.pud")});
        ClickEntry(1);
        QTest::mouseClick(Button("BtClear"), Qt::LeftButton);
        QCOMPARE(List()->count(), 0);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
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
        QTest::mouseClick(Button("BtRemove"), Qt::LeftButton);
        QCOMPARE(Entries(), QStringList{MapPath("a.pud")});
        QCOMPARE(List()->HorizontalExtent(), extent);
        QTest::mouseClick(Button("BtClear"), Qt::LeftButton);
        QCOMPARE(List()->HorizontalExtent(), extent);
        QTRY_VERIFY(List()->horizontalScrollBar()->isVisible());

        Add({MapPath("a.pud")});
        QCOMPARE(List()->HorizontalExtent(), List()->fontMetrics().horizontalAdvance(MapPath("a.pud")) + 5);
        QTRY_VERIFY(!List()->horizontalScrollBar()->isVisible());
    }

    void previewWithNoEntryClickedShowsTheFirstEntryUnderItsFileName()
    {
        WriteScenarioFile(MapPath("MAP01.PUD"), 0, 32);
        WriteScenarioFile(MapPath("MAP02.PUD"), 1, 64);
        Add({MapPath("MAP02.PUD"), MapPath("MAP01.PUD")});
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtPreview"), Qt::LeftButton);

        QCOMPARE(answerer.Texts(), QStringList());
        QVERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("MAP01.PUD"));
        QCOMPARE(TesselPreviewForm->size(), QSize(160, 160));
        QVERIFY(QFile::exists(QString::fromStdString(Main().PreviewBmpPath)));
    }

    void doubleClickingAnEntryPreviewsIt()
    {
        WriteScenarioFile(MapPath("MAP01.PUD"), 0, 32);
        WriteScenarioFile(MapPath("MAP02.PUD"), 1, 64);
        MinimapSettings.ImageSize(2) = 96;
        Add({MapPath("MAP01.PUD"), MapPath("MAP02.PUD")});
        const QPoint centre = List()->visualItemRect(List()->item(1)).center();
        // The second press of a double click comes as a double-click event;
        // QTest's own double click does not make one for item views.
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(centre),
                           List()->viewport()->mapToGlobal(QPointF(centre)), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &second);

        QTRY_VERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("MAP02.PUD"));
        QCOMPARE(TesselPreviewForm->size(), QSize(96, 96));
    }

    void aFailedPreviewLeavesThePreviewWindowAsItWas()
    {
        WriteScenarioFile(MapPath("a.pud"), 0, 32);
        WriteBrokenScenarioFile(MapPath("b.pud"));
        Add({MapPath("a.pud"), MapPath("b.pud")});
        QTest::mouseClick(Button("BtPreview"), Qt::LeftButton);
        QVERIFY(TesselPreviewForm->isVisible());

        ClickEntry(1);
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtPreview"), Qt::LeftButton);
        QCOMPARE(answerer.Seen().size(), 1u);
        QCOMPARE(answerer.Seen().front().caption, QStringLiteral("Error"));
        QVERIFY(TesselPreviewForm->isVisible());
        QCOMPARE(TesselPreviewForm->windowTitle(), QStringLiteral("a.pud"));
    }

    void previewWithoutAnArchiveAsksForItAndShowsNoWindow()
    {
        MinimapSettings.MainDat.clear();
        WriteScenarioFile(MapPath("a.pud"));
        Add({MapPath("a.pud")});
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtPreview"), Qt::LeftButton);
        QCOMPARE(answerer.Texts(), QStringList{QString::fromLatin1(LocateArchiveText)});
        QVERIFY(!TesselPreviewForm->isVisible());
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
        ChooserAnswer chooser;
        const auto answerChooser = AnswerChooserWith(out, chooser);
        QList<int> cursorShapes;
        BoxAnswerer answerer([&cursorShapes, answer](QMessageBox& box) {
            cursorShapes.append(QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
            AnswerConfirmWith(answer)(box);
        });
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QCOMPARE(chooser.caption, QStringLiteral("Save BMPs in"));
        QCOMPARE(chooser.preset, DirectoryPart(MapPath("a.pud").toStdString()));
        QCOMPARE(answerer.Seen().size(), 2u);
        QCOMPARE(answerer.Seen()[0].caption, QStringLiteral("Error"));
        const BoxSeen& question = answerer.Seen()[1];
        QCOMPARE(question.caption, QStringLiteral("Confirm"));
        QCOMPARE(question.text, QStringLiteral("Minimap creation failed for \"") + MapPath("b.pud") +
                                    QStringLiteral("\".\nContinue with rest of list ?"));
        QCOMPARE(cursorShapes, (QList<int>{int(Qt::WaitCursor), int(Qt::WaitCursor)}));

        QStringList expected;
        for (const QString& name : left)
            expected.append(MapPath(name));
        QCOMPARE(Entries(), expected);
        QVERIFY(QFile::exists(OutPath("a.bmp")));
        QVERIFY(!QFile::exists(OutPath("b.bmp")));
        QCOMPARE(QFile::exists(OutPath("c.bmp")), thirdWritten);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
    }

    void aBatchInWhichEveryMinimapIsWrittenEmptiesTheList()
    {
        WriteScenarioFile(MapPath("a.pud"), 0, 32);
        WriteScenarioFile(MapPath("b.pud"), 2, 64);
        WriteScenarioFile(MapPath("c.pud"), 3, 128);
        Add({MapPath("a.pud"), MapPath("b.pud"), MapPath("c.pud")});
        ClickEntry(1);
        ChooserAnswer chooser;
        const auto answerChooser = AnswerChooserWith(out, chooser);
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(List()->count(), 0);
        QCOMPARE(States(), (ListButtonStates{false, false, false, false}));
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            QVERIFY2(QFile::exists(OutPath(QLatin1String(name))), name);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void theChooserPresetIsTheFirstEntrysDirectoryAndOkThereWritesBesideIt()
    {
        WriteScenarioFile(MapPath("a.pud"));
        Add({MapPath("a.pud")});
        WhenModalOpens<TSelDirForm> pressOk([](TSelDirForm& chooser) {
            QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("BtOk")), Qt::LeftButton);
        });
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);
        QVERIFY(pressOk.WasRun());
        QVERIFY(QFile::exists(QDir(maps).filePath(QStringLiteral("a.bmp"))));
        QCOMPARE(List()->count(), 0);
    }

    void cancellingTheDirectoryChooserStartsNothing()
    {
        AddThreeWithTheSecondBroken();
        ClickEntry(0);
        WhenModalOpens<TSelDirForm> cancel([](TSelDirForm& chooser) {
            QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        });
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QVERIFY(cancel.WasRun());
        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(Entries().size(), 3);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(maps).entryList({QStringLiteral("*.bmp")}, QDir::Files), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(States(), (ListButtonStates{true, true, true, true}));
    }

    void twoEntriesWithTheSameFileNameInOtherFoldersWriteOneFileAndBothLeave()
    {
        const QString one = Native(scratch->filePath(QStringLiteral("one/MAP01.PUD")));
        const QString two = Native(scratch->filePath(QStringLiteral("two/MAP01.PUD")));
        QVERIFY(QDir().mkpath(scratch->filePath(QStringLiteral("one"))));
        QVERIFY(QDir().mkpath(scratch->filePath(QStringLiteral("two"))));
        WriteScenarioFile(one, 0);
        WriteScenarioFile(two, 2);
        const QString secondAlone = scratch->filePath(QStringLiteral("second.bmp"));
        QVERIFY(MakeMinimap(two.toStdString(), secondAlone.toStdString()));

        Add({two, one});
        ChooserAnswer chooser;
        const auto answerChooser = AnswerChooserWith(out, chooser);
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QCOMPARE(List()->count(), 0);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"MAP01.bmp"});
        // The second in list order replaced the first.
        QCOMPARE(FileBytes(OutPath("MAP01.bmp")), FileBytes(secondAlone));
    }

    void aFailureEscapingTheBatchIsReportedAndRestoresTheCursorAndButtons()
    {
        Add({MapPath("a.pud"), MapPath("b.pud"), MapPath("c.pud")});
        Main().CreateMinimap = [](const std::string& scenario, const std::string&) {
            if (FileNamePart(scenario) == "b.pud")
                throw Exception("The list cannot be shown");
            return true;
        };
        ChooserAnswer chooser;
        const auto answerChooser = AnswerChooserWith(out, chooser);
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QCOMPARE(answerer.Texts(), QStringList{"The list cannot be shown."});
        QCOMPARE(answerer.Seen().front().caption, ApplicationTitle());
        QCOMPARE(Entries(), (QStringList{MapPath("b.pud"), MapPath("c.pud")}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
    }

    void droppedFilesAndFoldersAreAddedLikeChosenOnes()
    {
        Add({MapPath("zulu.pud")});
        QVERIFY(QDir().mkpath(QDir(maps).filePath(QStringLiteral("deep/down"))));
        WriteScenarioFile(MapPath("deep/down/ORC01.PUD"));
        WriteScenarioFile(MapPath("deep/human.pud"));
        WriteScenarioFile(MapPath("ZULU.PUD"));
        const QString loose = scratch->filePath(QStringLiteral("loose.pud"));
        WriteScenarioFile(loose);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(loose), QUrl::fromLocalFile(QDir(maps).filePath(QStringLiteral("deep"))),
                      QUrl::fromLocalFile(MapPath("ZULU.PUD"))});
        const QPoint centre = Main().rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &drop);

        QCOMPARE(Entries(), (QStringList{Native(loose), MapPath("deep/down/ORC01.PUD"), MapPath("deep/human.pud"),
                                         MapPath("zulu.pud")}));
        QVERIFY(List()->selectedItems().isEmpty());
        QCOMPARE(States(), (ListButtonStates{false, true, true, true}));
        QCOMPARE(Main().OpenDialogFileName(), Native(loose));
    }

    void optionsAndAboutOpenModally()
    {
        WhenModalOpens<TTesselOptionsForm> options([](TTesselOptionsForm& dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BtCancel")), Qt::LeftButton);
        });
        QTest::mouseClick(Button("BtOptions"), Qt::LeftButton);
        QVERIFY(options.WasRun());
        QVERIFY(!TesselOptionsForm->isVisible());

        WhenModalOpens<TTesselAboutForm> about([](TTesselAboutForm& box) {
            QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        });
        QTest::mouseClick(Button("BtAbout"), Qt::LeftButton);
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

        QString title;
        QStringList filters;
        QString directory;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        WhenModalOpens<QFileDialog> dialog([&](QFileDialog& chooser) {
            title = chooser.windowTitle();
            filters = chooser.nameFilters();
            directory = chooser.directory().absolutePath();
            mode = chooser.fileMode();
            chooser.selectFile(QStringLiteral("MAP01.PUD"));
            QMetaObject::invokeMethod(&chooser, "accept", Qt::DirectConnection);
        });
        QTest::mouseClick(Button("BtAdd"), Qt::LeftButton);

        QVERIFY(dialog.WasRun());
        QCOMPARE(title, QStringLiteral("Select one or more PUDs to add to the list"));
        QCOMPARE(filters, (QStringList{"WarCraft 2 scenario files (*.pud *.PUD)", "All files (*)"}));
        QCOMPARE(directory, maps);
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QCOMPARE(Entries(), QStringList{MapPath("MAP01.PUD")});
        QCOMPARE(Main().OpenDialogFileName(), MapPath("MAP01.PUD"));
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
        manifest.readLine();
        while (!manifest.atEnd()) {
            const QStringList fields = QString::fromUtf8(manifest.readLine()).trimmed().split(QLatin1Char('\t'));
            if (fields.size() < 5)
                continue;
            const QString path = Native(corpus.absoluteFilePath(fields[0]));
            all.append(path);
            if (!fields[4].isEmpty()) {
                broken.append(path);
                errors.append(QStringLiteral("Error: ") + fields[4]);
            }
        }
        std::sort(broken.begin(), broken.end(), ScenarioPathLess);

        Add(all);
        ChooserAnswer chooser;
        const auto answerChooser = AnswerChooserWith(out, chooser);
        BoxAnswerer answerer;  // Enter: OK to every error, Yes to every question
        QTest::mouseClick(Button("BtBatch"), Qt::LeftButton);

        QCOMPARE(Entries(), broken);
        QCOMPARE(answerer.Seen().size(), std::size_t(2 * broken.size()));
        for (const QString& path : all) {
            const QString bitmap = OutPath(QFileInfo(path).completeBaseName() + QStringLiteral(".bmp"));
            QCOMPARE(QFile::exists(bitmap), !broken.contains(path));
        }
        for (const QString& error : errors)
            QVERIFY2(answerer.Texts().contains(error), qPrintable(error));
    }
};

TESSEL_MAIN_WINDOW_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
