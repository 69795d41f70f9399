// The main window: the list of scenarios to process and the buttons that
// add, remove, preview and batch-convert them, and open the options dialog
// and the about box. Its closing ends the program.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QFrame;
class QLabel;
class QPushButton;

namespace tessel {

class ExtentListBox;

class TTesselMainForm : public QWidget {
    Q_OBJECT

public:
    explicit TTesselMainForm(QWidget* parent = nullptr);
    // Runs FormDestroy.
    ~TTesselMainForm() override;

    // Asks for scenario files: their full paths in the dialog's order, or
    // nothing when the user cancels. Shows PUDOpenDialog unless replaced
    // (tests do).
    std::function<std::optional<QStringList>()> ChooseScenarioFiles;
    // Writes one minimap and answers whether it was written; MakeMinimap
    // unless replaced.
    std::function<bool(const std::string& scenarioPath, const std::string& outputPath)> CreateMinimap;

    // The scratch bitmap of the preview, set by FormCreate.
    std::string PreviewBmpPath;

    // The file name PUDOpenDialog holds: the first file of the last add,
    // empty before any add.
    const QString& OpenDialogFileName() const { return openDialogFileName_; }
    // The folder PUDOpenDialog opens in first.
    const QString& OpenDialogDirectory() const { return openDialogDirectory_; }

    void setVisible(bool visible) override;

    // Creation: the scratch bitmap path and the settings.
    void FormCreate();
    // Destruction: removes the scratch bitmap, stores the last directory.
    void FormDestroy();

    void BtAddClick();
    void BtRemoveClick();
    void BtClearClick();
    // The button-state rule.
    void PUDListClick();
    void BtPreviewClick();
    void BtBatchClick();
    void BtOptionsClick();
    void BtAboutClick();

    // What BtAddClick does with the files the dialog returned; a drop of
    // scenario files goes the same way. chosen must not be empty.
    void AddScenarios(const QStringList& chosen);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();
    std::optional<QStringList> RunOpenDialog();

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    ExtentListBox* PUDList = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* BtAdd = nullptr;
    QPushButton* BtRemove = nullptr;
    QPushButton* BtClear = nullptr;
    QPushButton* BtPreview = nullptr;
    QPushButton* BtBatch = nullptr;
    QPushButton* BtOptions = nullptr;
    QPushButton* BtAbout = nullptr;
    // Created on first use; it keeps its folder between showings.
    QFileDialog* PUDOpenDialog = nullptr;

    QString openDialogDirectory_;
    QString openDialogFileName_;
};

// The scratch bitmap of the running program: its file name with ".bmp" in
// the user's cache folder, which is created when missing.
std::string ScratchPreviewPath();

}  // namespace tessel
