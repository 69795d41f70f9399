#include "MessageBoxes.h"

#include "base/ErrorBox.h"
#include "text/TerminalName.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace tessel {

namespace {

// Texts come from the core with carriage returns as line breaks.
QString DisplayText(const QString& text)
{
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

// A parentless box is centred on the screen and blocks the whole
// application; QMessageBox wraps the text at about half the screen width.
void PrepareBox(QMessageBox& box, const QString& caption, QMessageBox::Icon icon, const QString& text)
{
    box.setWindowTitle(caption);
    box.setIcon(icon);
    // Paths and messages are never markup, whatever they contain.
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(text));
}

// Runs the box and gives the activation back to the window that had it,
// as an owned box would: a parentless box leaves no window active.
void RunBox(QMessageBox& box)
{
    const QPointer<QWidget> previous = QApplication::activeWindow();
    box.exec();
    if (previous && previous->isVisible())
        previous->activateWindow();
}

}  // namespace

void ShowStopBox(const QString& caption, const QString& text)
{
    QMessageBox box;
    PrepareBox(box, caption, QMessageBox::Critical, text);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    RunBox(box);
}

void ShowErrorBox(const std::string& text) { ShowStopBox(QStringLiteral("Error"), QString::fromStdString(text)); }

bool ConfirmBox(const std::string& text)
{
    QMessageBox box;
    PrepareBox(box, QStringLiteral("Confirm"), QMessageBox::Question, QString::fromStdString(text));
    // One role for both keeps them in the order added on every desktop;
    // the yes-no roles would put No first under GNOME.
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::ActionRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    RunBox(box);
    return box.clickedButton() == yes;
}

void InstallErrorBoxHandler()
{
    SetErrorBoxHandler([](const std::string& text) {
        // Widgets live on the user-interface thread only.
        if (QApplication::instance() && QThread::currentThread() == QApplication::instance()->thread())
            ShowErrorBox(text);
        else  // a text may hold a file name: one line, inert on a terminal
            std::fprintf(stderr, "%s\n", TerminalName(text).c_str());
    });
}

}  // namespace tessel
