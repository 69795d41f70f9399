// ErrorBox: how the core shows a failure to the user. The core only calls
// ErrorBox(text); what "showing" means belongs to whoever installs a handler:
// the desktop shell shows a message box, the command-line renderer prints a
// line, tests record the texts. Without a handler the text goes to stderr.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tessel {

using ErrorBoxHandler = std::function<void(const std::string& text)>;

// Shows text and returns when the user has seen it.
void ErrorBox(const std::string& text);

// Installs the process-wide handler; an empty handler restores the default.
void SetErrorBoxHandler(ErrorBoxHandler handler);

// Routes the ErrorBox calls of the current thread to handler while it lives,
// so that parallel workers can each collect the texts of their own scenario.
class ScopedErrorBoxHandler {
public:
    explicit ScopedErrorBoxHandler(ErrorBoxHandler handler);
    ~ScopedErrorBoxHandler();
    ScopedErrorBoxHandler(const ScopedErrorBoxHandler&) = delete;
    ScopedErrorBoxHandler& operator=(const ScopedErrorBoxHandler&) = delete;

private:
    ErrorBoxHandler handler_;
    const ErrorBoxHandler* previous_;
};

// Collects the ErrorBox texts of the current thread, in order, while it
// lives: for a component other than the desktop program, which reports
// them its own way (a line per failure, the first failure only, or none).
class ErrorBoxCapture {
public:
    ErrorBoxCapture();
    const std::vector<std::string>& Texts() const { return texts_; }
    // The texts so far, leaving none behind.
    std::vector<std::string> TakeTexts();

private:
    std::vector<std::string> texts_;
    ScopedErrorBoxHandler scope_;  // after texts_, which it fills
};

}  // namespace tessel
