// Helpers of the shell tests: a private settings folder, a main() that runs
// a Qt Test object inside the real application object, and scripted answers
// to the modal boxes and dialogs that the code under test opens.
#pragma once

#include "TesselApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace tessel::test {

// Points XDG_CONFIG_HOME at a fresh folder for the whole test program, so
// that no real settings file is read or written.
class PrivateConfigFolder {
public:
    PrivateConfigFolder();
    const QTemporaryDir& Folder() const { return folder_; }

private:
    QTemporaryDir folder_;
};

// What a user sees of a message box.
struct BoxSeen {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QStringList buttons;  // left to right
    QString defaultButton;
    QString escapeButton;
};

BoxSeen ReadBox(const QMessageBox& box);

// Ways to answer a box.
void PressButton(QMessageBox& box, const QString& buttonText);
void PressKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Answers every message box that opens while it lives, from inside the
// box's own event loop, and records what each showed.
class BoxAnswerer {
public:
    using Answer = std::function<void(QMessageBox&)>;
    // By default a box is answered with Enter.
    explicit BoxAnswerer(Answer answer = {});
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<BoxSeen>& Seen() const { return seen_; }
    QStringList Texts() const;

private:
    void Poll();

    Answer answer_;
    QTimer timer_;
    QPointer<QMessageBox> answered_;
    std::vector<BoxSeen> seen_;
};

// Runs handler on the next modal widget of type Widget that opens. Answers
// after a generous wait so that a box that never opens cannot hang the run;
// WasRun() tells whether it came.
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

}  // namespace tessel::test

// main() of a shell test program: the real application object, a private
// settings folder, then the test object's slots.
#define TESSEL_SHELL_TEST_MAIN(TestObject)                    \
    int main(int argc, char** argv)                           \
    {                                                         \
        tessel::test::PrivateConfigFolder configFolder;       \
        tessel::TTesselApplication application(argc, argv);   \
        TestObject test;                                      \
        return QTest::qExec(&test, argc, argv);               \
    }
