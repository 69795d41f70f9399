// The message boxes, the default error handler and the application title.
#include "ShellTestSupport.h"

#include "ErrorBox.h"
#include "Exceptions.h"
#include "MessageBoxes.h"
#include "TesselApplication.h"

#include <QLabel>
#include <QScreen>

#include <new>

Q_DECLARE_METATYPE(std::function<void(QMessageBox&)>)

using namespace tessel;
using namespace tessel::test;

namespace {

// A receiver whose event handler fails the way a shell handler can.
class FailingReceiver : public QObject {
public:
    std::function<void()> failure;
    int eventsHandled = 0;

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++eventsHandled;
        if (failure)
            failure();
        return true;
    }
};

}  // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void errorBoxShowsTheTextUnderErrorWithOneOkButton()
    {
        BoxAnswerer answerer;
        ErrorBox("Invalid image size (-5).");
        QCOMPARE(answerer.Seen().size(), 1u);
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, QStringLiteral("Invalid image size (-5)."));
        QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(box.defaultButton, QStringLiteral("OK"));
        QCOMPARE(box.escapeButton, QStringLiteral("OK"));
    }

    void errorBoxWrapsALongTextWithinHalfTheScreen()
    {
        int labelWidth = 0;
        int screenWidth = 0;
        BoxAnswerer answerer([&](QMessageBox& box) {
            const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            labelWidth = label ? label->width() : -1;
            screenWidth = box.screen()->availableGeometry().width();
            PressKey(box, Qt::Key_Return);
        });
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += "word" + std::to_string(i) + " ";
        ShowErrorBox(text);
        QVERIFY(labelWidth > 0);
        QVERIFY2(labelWidth <= screenWidth / 2, qPrintable(QString::number(labelWidth)));
    }

    void boxTextsAreNeverReadAsMarkup()
    {
        Qt::TextFormat format = Qt::RichText;
        BoxAnswerer answerer([&format](QMessageBox& box) {
            format = box.textFormat();
            PressKey(box, Qt::Key_Return);
        });
        ShowErrorBox("Cannot open <b>maps</b>");
        QCOMPARE(format, Qt::PlainText);
    }

    void confirmBoxOffersYesThenNoWithYesAsDefaultAndNoAsEscape()
    {
        BoxAnswerer answerer([](QMessageBox& box) { PressButton(box, QStringLiteral("&Yes")); });
        QVERIFY(ConfirmBox("Continue?"));
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, QStringLiteral("Confirm"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.buttons, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
        QCOMPARE(box.defaultButton, QStringLiteral("&Yes"));
        QCOMPARE(box.escapeButton, QStringLiteral("&No"));
    }

    void confirmBoxAnswersYesOnlyForYes_data()
    {
        QTest::addColumn<std::function<void(QMessageBox&)>>("answer");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Enter chooses the default Yes")
            << std::function<void(QMessageBox&)>([](QMessageBox& box) { PressKey(box, Qt::Key_Return); }) << true;
        QTest::newRow("No") << std::function<void(QMessageBox&)>(
            [](QMessageBox& box) { PressButton(box, QStringLiteral("&No")); })
                            << false;
        QTest::newRow("Escape") << std::function<void(QMessageBox&)>(
            [](QMessageBox& box) { PressKey(box, Qt::Key_Escape); })
                                << false;
        QTest::newRow("closing the box")
            << std::function<void(QMessageBox&)>([](QMessageBox& box) { box.close(); }) << false;
        QTest::newRow("Alt+N") << std::function<void(QMessageBox&)>(
            [](QMessageBox& box) { PressKey(box, Qt::Key_N, Qt::AltModifier); })
                               << false;
    }

    void confirmBoxAnswersYesOnlyForYes()
    {
        QFETCH(std::function<void(QMessageBox&)>, answer);
        QFETCH(bool, expected);
        BoxAnswerer answerer(answer);
        QCOMPARE(ConfirmBox("Continue?"), expected);
        QCOMPARE(answerer.Seen().size(), 1u);
    }

    void aCarriageReturnBreaksTheLine()
    {
        BoxAnswerer answerer;
        ConfirmBox("Minimap creation failed for \"/maps/a.pud\".\rContinue with rest of list ?");
        QCOMPARE(answerer.Seen().front().text,
                 QStringLiteral("Minimap creation failed for \"/maps/a.pud\".\nContinue with rest of list ?"));
    }

    void anExceptionEscapingAnEventHandlerIsShownWithAFullStopAndTheProgramGoesOn()
    {
        FailingReceiver receiver;
        receiver.failure = [] { throw Exception("Invalid image size (-5)"); };
        BoxAnswerer answerer;
        QEvent first(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &first);
        receiver.failure = [] { throw EInOutError(io_error::FileNotFound); };
        QEvent second(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &second);

        QCOMPARE(receiver.eventsHandled, 2);
        QCOMPARE(answerer.Texts(),
                 (QStringList{QStringLiteral("Invalid image size (-5)."), QStringLiteral("File not found.")}));
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, ApplicationTitle());
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
    }

    void theFullStopIsAppendedEvenAfterOne()
    {
        BoxAnswerer answerer;
        RunEventHandler([] { throw Exception("Out of memory."); });
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("Out of memory..")});
    }

    void exhaustedMemoryIsReportedInTheProgramsOwnWords()
    {
        BoxAnswerer answerer;
        RunEventHandler([] { throw std::bad_alloc(); });
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("Out of memory.")});
    }

    void theApplicationTitleIsTheProgramNameUpToItsFirstDot_data()
    {
        QTest::addColumn<QString>("programFile");
        QTest::addColumn<QString>("title");
        QTest::newRow("upper-case name") << "/opt/tools/MINIMAPS.EXE"
                                         << "Minimaps";
        QTest::newRow("two dots") << "/opt/tools/my.tool.exe"
                                  << "my";
        QTest::newRow("no extension") << "/usr/bin/Tessel"
                                      << "Tessel";
        QTest::newRow("first character kept") << "/usr/bin/tESSEL"
                                              << "tessel";
        QTest::newRow("no directory") << "TESSEL.bin"
                                      << "Tessel";
    }

    void theApplicationTitleIsTheProgramNameUpToItsFirstDot()
    {
        QFETCH(QString, programFile);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitleFromPath(programFile), title);
    }

    void theRunningProgramIsTitledAfterItsFile()
    {
        QCOMPARE(ApplicationTitle(), QStringLiteral("tst_messageboxes"));
    }
};

TESSEL_SHELL_TEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
