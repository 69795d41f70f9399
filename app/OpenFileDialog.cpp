#include "OpenFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>

namespace tessel {

namespace {

// Enter in the file name closes the dialog while the completion list of the
// name may be open. Under X11 the focus leaves the closed dialog only when
// the window manager activates the window below, so the list stays open and
// takes the next key for itself: an Escape meant for that window.
void CloseCompletionLists(const QFileDialog& dialog)
{
    for (const QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (QAbstractItemView* list = completer->popup())
            list->hide();
}

}  // namespace

QFileDialog* CreateOpenFileDialog(QWidget* parent, const QString& objectName, const QString& title,
                                  QFileDialog::FileMode mode, const QStringList& filters)
{
    auto* dialog = new QFileDialog(parent, title);
    dialog->setObjectName(objectName);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(mode);
    dialog->setNameFilters(filters);
    return dialog;
}

std::optional<QStringList> ChooseFiles(QFileDialog& dialog)
{
    const int result = dialog.exec();
    CloseCompletionLists(dialog);
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QStringList chosen;
    for (const QString& path : dialog.selectedFiles())
        chosen.append(QDir::toNativeSeparators(path));
    return chosen;
}

}  // namespace tessel
