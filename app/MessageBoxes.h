// The message boxes of the shell: ErrorBox and ConfirmBox as Qt message
// boxes. Both are application-modal, centred on the screen, and show their
// text as plain text (a carriage return breaks the line).
#pragma once

#include <string>

class QString;

namespace tessel {

// A box with the stop icon and one "OK" button, which is both the default
// and the escape button. Returns when the user has closed it.
void ShowStopBox(const QString& caption, const QString& text);

// ErrorBox as the user sees it: caption "Error".
void ShowErrorBox(const std::string& text);

// Caption "Confirm", the question icon, "&Yes" (default) and "&No" (escape)
// from left to right. True only when Yes was chosen; No, Escape and closing
// the box answer false.
bool ConfirmBox(const std::string& text);

// Routes the core's ErrorBox to ShowErrorBox.
void InstallErrorBoxHandler();

}  // namespace tessel
