// The directory chooser and its path rules.
#include "ShellTestSupport.h"

#include "DirectoryPaths.h"
#include "SelDir.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStorageInfo>

#include <memory>

#include <unistd.h>

using namespace tessel;
using namespace tessel::test;

class TestDirectoryChooser : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;
    QString maps;  // holds A, b, .hidden and notes.txt
    std::unique_ptr<TSelDirForm> form;

    QListWidget* DirList() const { return form->findChild<QListWidget*>(QStringLiteral("DirList")); }

    QStringList Lines() const
    {
        QStringList lines;
        for (int row = 0; row < DirList()->count(); ++row)
            lines.append(DirList()->item(row)->text());
        return lines;
    }

    void DoubleClickLine(const QString& text)
    {
        const QList<QListWidgetItem*> items = DirList()->findItems(text, Qt::MatchExactly);
        QVERIFY2(!items.isEmpty(), qPrintable(text));
        DirList()->scrollToItem(items.constLast());
        const QPoint centre = DirList()->visualItemRect(items.constLast()).center();
        // The second press of a double click comes as a double-click event;
        // QTest's own double click does not make one for item views.
        QTest::mouseClick(DirList()->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        const QPointF global = DirList()->viewport()->mapToGlobal(QPointF(centre));
        QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(centre), global, Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(DirList()->viewport(), &second);
    }

    void Press(const char* button)
    {
        QTest::mouseClick(form->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }

    static std::string Native(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        maps = QDir(scratch.path()).filePath(QStringLiteral("Maps"));
        for (const char* sub : {"A", "b", ".hidden", "a_rather_long_folder_name/another_long_folder_name"})
            QVERIFY(QDir(maps).mkpath(QLatin1String(sub)));
        QFile notes(QDir(maps).filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
    }

    void init() { form = std::make_unique<TSelDirForm>(); }
    void cleanup() { form.reset(); }

    void aPresetWithATrailingSeparatorOpensThatDirectoryAndOkReturnsItWithout()
    {
        form->Directory = Native(maps) + "/";
        QVERIFY(ShowActive(*form));
        QCOMPARE(form->CurrentDirectory(), maps);
        Press("BtOk");
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(form->Directory, Native(maps));
    }

    void theListShowsThePathFromTheVolumeRootDownThenTheVisibleSubdirectories()
    {
        form->Directory = Native(maps);
        QVERIFY(ShowActive(*form));
        const QString volume = QStorageInfo(maps).rootPath();
        QStringList expected{QDir::toNativeSeparators(volume)};
        expected += maps.mid(volume.length()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const qsizetype currentRow = expected.size() - 1;
        expected += QStringList{"A", "a_rather_long_folder_name", "b"};
        QCOMPARE(Lines(), expected);
        QCOMPARE(DirList()->currentRow(), currentRow);
    }

    void theDriveSelectorListsTheRootFirstAndShowsTheCurrentVolume()
    {
        form->Directory = Native(maps);
        QVERIFY(ShowActive(*form));
        const auto* drives = form->findChild<QComboBox*>(QStringLiteral("DriveCombo"));
        QVERIFY(drives->itemText(0) == QDir::rootPath() || drives->itemText(0).startsWith(QDir::rootPath() + " ["));
        const QStorageInfo volume(maps);
        QCOMPARE(drives->currentText(), VolumeCaption(volume.rootPath(), volume.name()));
    }

    void doubleClickingALineEntersThatDirectory()
    {
        form->Directory = Native(maps);
        QVERIFY(ShowActive(*form));
        DoubleClickLine(QStringLiteral("b"));
        QCOMPARE(form->CurrentDirectory(), maps + "/b");
        QCOMPARE(Lines().constLast(), QStringLiteral("b"));
        DoubleClickLine(QStringLiteral("Maps"));
        QCOMPARE(form->CurrentDirectory(), maps);
        Press("BtOk");
        QCOMPARE(form->Directory, Native(maps));
    }

    void aPresetThatCannotBeEnteredIsReportedAndTheChooserKeepsItsDirectory()
    {
        form->Directory = Native(maps);
        QVERIFY(ShowActive(*form));
        Press("BtOk");

        form->Directory = Native(maps) + "/removed/";
        BoxAnswerer answerer;
        QVERIFY(ShowActive(*form));
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("Invalid filename.")});
        QCOMPARE(answerer.Seen().front().caption, ApplicationTitle());
        QCOMPARE(form->CurrentDirectory(), maps);
        Press("BtOk");
        QCOMPARE(form->Directory, Native(maps));
    }

    void anUnreadableDirectoryIsReportedAsAccessDenied()
    {
        if (geteuid() == 0)
            QSKIP("file modes do not bind the superuser");
        const QString locked = QDir(scratch.path()).filePath(QStringLiteral("Locked"));
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        form->Directory = Native(locked);
        BoxAnswerer answerer;
        QVERIFY(ShowActive(*form));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("File access denied.")});
    }

    void anEmptyPresetKeepsTheDirectoryShownLastTime()
    {
        form->Directory = Native(maps + "/A");
        QVERIFY(ShowActive(*form));
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));

        form->Directory.clear();
        QVERIFY(ShowActive(*form));
        QCOMPARE(form->CurrentDirectory(), maps + "/A");
        Press("BtOk");
        QCOMPARE(form->Directory, Native(maps + "/A"));
    }

    void theFirstShowingWithAnEmptyPresetOpensTheCurrentDirectory()
    {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(maps + "/b"));
        TSelDirForm fresh;
        QDir::setCurrent(before);
        QVERIFY(ShowActive(fresh));
        QCOMPARE(fresh.CurrentDirectory(), maps + "/b");
    }

    void cancelLeavesTheChoiceAsItWas()
    {
        form->Directory = Native(maps);
        QVERIFY(ShowActive(*form));
        DoubleClickLine(QStringLiteral("A"));
        Press("Button1");
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(form->Directory, Native(maps));
    }

    void theRootKeepsItsSeparator()
    {
        form->Directory = Native(QDir::rootPath());
        QVERIFY(ShowActive(*form));
        Press("BtOk");
        QCOMPARE(form->Directory, Native(QDir::rootPath()));
    }

    void aLongPathIsShortenedInTheStripFromTheFront()
    {
        const QString deep = maps + "/a_rather_long_folder_name/another_long_folder_name";
        form->Directory = Native(deep);
        QVERIFY(ShowActive(*form));
        const auto* strip = form->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(strip->text().startsWith(QDir::toNativeSeparators(QStringLiteral("/..."))));
        QVERIFY(strip->text().endsWith(QStringLiteral("another_long_folder_name")));
        QVERIFY(strip->fontMetrics().horizontalAdvance(strip->text()) <= strip->contentsRect().width());
    }

    void aVolumeIsShownAsItsRootAndItsLabelInLowerCase()
    {
        QCOMPARE(VolumeCaption(QStringLiteral("/"), QString()), QStringLiteral("/"));
        QCOMPARE(VolumeCaption(QStringLiteral("/media/cd"), QStringLiteral("WAR2 CD")), QStringLiteral("/media/cd [war2 cd]"));
    }

    void aPathLiesOnTheLongestVolumeRootThatHoldsIt_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("volume");
        QTest::newRow("below a mount point") << "/home/ann/maps"
                                             << "/home";
        QTest::newRow("the mount point itself") << "/home"
                                                << "/home";
        QTest::newRow("a name that only begins like a mount point") << "/homework/maps"
                                                                    << "/";
        QTest::newRow("the root") << "/"
                                  << "/";
    }

    void aPathLiesOnTheLongestVolumeRootThatHoldsIt()
    {
        QFETCH(QString, path);
        QFETCH(QString, volume);
        QCOMPARE(VolumeRootOf(path, {"/", "/home", "/media/cd"}), volume);
    }

    void theLevelsRunFromTheVolumeRootDownToTheDirectory()
    {
        QCOMPARE(DirectoryLevels("/home/ann/maps", "/home"), (QStringList{"/home", "/home/ann", "/home/ann/maps"}));
        QCOMPARE(DirectoryLevels("/tmp", "/"), (QStringList{"/", "/tmp"}));
        QCOMPARE(DirectoryLevels("/", "/"), QStringList{"/"});
    }

    void leadingDirectoriesGiveWayToDotsUntilThePathFits_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << 20 << "/home/user/maps/war2";
        QTest::newRow("first directory dropped") << 19 << "/.../user/maps/war2";
        QTest::newRow("two dropped") << 15 << "/.../maps/war2";
        QTest::newRow("only the last left") << 9 << "/.../war2";
        QTest::newRow("root dropped too") << 8 << ".../war2";
        QTest::newRow("last name cut") << 6 << "war...";
    }

    void leadingDirectoriesGiveWayToDotsUntilThePathFits()
    {
        QFETCH(int, room);
        QFETCH(QString, shown);
        const auto characters = [](const QString& text) { return static_cast<int>(text.size()); };
        QCOMPARE(ElideLeadingDirectories(QStringLiteral("/home/user/maps/war2"), room, characters), shown);
    }
};

TESSEL_SHELL_TEST_MAIN(TestDirectoryChooser)
#include "tst_seldir.moc"
