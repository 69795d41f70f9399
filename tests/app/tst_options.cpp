// The options dialog as a user drives it: with the keyboard and the mouse,
// against the process-wide settings and the settings file.
#include "ShellTestSupport.h"

#include "Forms.h"
#include "MinimapSettings.h"
#include "Settings.h"
#include "TesselOptions.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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
    QPushButton* Button(const char* name) const { return form->findChild<QPushButton*>(QLatin1String(name)); }
    QCheckBox* UnitsBox() const { return form->findChild<QCheckBox*>(QStringLiteral("CbDspUnits")); }
    static QString FocusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }
    static bool SettingsFileExists() { return QFile::exists(QString::fromStdString(ShellSettingsFile())); }

    // Puts the focus into edit and gives it text, as the user would.
    void TypeInto(QLineEdit* edit, const QString& text)
    {
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
    }

    void cleanup() { form.reset(); }

    void showingTheDialogFillsTheFieldsFromTheSettings()
    {
        MinimapSettings.ImageSizes = {11, 22, 33, -5};
        MinimapSettings.DspUnits = false;
        MinimapSettings.MainDat = "/games/war2/MAINDAT.WAR";
        QVERIFY(ShowActive(*form));
        QCOMPARE(Edit("EdSize32")->text(), QStringLiteral("11"));
        QCOMPARE(Edit("EdSize64")->text(), QStringLiteral("22"));
        QCOMPARE(Edit("EdSize96")->text(), QStringLiteral("33"));
        QCOMPARE(Edit("EdSize128")->text(), QStringLiteral("-5"));
        QVERIFY(!UnitsBox()->isChecked());
        QCOMPARE(Edit("EdMaindat")->text(), QStringLiteral("/games/war2/MAINDAT.WAR"));
    }

    void editsAbandonedWithCancelAreGoneAtTheNextShowing()
    {
        QVERIFY(ShowActive(*form));
        TypeInto(Edit("EdSize64"), QStringLiteral("999"));
        TypeInto(Edit("EdMaindat"), QStringLiteral("/elsewhere/MAINDAT.WAR"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        QVERIFY(!UnitsBox()->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        CompareSizes({160, 160, 160, 160});

        QVERIFY(ShowActive(*form));
        QCOMPARE(Edit("EdSize64")->text(), QStringLiteral("160"));
        QVERIFY(UnitsBox()->isChecked());
        QCOMPARE(Edit("EdMaindat")->text(), QString());
        QVERIFY(!SettingsFileExists());
    }

    void leavingASizeEditWithARefusedTextReportsItAndKeepsTheFocus_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << "0";
        QTest::newRow("negative") << "-3";
        QTest::newRow("empty") << "";
        QTest::newRow("trailing letters") << "12a";
        QTest::newRow("trailing blank") << "64 ";
    }

    void leavingASizeEditWithARefusedTextReportsItAndKeepsTheFocus()
    {
        QFETCH(QString, text);
        QVERIFY(ShowActive(*form));
        QLineEdit* edit = Edit("EdSize64");
        TypeInto(edit, text);
        BoxAnswerer answerer;
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(answerer.Texts(), QStringList{QLatin1Char('"') + text + QStringLiteral("\" is not a valid image size.")});
        QCOMPARE(answerer.Seen().front().caption, QStringLiteral("Error"));
        QCOMPARE(answerer.Seen().front().icon, QMessageBox::Critical);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->text(), text);
    }

    void leavingASizeEditWithAPositiveNumberPasses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("leading blanks") << "  64";
        QTest::newRow("hexadecimal") << "$40";
        QTest::newRow("plus sign") << "+7";
        QTest::newRow("largest") << "2147483647";
    }

    void leavingASizeEditWithAPositiveNumberPasses()
    {
        QFETCH(QString, text);
        QVERIFY(ShowActive(*form));
        TypeInto(Edit("EdSize64"), text);
        BoxAnswerer answerer;
        QTest::keyClick(Edit("EdSize64"), Qt::Key_Tab);
        QCOMPARE(FocusName(), QStringLiteral("EdSize32"));
        QCOMPARE(answerer.Texts(), QStringList());
    }

    void aClickThatCausedARefusedCheckDoesNotTakeEffect()
    {
        QVERIFY(ShowActive(*form));
        QLineEdit* edit = Edit("EdSize64");
        TypeInto(edit, QStringLiteral("0"));
        BoxAnswerer answerer;

        QTest::mouseClick(Button("BtOk"), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), edit);

        QCOMPARE(answerer.Seen().size(), 2u);
        QVERIFY(form->isVisible());
        QVERIFY(UnitsBox()->isChecked());
        QVERIFY(!Button("BtOk")->isDown());
        CompareSizes({160, 160, 160, 160});
        QVERIFY(!SettingsFileExists());
    }

    void theUnitsMnemonicDoesNotToggleWhenTheSizeIsRefused()
    {
        QVERIFY(ShowActive(*form));
        QLineEdit* edit = Edit("EdSize96");
        TypeInto(edit, QStringLiteral("abc"));
        BoxAnswerer answerer;
        QTest::keyClick(edit, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("\"abc\" is not a valid image size.")});
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QVERIFY(!UnitsBox()->isDown());
        QVERIFY(UnitsBox()->isChecked());
    }

    void switchingToAnotherWindowIsNotLeavingTheEdit()
    {
        QVERIFY(ShowActive(*form));
        TypeInto(Edit("EdSize64"), QStringLiteral("0"));
        BoxAnswerer answerer;
        QWidget other;
        QVERIFY(ShowActive(other));
        QCOMPARE(answerer.Texts(), QStringList());
    }

    void okStoresEverySettingAndSavesTheFile()
    {
        QVERIFY(ShowActive(*form));
        TypeInto(Edit("EdSize32"), QStringLiteral("50"));
        TypeInto(Edit("EdSize64"), QStringLiteral("$40"));
        TypeInto(Edit("EdSize128"), QStringLiteral("100000"));
        TypeInto(Edit("EdMaindat"), QStringLiteral("/games/war2/MAINDAT.WAR"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        BoxAnswerer answerer;
        QTest::mouseClick(Button("BtOk"), Qt::LeftButton);

        QCOMPARE(answerer.Texts(), QStringList());
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        CompareSizes({50, 64, 160, 100000});
        QVERIFY(!MinimapSettings.DspUnits);
        QCOMPARE(MinimapSettings.MainDat, std::string("/games/war2/MAINDAT.WAR"));

        const std::string file = ShellSettingsFile();
        QCOMPARE(ReadSettingNumber(file, "Settings", "Size32", 0), 50);
        QCOMPARE(ReadSettingNumber(file, "Settings", "Size64", 0), 64);
        QCOMPARE(ReadSettingNumber(file, "Settings", "Size96", 0), 160);
        QCOMPARE(ReadSettingNumber(file, "Settings", "Size128", 0), 100000);
        QCOMPARE(ReadSettingText(file, "Settings", "DspUnits", ""), std::string("0"));
        QCOMPARE(ReadSettingText(file, "Settings", "MainDat", ""), std::string("/games/war2/MAINDAT.WAR"));
    }

    void enterInASizeEditStopsAtTheFirstSizeThatIsNotANumber()
    {
        QVERIFY(ShowActive(*form));
        TypeInto(Edit("EdSize32"), QStringLiteral("100"));
        TypeInto(Edit("EdSize64"), QStringLiteral("100"));
        TypeInto(Edit("EdMaindat"), QStringLiteral("/games/MAINDAT.WAR"));
        QTest::mouseClick(UnitsBox(), Qt::LeftButton);
        QLineEdit* edit = Edit("EdSize96");
        TypeInto(edit, QStringLiteral("abc"));
        BoxAnswerer answerer;
        QTest::keyClick(edit, Qt::Key_Return);

        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
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
        QVERIFY(ShowActive(*form));
        QLineEdit* edit = Edit("EdSize64");
        TypeInto(edit, QStringLiteral("-3"));
        BoxAnswerer answerer;
        QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(answerer.Texts(), QStringList());
        QCOMPARE(MinimapSettings.ImageSize(2), -3);
        QCOMPARE(ReadSettingNumber(ShellSettingsFile(), "Settings", "Size64", 0), -3);
    }

    void browseFillsTheArchivePathButCancelKeepsTheSetting()
    {
        MinimapSettings.MainDat = "/old/MAINDAT.WAR";
        form->ChooseArchiveFile = [] { return std::optional<QString>(QStringLiteral("/games/war2/MAINDAT.WAR")); };
        QVERIFY(ShowActive(*form));
        QTest::mouseClick(Button("BtBrowse"), Qt::LeftButton);
        QCOMPARE(Edit("EdMaindat")->text(), QStringLiteral("/games/war2/MAINDAT.WAR"));
        QTest::mouseClick(Button("BtCancel"), Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QCOMPARE(MinimapSettings.MainDat, std::string("/old/MAINDAT.WAR"));
    }

    void theArchiveDialogAsksForAnExistingArchiveFile()
    {
        QTemporaryDir folder;
        const QString archive = folder.filePath(QStringLiteral("MAINDAT.WAR"));
        QFile file(archive);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QString title;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        WhenModalOpens<QFileDialog> chooser([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            filters = dialog.nameFilters();
            mode = dialog.fileMode();
            dialog.selectFile(archive);
            QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
        });
        QVERIFY(ShowActive(*form));
        QTest::mouseClick(Button("BtBrowse"), Qt::LeftButton);

        QVERIFY(chooser.WasRun());
        QCOMPARE(title, QStringLiteral("Please locate MAINDAT.WAR"));
        QCOMPARE(filters, (QStringList{QStringLiteral("WarCraft 2 archive files (*.war *.WAR)"),
                                       QStringLiteral("All files(*)")}));
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QCOMPARE(Edit("EdMaindat")->text(), QDir::toNativeSeparators(archive));
    }

    void tabWalksTheControlsInTheirOrder()
    {
        QVERIFY(ShowActive(*form));
        Edit("EdSize128")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(FocusName(), QStringLiteral("EdSize128"));
        QStringList visited;
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(FocusName());
        }
        QCOMPARE(visited, (QStringList{"EdSize96", "EdSize64", "EdSize32", "BtBrowse", "CbDspUnits", "BtOk", "BtCancel",
                                       "EdMaindat", "EdSize128"}));
    }

    void mnemonicsMoveTheFocusToTheirEdits_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("edit");
        QTest::newRow("Alt+M") << int(Qt::Key_M) << "EdMaindat";
        QTest::newRow("Alt+1") << int(Qt::Key_1) << "EdSize128";
        QTest::newRow("Alt+9") << int(Qt::Key_9) << "EdSize96";
        QTest::newRow("Alt+6") << int(Qt::Key_6) << "EdSize64";
        QTest::newRow("Alt+3") << int(Qt::Key_3) << "EdSize32";
    }

    void mnemonicsMoveTheFocusToTheirEdits()
    {
        QFETCH(int, key);
        QFETCH(QString, edit);
        QVERIFY(ShowActive(*form));
        Button("BtCancel")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(FocusName(), QStringLiteral("BtCancel"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
        QCOMPARE(FocusName(), edit);
        QVERIFY(form->isVisible());
    }
};

TESSEL_SHELL_TEST_MAIN(TestOptionsDialog)
#include "tst_options.moc"
