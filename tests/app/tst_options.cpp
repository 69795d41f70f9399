// The options dialog as a user drives it: with the keyboard and the mouse,
// against the process-wide settings and the settings file.
#include "ShellTestSupport.h"

#include "Forms.h"
#include "minimap/MinimapSettings.h"
#include "settings/Settings.h"
#include "TesselOptions.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using namespace tessel;
using namespace tessel::test;

class TestOptionsDialog : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTesselOptionsForm> form;

    QLineEdit* Edit(const char* name) const { return form->findChild<QLineEdit*>(QLatin1String(name)); }
    QCheckBox* UnitsBox() const { return form->findChild<QCheckBox*>(QStringLiteral("CbDspUnits")); }
    static bool SettingsFileExists() { return QFile::exists(QString::fromStdString(ShellSettingsFile())); }

    // Puts the focus into the edit and replaces its text, as a user would.
    void TypeInto(const char* name, const QString& text)
    {
        QLineEdit* edit = Edit(name);
        edit->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }

    static void CompareSizes(const std::array<int32_t, 4>& expected)
    {
        for (int index = 1; index <= 4; ++index)
            QCOMPARE(MinimapSettings.ImageSize(index), expected[static_cast<std::size_t>(index - 1)]);
    }

private slots:
    void init()
    {
        MinimapSettings = TMinimapSettings{};
        QFile::remove(QString::fromStdString(ShellSettingsFile()));
        form = std::make_unique<TTesselOptionsForm>();
        QVERIFY(ShowActive(*form));
    }

    void cleanup() { form.reset(); }

    void theFieldsShowTheSettingsAndEditsAbandonedWithCancelOrEscapeAreGone_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }

    void theFieldsShowTheSettingsAndEditsAbandonedWithCancelOrEscapeAreGone()
    {
        QFETCH(bool, escape);
        MinimapSettings.ImageSizes = {11, 22, 33, -5};
        MinimapSettings.DspUnits = false;
        MinimapSettings.MainDat = "/old/MAINDAT.WAR";
        // The fields still show the defaults of the first showing.
        form->ChooseArchiveFile = [] { return std::optional<QString>(QStringLiteral("/games/war2/MAINDAT.WAR")); };
        TypeInto("EdSize64", QStringLiteral("999"));
        Click(*form, "BtBrowse");
        QCOMPARE(Edit("EdMaindat")->text(), QStringLiteral("/games/war2/MAINDAT.WAR"));
        if (escape)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            Click(*form, "BtCancel");
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        CompareSizes({11, 22, 33, -5});
        QVERIFY(!MinimapSettings.DspUnits);
        QCOMPARE(MinimapSettings.MainDat, std::string("/old/MAINDAT.WAR"));

        QVERIFY(ShowActive(*form));
        QCOMPARE(Edit("EdSize32")->text(), QStringLiteral("11"));
        QCOMPARE(Edit("EdSize64")->text(), QStringLiteral("22"));
        QCOMPARE(Edit("EdSize96")->text(), QStringLiteral("33"));
        QCOMPARE(Edit("EdSize128")->text(), QStringLiteral("-5"));
        QVERIFY(!UnitsBox()->isChecked());
        QCOMPARE(Edit("EdMaindat")->text(), QStringLiteral("/old/MAINDAT.WAR"));
        QVERIFY(!SettingsFileExists());
    }

    void leavingASizeEditAcceptsOnlyAPositiveNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        // The integer text rule itself is the core's; here the sizes' own rule.
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("negative") << "-3" << false;
        QTest::newRow("not a number") << "12a" << false;
        QTest::newRow("hexadecimal") << "$40" << true;
        QTest::newRow("largest") << "2147483647" << true;
    }

    void leavingASizeEditAcceptsOnlyAPositiveNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        TypeInto("EdSize64", text);
        BoxAnswerer answerer;
        QTest::keyClick(Edit("EdSize64"), Qt::Key_Tab);
        if (accepted) {
            QCOMPARE(answerer.Texts(), QStringList());
            QCOMPARE(FocusName(), QStringLiteral("EdSize32"));
            return;
        }
        QCOMPARE(answerer.Texts(), QStringList{'"' + text + QStringLiteral("\" is not a valid image size.")});
        QCOMPARE(answerer.Seen().front().caption, QStringLiteral("Error"));
        QCOMPARE(answerer.Seen().front().icon, QMessageBox::Critical);
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize64"));
        QCOMPARE(Edit("EdSize64")->text(), text);
    }

    void aClickOrMnemonicThatCausedARefusedCheckDoesNotTakeEffect()
    {
        TypeInto("EdSize96", QStringLiteral("abc"));
        BoxAnswerer answerer;
        Click(*form, "BtOk");
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize96"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize96"));
        QTest::keyClick(Edit("EdSize96"), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize96"));

        QCOMPARE(answerer.Texts(), QStringList(3, QStringLiteral("\"abc\" is not a valid image size.")));
        QVERIFY(form->isVisible());
        QVERIFY(UnitsBox()->isChecked());
        QVERIFY(!UnitsBox()->isDown());
        QVERIFY(!form->findChild<QPushButton*>(QStringLiteral("BtOk"))->isDown());
        CompareSizes({160, 160, 160, 160});
        QVERIFY(!SettingsFileExists());
    }

    void switchingToAnotherWindowIsNotLeavingTheEdit()
    {
        TypeInto("EdSize64", QStringLiteral("0"));
        BoxAnswerer answerer;
        QWidget other;
        QVERIFY(ShowActive(other));
        QCOMPARE(answerer.Texts(), QStringList());
    }

    void okStoresEverySettingAndSavesTheFile()
    {
        TypeInto("EdSize32", QStringLiteral("50"));
        TypeInto("EdSize64", QStringLiteral("$40"));
        TypeInto("EdSize128", QStringLiteral("100000"));
        TypeInto("EdMaindat", QStringLiteral("/games/war2/MAINDAT.WAR"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        BoxAnswerer answerer;
        Click(*form, "BtOk");

        QCOMPARE(answerer.Texts(), QStringList());
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        CompareSizes({50, 64, 160, 100000});
        QVERIFY(!MinimapSettings.DspUnits);
        QCOMPARE(MinimapSettings.MainDat, std::string("/games/war2/MAINDAT.WAR"));

        const std::string file = ShellSettingsFile();
        QCOMPARE(ReadSettingNumber(file, "Settings", "Size128", 0), 100000);
        QCOMPARE(ReadSettingText(file, "Settings", "DspUnits", ""), std::string("0"));
        QCOMPARE(ReadSettingText(file, "Settings", "MainDat", ""), std::string("/games/war2/MAINDAT.WAR"));
    }

    void enterInASizeEditStopsAtTheFirstSizeThatIsNotANumber()
    {
        TypeInto("EdSize32", QStringLiteral("100"));
        TypeInto("EdSize64", QStringLiteral("100"));
        TypeInto("EdMaindat", QStringLiteral("/games/MAINDAT.WAR"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        TypeInto("EdSize96", QStringLiteral("abc"));
        BoxAnswerer answerer;
        QTest::keyClick(Edit("EdSize96"), Qt::Key_Return);

        QCOMPARE(answerer.Texts(), QStringList{"'abc' is not a valid integer value."});
        QCOMPARE(answerer.Seen().front().caption, ApplicationTitle());
        QCOMPARE(answerer.Seen().front().icon, QMessageBox::Critical);
        QVERIFY(form->isVisible());
        CompareSizes({100, 100, 160, 160});
        QVERIFY(MinimapSettings.DspUnits);
        QCOMPARE(MinimapSettings.MainDat, std::string());
        QVERIFY(!SettingsFileExists());
    }

    void altOInASizeEditStoresANonPositiveSizeWithoutTheCheck()
    {
        TypeInto("EdSize64", QStringLiteral("-3"));
        BoxAnswerer answerer;
        QTest::keyClick(Edit("EdSize64"), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(MinimapSettings.ImageSize(2), -3);
        QCOMPARE(ReadSettingNumber(ShellSettingsFile(), "Settings", "Size64", 0), -3);
    }

    void theArchiveDialogAsksForAnExistingArchiveFile()
    {
        QTemporaryDir folder;
        const QString archive = folder.filePath(QStringLiteral("MAINDAT.WAR"));
        WriteFile(archive);
        const QFileDialog* dialog = ChooseInFileDialog(archive, [this] { Click(*form, "BtBrowse"); });
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Please locate MAINDAT.WAR"));
        QCOMPARE(dialog->nameFilters(), (QStringList{"WarCraft 2 archive files (*.war *.WAR)", "All files(*)"}));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(Edit("EdMaindat")->text(), Native(archive));
    }

    // Under X11 the file dialog can close while the completion list of its
    // file name is still open; that list must not take the next key.
    void aCompletionListStillOpenWhenTheArchiveDialogClosesGoesWithIt()
    {
        QTemporaryDir folder;
        const QString archive = folder.filePath(QStringLiteral("MAINDAT.WAR"));
        WriteFile(archive);
        bool listWasOpen = false;
        WhenModalOpens<QFileDialog> chooser([&](QFileDialog& dialog) {
            dialog.setDirectory(folder.path());
            auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(fileName && fileName->completer());
            fileName->setFocus();
            QTest::keyClicks(fileName, QStringLiteral("MAINDAT.WAR"));
            // Once the folder is read, the list opens on the next key.
            QTRY_VERIFY(fileName->completer()->completionCount() > 0);
            fileName->completer()->complete();
            QVERIFY(fileName->completer()->popup()->isVisible());
            listWasOpen = QApplication::activePopupWidget() != nullptr;
            QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
        });
        Click(*form, "BtBrowse");
        QVERIFY(chooser.WasRun());
        QVERIFY(listWasOpen);
        QCOMPARE(Edit("EdMaindat")->text(), Native(archive));

        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(!SettingsFileExists());
    }

    void tabWalksTheControlsInTheirOrder()
    {
        Edit("EdSize128")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize128"));
        QCOMPARE(TabWalk(9), (QStringList{"EdSize96", "EdSize64", "EdSize32", "BtBrowse", "CbDspUnits", "BtOk",
                                          "BtCancel", "EdMaindat", "EdSize128"}));
    }

    void mnemonicsMoveTheFocusToTheirEdits()
    {
        const std::pair<Qt::Key, QString> mnemonics[] = {{Qt::Key_M, "EdMaindat"}, {Qt::Key_1, "EdSize128"},
                                                         {Qt::Key_9, "EdSize96"},   {Qt::Key_6, "EdSize64"},
                                                         {Qt::Key_3, "EdSize32"}};
        for (const auto& [key, edit] : mnemonics) {
            form->findChild<QPushButton*>(QStringLiteral("BtCancel"))->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(FocusName(), QStringLiteral("BtCancel"));
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QCOMPARE(FocusName(), edit);
        }
        QVERIFY(form->isVisible());
    }
};

TESSEL_SHELL_TEST_MAIN(TestOptionsDialog)
#include "tst_options.moc"
