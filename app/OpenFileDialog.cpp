#include "OpenFileDialog.h"

#include <QDir>

namespace tessel {

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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QStringList chosen;
    for (const QString& path : dialog.selectedFiles())
        chosen.append(QDir::toNativeSeparators(path));
    return chosen;
}

}  // namespace tessel
