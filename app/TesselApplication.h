// The application object and the default error handler: an exception that
// an event handler lets escape is shown in a box with the application title
// as caption, the stop icon, one OK button and the message followed by a
// full stop; then the program goes on.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>

namespace tessel {

// The application title of a program file: its file name without the
// directory and without everything from its first "." on; the first
// character as it is, the rest in lower case (MINIMAPS.EXE gives Minimaps).
QString ApplicationTitleFromPath(const QString& programFilePath);

// The title of the running program.
QString ApplicationTitle();

// The default error handler's box for message (the full stop is added here).
void ShowDefaultErrorBox(const QString& message);

// The message of the exception being handled; call it inside a catch block.
QString CurrentExceptionMessage();

// Runs an event handler; whatever it raises goes to the default error
// handler here, so that no exception unwinds through Qt's own frames.
template <typename Handler>
void RunEventHandler(Handler&& handler)
{
    QString message;
    try {
        handler();
        return;
    } catch (const std::exception&) {
        message = CurrentExceptionMessage();
    }
    ShowDefaultErrorBox(message);
}

class TTesselApplication : public QApplication {
    Q_OBJECT

public:
    // Also installs the message-box ErrorBox handler for the application's
    // lifetime.
    TTesselApplication(int& argc, char** argv);
    ~TTesselApplication() override;

    const QString& Title() const { return title_; }

    // The last line of defence for event handlers that do not use
    // RunEventHandler.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QString title_;
};

}  // namespace tessel
