// The directory chooser: a drive selector listing the mounted volumes, a
// directory list from the volume root down to the current directory and its
// subdirectories, and a path strip. The batch run asks it for the folder
// that receives the bitmaps.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tessel {

class TSelDirForm : public QDialog {
    Q_OBJECT

public:
    explicit TSelDirForm(QWidget* parent = nullptr);

    // Set by the caller before showing (the preset; a trailing separator is
    // fine) and read after OK (the choice, with native separators and
    // without a trailing separator except at a root such as "/").
    std::string Directory;

    void setVisible(bool visible) override;

    // Creation: arranges the controls and opens the process's current
    // directory.
    void FormCreate();
    // Each showing: a non-empty Directory becomes the current directory; one
    // that cannot be entered raises EInOutError and leaves the list as it was.
    void FormShow();
    void BtOkClick();

    // The directory list's current directory, in Qt's form.
    const QString& CurrentDirectory() const { return currentDirectory_; }

private:
    void CreateControls();
    void FillDriveCombo();
    // Makes path the current directory. Raises EInOutError, with nothing
    // changed, when it cannot be listed.
    void EnterDirectory(const QString& path);
    void ShowCurrentVolume();
    void ShowPathStrip();
    void DriveComboChange(int index);
    void DirListDoubleClick(QListWidgetItem* item);

    QComboBox* DriveCombo = nullptr;
    QListWidget* DirList = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* BtOk = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label1 = nullptr;

    QString currentDirectory_;
    QString currentVolume_;
    // The directory last shown on each volume, by volume root, so that
    // choosing a volume again returns to it.
    QHash<QString, QString> volumeDirectories_;
};

}  // namespace tessel
