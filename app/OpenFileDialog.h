// The file-open dialogs of the shell: one for scenarios, one for the archive.
#pragma once

#include <QFileDialog>
#include <QStringList>

#include <optional>

namespace tessel {

// A file-open dialog for existing files, owned by parent. filters are Qt
// name filters; the game's files often carry upper-case names, so each
// filter names both cases, and "All files" uses "*" so that names without a
// dot show too.
QFileDialog* CreateOpenFileDialog(QWidget* parent, const QString& objectName, const QString& title,
                                  QFileDialog::FileMode mode, const QStringList& filters);

// Shows dialog modally; the chosen files with native separators, or none
// when it was cancelled.
std::optional<QStringList> ChooseFiles(QFileDialog& dialog);

}  // namespace tessel
