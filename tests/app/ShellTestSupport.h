// Helpers of the shell tests: private settings and cache folders, a main()
// that runs a Qt Test object inside the real application object, scripted
// answers to the modal boxes and dialogs, and a user's clicks and keys.
#pragma once

#include "TesselApplication.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace tessel::test {

// Points an XDG folder variable at a fresh folder for the whole test
// program, so that nothing of the user's is read or written.
class PrivateFolder {
public:
    explicit PrivateFolder(const char* variable) { qputenv(variable, folder_.path().toLocal8Bit()); }

private:
    QTemporaryDir folder_;
};

struct PrivateConfigFolder : PrivateFolder {
    PrivateConfigFolder() : PrivateFolder("XDG_CONFIG_HOME") {}
};

// What a user sees of a message box.
struct BoxSeen {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QStringList buttons;  // left to right
    QString defaultButton;
    QString escapeButton;
};

void PressButton(QMessageBox& box, const QString& buttonText);

// Answers every message box that opens while it lives, from inside the
// box's own event loop (by default with Enter), and records what each showed.
class BoxAnswerer {
public:
    using Answer = std::function<void(QMessageBox&)>;
    explicit BoxAnswerer(Answer answer = {});

    const std::vector<BoxSeen>& Seen() const { return seen_; }
    QStringList Texts() const;

private:
    void Poll();

    Answer answer_;
    QTimer timer_;
    QPointer<QMessageBox> answered_;
    std::vector<BoxSeen> seen_;
};

// Runs handler on the next modal widget of type Widget that opens; WasRun()
// tells whether it came.
template <typename Widget>
class WhenModalOpens {
public:
    explicit WhenModalOpens(std::function<void(Widget&)> handler) : handler_(std::move(handler))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget())) {
                timer_.stop();
                ran_ = true;
                handler_(*widget);
            }
        });
        timer_.start(5);
    }
    bool WasRun() const { return ran_; }

private:
    std::function<void(Widget&)> handler_;
    QTimer timer_;
    bool ran_ = false;
};

// Shows a window and waits until it has the keyboard focus.
bool ShowActive(QWidget& window);

// Chooses file in the file dialog that open() opens; returns the dialog,
// which stays for a look at how it was set up, or null when none opened.
QFileDialog* ChooseInFileDialog(const QString& file, const std::function<void()>& open);

inline QString Native(const QString& path) { return QDir::toNativeSeparators(path); }
void WriteFile(const QString& path, const QByteArray& bytes = {});
QByteArray ReadFile(const QString& path);

// Clicks the button called name inside window.
void Click(const QWidget& window, const char* name);
// Double-clicks item; QTest's own double click makes no double-click event
// for item views.
void DoubleClick(QListWidget& list, const QListWidgetItem* item);
QString FocusName();
// The names of the controls that steps presses of Tab visit.
QStringList TabWalk(int steps);

}  // namespace tessel::test

// main() of a shell test program: private settings and cache folders, the
// real application object, then the test object's slots.
#define TESSEL_SHELL_TEST_MAIN(TestObject)                           \
    int main(int argc, char** argv)                                  \
    {                                                                \
        tessel::test::PrivateConfigFolder configFolder;              \
        tessel::test::PrivateFolder cacheFolder("XDG_CACHE_HOME");   \
        tessel::TTesselApplication application(argc, argv);          \
        TestObject test;                                             \
        return QTest::qExec(&test, argc, argv);                      \
    }
