// Start-up and shut-down of the desktop program: the application's names
// and icon, the five windows created in their fixed order and destroyed in
// the reverse one, and the message loop between.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tessel {

// Lets a caller watch the windows come and go (tests do).
struct FormHooks {
    // After a window is built and its creation handler has run, with its
    // process-wide reference set. Whatever it raises counts as a failure of
    // that window's creation.
    std::function<void(QWidget& form)> Created;
    // Before a window is destroyed.
    std::function<void(QWidget& form)> Destroying;
};

// The application icon, and the program's title as the name under which
// the desktop groups its windows. No window title is changed.
void InitialiseApplication();

// Creates the main window (which loads the settings), the options dialog,
// the directory chooser, the preview window and the about box, in this
// order, each into its process-wide reference. When one fails, its
// reference is cleared, the partly built window released and the failure
// passed on; the windows created before it stay.
void CreateForms(const FormHooks& hooks = {});

// Hides every window, then destroys them in the reverse order of creation,
// clearing each reference; the main window goes last. Missing ones are
// passed over.
void DestroyForms(const FormHooks& hooks = {});

// The text of the box for a failure during start-up, naming the exception
// and the program; call it inside a catch block.
QString StartupErrorText();

// The whole program once the application object exists: creates the
// windows, shows the main window and runs until it is closed, then destroys
// the windows. A failure while the windows are created is shown in a box
// "Application Error" and gives exit code 1; otherwise the code is 0.
int RunTessel(const FormHooks& hooks = {});

}  // namespace tessel
