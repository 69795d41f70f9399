// The options dialog: edits the image sizes, the unit display and the
// archive path of MinimapSettings. Every showing fills the fields afresh;
// OK stores them and saves the settings file, Cancel discards the edits.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessel {

// Whether the dialog accepts text as an image size: a number by the integer
// text rule that is greater than 0 (there is no upper limit).
bool IsValidImageSizeText(const std::string& text);

// The error box text for a refused size: the text in double quotes, then
// the sentence.
std::string InvalidImageSizeMessage(const std::string& text);

class TTesselOptionsForm : public QDialog {
    Q_OBJECT

public:
    explicit TTesselOptionsForm(QWidget* parent = nullptr);

    // Asks for the archive file and answers its full path, or nothing when
    // the user cancels. Shows MDOpenDialog unless replaced (tests do).
    std::function<std::optional<QString>()> ChooseArchiveFile;

    void setVisible(bool visible) override;

    // Each showing: the fields from MinimapSettings.
    void FormShow();
    // Leaving a size edit for another control of the dialog: a refused text
    // is reported and the focus goes back. Answers whether the text passed.
    bool EdSizeExit(QLineEdit* sender);
    void BtBrowseClick();
    // Stores the sizes (32 to 128, each right after its conversion), the
    // unit flag and the archive path, saves the settings file and closes
    // with OK. A size that is not a number raises EConvertError, which ends
    // it with the earlier sizes stored and nothing saved.
    void BtOkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();
    QLineEdit* AsSizeEdit(QObject* object) const;
    QLineEdit* FocusedSizeEdit() const;
    void SizeEditLosingFocus(QLineEdit* edit, Qt::FocusReason reason);
    std::optional<QString> RunArchiveDialog();

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* EdSize128 = nullptr;
    QLineEdit* EdSize96 = nullptr;
    QLineEdit* EdSize64 = nullptr;
    QLineEdit* EdSize32 = nullptr;
    QCheckBox* CbDspUnits = nullptr;
    QLineEdit* EdMaindat = nullptr;
    QPushButton* BtBrowse = nullptr;
    QPushButton* BtOk = nullptr;
    QPushButton* BtCancel = nullptr;
    // Created on first use; it keeps its folder between showings.
    QFileDialog* MDOpenDialog = nullptr;

    // The control whose mouse press moved the focus out of a size edit
    // whose text was refused: that press must not take effect.
    QPointer<QWidget> refusedPressTarget_;
};

}  // namespace tessel
