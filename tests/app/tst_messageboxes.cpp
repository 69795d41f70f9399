// The message boxes, the default error handler and the application title.
#include "ShellTestSupport.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "MessageBoxes.h"

#include <QLabel>
#include <QScreen>

#include <new>

Q_DECLARE_METATYPE(tessel::test::BoxAnswerer::Answer)

using namespace tessel;
using namespace tessel::test;

namespace {

using Answer = BoxAnswerer::Answer;

Answer Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return [=](QMessageBox& box) { QTest::keyClick(&box, key, modifiers); };
}

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
        failure();
        return true;
    }
};

}  // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void errorBoxShowsThePlainTextUnderErrorWithOneOkButtonWrappedWithinHalfTheScreen()
    {
        int labelWidth = -1;
        int screenWidth = 0;
        BoxAnswerer answerer([&](QMessageBox& box) {
            if (const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                labelWidth = label->width();
            screenWidth = box.screen()->availableGeometry().width();
            QTest::keyClick(&box, Qt::Key_Return);
        });
        std::string text = "Invalid <b>image</b> size (-5).";
        for (int i = 0; i < 60; ++i)
            text += " word" + std::to_string(i);
        ErrorBox(text);
        QCOMPARE(answerer.Seen().size(), 1u);
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, QString::fromStdString(text));
        QCOMPARE(box.format, Qt::PlainText);
        QCOMPARE(box.buttons, QStringList{"OK"});
        QCOMPARE(box.defaultButton, QStringLiteral("OK"));
        QCOMPARE(box.escapeButton, QStringLiteral("OK"));
        QVERIFY(labelWidth > 0);
        QVERIFY2(labelWidth <= screenWidth / 2, qPrintable(QString::number(labelWidth)));
    }

    void confirmBoxOffersYesThenNoAndBreaksTheLineAtACarriageReturn()
    {
        BoxAnswerer answerer([](QMessageBox& box) { PressButton(box, QStringLiteral("&Yes")); });
        QVERIFY(ConfirmBox("Creation failed for \"/maps/a.pud\".\rContinue with rest of list ?"));
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, QStringLiteral("Confirm"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.text, QStringLiteral("Creation failed for \"/maps/a.pud\".\nContinue with rest of list ?"));
        QCOMPARE(box.format, Qt::PlainText);
        QCOMPARE(box.buttons, (QStringList{"&Yes", "&No"}));
        QCOMPARE(box.defaultButton, QStringLiteral("&Yes"));
        QCOMPARE(box.escapeButton, QStringLiteral("&No"));
    }

    void confirmBoxAnswersYesOnlyForYes_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Enter chooses the default Yes") << Key(Qt::Key_Return) << true;
        QTest::newRow("No") << Answer([](QMessageBox& box) { PressButton(box, QStringLiteral("&No")); }) << false;
        QTest::newRow("Escape") << Key(Qt::Key_Escape) << false;
        QTest::newRow("closing the box") << Answer([](QMessageBox& box) { box.close(); }) << false;
        QTest::newRow("Alt+N") << Key(Qt::Key_N, Qt::AltModifier) << false;
    }

    void confirmBoxAnswersYesOnlyForYes()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, expected);
        BoxAnswerer answerer(answer);
        QCOMPARE(ConfirmBox("Continue?"), expected);
        QCOMPARE(answerer.Seen().size(), 1u);
    }

    void anExceptionEscapingAnEventHandlerIsShownWithAFullStopAndTheProgramGoesOn()
    {
        FailingReceiver receiver;
        BoxAnswerer answerer;
        receiver.failure = [] { throw Exception("Invalid image size (-5)"); };
        QEvent first(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &first);
        receiver.failure = [] { throw EInOutError(io_error::FileNotFound); };
        QEvent second(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &second);

        QCOMPARE(receiver.eventsHandled, 2);
        QCOMPARE(answerer.Texts(), (QStringList{"Invalid image size (-5).", "File not found."}));
        const BoxSeen& box = answerer.Seen().front();
        QCOMPARE(box.caption, ApplicationTitle());
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QStringList{"OK"});
    }

    void theFullStopIsAddedEvenAfterOneAndExhaustedMemoryIsReportedInTheProgramsOwnWords()
    {
        BoxAnswerer answerer;
        RunEventHandler([] { throw Exception("Out of memory."); });
        RunEventHandler([] { throw std::bad_alloc(); });
        QCOMPARE(answerer.Texts(), (QStringList{"Out of memory..", "Out of memory."}));
    }

    void theApplicationTitleIsTheProgramNameUpToItsFirstDot_data()
    {
        QTest::addColumn<QString>("programFile");
        QTest::addColumn<QString>("title");
        QTest::newRow("upper-case name") << "/opt/tools/MINIMAPS.EXE" << "Minimaps";
        QTest::newRow("two dots") << "/opt/tools/my.tool.exe" << "my";
        QTest::newRow("first character kept") << "/usr/bin/tESSEL" << "tessel";
        QTest::newRow("no directory") << "TESSEL.bin" << "Tessel";
    }

    void theApplicationTitleIsTheProgramNameUpToItsFirstDot()
    {
        QFETCH(QString, programFile);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitleFromPath(programFile), title);
    }
};

TESSEL_SHELL_TEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
