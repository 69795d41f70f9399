// The directory chooser and its path rules.
#include "ShellTestSupport.h"

#include "DirectoryPaths.h"
#include "SelDir.h"

#include <QComboBox>
#include <QLabel>
#include <QStorageInfo>

#include <memory>

#include <unistd.h>

using namespace tessel;
using namespace tessel::test;

class TestDirectoryChooser : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;
    QString maps;  // holds A, b, .hidden, a_rather_long_folder_name and notes.txt
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
        DoubleClick(*DirList(), items.constLast());
    }

    // Shows the chooser on the preset directory.
    bool ShowOn(const QString& preset)
    {
        form->Directory = Native(preset).toStdString();
        return ShowActive(*form);
    }

    static std::string NativeText(const QString& path) { return Native(path).toStdString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        maps = QDir(scratch.path()).filePath(QStringLiteral("Maps"));
        for (const char* sub : {"A", "b", ".hidden", "a_rather_long_folder_name/another_long_folder_name"})
            QVERIFY(QDir(maps).mkpath(QLatin1String(sub)));
        WriteFile(QDir(maps).filePath(QStringLiteral("notes.txt")));
    }

    void init() { form = std::make_unique<TSelDirForm>(); }
    void cleanup() { form.reset(); }

    void okReturnsThePresetWithoutATrailingSeparatorExceptAtTheRoot_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("trailing separator") << maps + "/" << maps;
        QTest::newRow("root") << QDir::rootPath() << QDir::rootPath();
    }

    void okReturnsThePresetWithoutATrailingSeparatorExceptAtTheRoot()
    {
        QFETCH(QString, preset);
        QFETCH(QString, chosen);
        QVERIFY(ShowOn(preset));
        QCOMPARE(form->CurrentDirectory(), chosen);
        Click(*form, "BtOk");
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(form->Directory, NativeText(chosen));
    }

    void theListShowsThePathFromTheVolumeRootDownThenTheVisibleSubdirectoriesAndTheDriveItsVolume()
    {
        QVERIFY(ShowOn(maps));
        const QStorageInfo volume(maps);
        QStringList expected{Native(volume.rootPath())};
        expected += maps.mid(volume.rootPath().length()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const qsizetype currentRow = expected.size() - 1;
        expected += QStringList{"A", "a_rather_long_folder_name", "b"};
        QCOMPARE(Lines(), expected);
        QCOMPARE(DirList()->currentRow(), currentRow);

        const auto* drives = form->findChild<QComboBox*>(QStringLiteral("DriveCombo"));
        QVERIFY(drives->itemText(0) == QDir::rootPath() || drives->itemText(0).startsWith(QDir::rootPath() + " ["));
        QCOMPARE(drives->currentText(), VolumeCaption(volume.rootPath(), volume.name()));
    }

    void doubleClickingALineEntersThatDirectoryAndCancelForgetsIt()
    {
        QVERIFY(ShowOn(maps));
        DoubleClickLine(QStringLiteral("b"));
        QCOMPARE(form->CurrentDirectory(), maps + "/b");
        QCOMPARE(Lines().constLast(), QStringLiteral("b"));
        Click(*form, "Button1");
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(form->Directory, NativeText(maps));

        QVERIFY(ShowOn(maps + "/b"));
        DoubleClickLine(QStringLiteral("Maps"));
        QCOMPARE(form->CurrentDirectory(), maps);
        DoubleClickLine(QStringLiteral("A"));
        Click(*form, "BtOk");
        QCOMPARE(form->Directory, NativeText(maps + "/A"));
    }

    void anUnreadableDirectoryIsReportedAsAccessDenied()
    {
        if (geteuid() == 0)
            QSKIP("file modes do not bind the superuser");
        const QString locked = QDir(scratch.path()).filePath(QStringLiteral("Locked"));
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        BoxAnswerer answerer;
        QVERIFY(ShowOn(locked));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(answerer.Texts(), QStringList{"File access denied."});
    }

    void anEmptyPresetOrOneThatCannotBeEnteredKeepsTheDirectoryShownLastTime()
    {
        QVERIFY(ShowOn(maps + "/A"));
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));

        form->Directory.clear();
        QVERIFY(ShowActive(*form));
        QCOMPARE(form->CurrentDirectory(), maps + "/A");
        Click(*form, "BtOk");
        QCOMPARE(form->Directory, NativeText(maps + "/A"));

        BoxAnswerer answerer;
        QVERIFY(ShowOn(maps + "/removed/"));
        QCOMPARE(answerer.Texts(), QStringList{"Invalid filename."});
        QCOMPARE(answerer.Seen().front().caption, ApplicationTitle());
        QCOMPARE(form->CurrentDirectory(), maps + "/A");
        Click(*form, "BtOk");
        QCOMPARE(form->Directory, NativeText(maps + "/A"));
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

    void aLongPathIsShortenedInTheStripFromTheFront()
    {
        QVERIFY(ShowOn(maps + "/a_rather_long_folder_name/another_long_folder_name"));
        const auto* strip = form->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(strip->text().startsWith(Native(QStringLiteral("/..."))));
        QVERIFY(strip->text().endsWith(QStringLiteral("another_long_folder_name")));
        QVERIFY(strip->fontMetrics().horizontalAdvance(strip->text()) <= strip->contentsRect().width());
    }

    void aVolumeIsShownAsItsRootAndItsLabelInLowerCase()
    {
        QCOMPARE(VolumeCaption(QStringLiteral("/"), QString()), QStringLiteral("/"));
        QCOMPARE(VolumeCaption(QStringLiteral("/media/cd"), QStringLiteral("WAR2 CD")),
                 QStringLiteral("/media/cd [war2 cd]"));
    }

    void aPathLiesOnTheLongestVolumeRootThatHoldsItAndItsLevelsRunDownFromThere()
    {
        const QStringList roots{"/", "/home", "/media/cd"};
        QCOMPARE(VolumeRootOf("/home/ann/maps", roots), QStringLiteral("/home"));
        QCOMPARE(VolumeRootOf("/home", roots), QStringLiteral("/home"));
        QCOMPARE(VolumeRootOf("/homework/maps", roots), QStringLiteral("/"));  // only begins like a root
        QCOMPARE(VolumeRootOf("/", roots), QStringLiteral("/"));
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
