#include "TesselOptions.h"

#include "base/ErrorBox.h"
#include "ConvertError.h"
#include "Forms.h"
#include "Layout.h"
#include "minimap/MinimapSettings.h"
#include "OpenFileDialog.h"
#include "settings/Settings.h"
#include "TesselApplication.h"
#include "text/IntegerText.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tessel {

namespace {

template <typename Widget, typename... Arguments>
Widget* CreateControl(QWidget* parent, const char* name, Arguments&&... arguments)
{
    auto* widget = new Widget(std::forward<Arguments>(arguments)..., parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* CreateLabel(QWidget* parent, const char* name, const QString& caption, QWidget* buddy = nullptr)
{
    auto* label = CreateControl<QLabel>(parent, name, caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

}  // namespace

bool IsValidImageSizeText(const std::string& text)
{
    const auto value = ParseIntegerText(text);
    return value && *value > 0;
}

std::string InvalidImageSizeMessage(const std::string& text) { return "\"" + text + "\" is not a valid image size."; }

TTesselOptionsForm::TTesselOptionsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TesselOptionsForm"));
    setWindowTitle(QStringLiteral("Tessel Options"));
    ChooseArchiveFile = [this] { return RunArchiveDialog(); };
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
}

void TTesselOptionsForm::CreateControls()
{
    SetFixedClientSize(*this, 336, 151);

    GroupBox1 = CreateControl<QGroupBox>(this, "GroupBox1", QStringLiteral("Image size"));
    PlaceControl(*GroupBox1, 0, 0, 129, 145);
    // The edits are created after the labels so that they lie on top where
    // a label's box reaches under them.
    Label2 = CreateLabel(GroupBox1, "Label2", QStringLiteral("PUD"));
    Label3 = CreateLabel(GroupBox1, "Label3", QStringLiteral("Image"));
    Label1 = CreateLabel(GroupBox1, "Label1", QStringLiteral("&128 x 128"));
    Label4 = CreateLabel(GroupBox1, "Label4", QStringLiteral("&96 x 96"));
    Label5 = CreateLabel(GroupBox1, "Label5", QStringLiteral("&64 x 64"));
    Label6 = CreateLabel(GroupBox1, "Label6", QStringLiteral("&32 x 32"));
    EdSize128 = CreateControl<QLineEdit>(GroupBox1, "EdSize128");
    EdSize96 = CreateControl<QLineEdit>(GroupBox1, "EdSize96");
    EdSize64 = CreateControl<QLineEdit>(GroupBox1, "EdSize64");
    EdSize32 = CreateControl<QLineEdit>(GroupBox1, "EdSize32");
    Label1->setBuddy(EdSize128);
    Label4->setBuddy(EdSize96);
    Label5->setBuddy(EdSize64);
    Label6->setBuddy(EdSize32);
    PlaceControl(*Label2, 8, 24, 29, 25);
    PlaceControl(*Label3, 80, 24, 38, 25);
    PlaceControl(*Label1, 8, 48, 89, 16);
    PlaceControl(*Label4, 8, 72, 89, 16);
    PlaceControl(*Label5, 8, 96, 89, 16);
    PlaceControl(*Label6, 8, 120, 89, 16);
    PlaceControl(*EdSize128, 80, 44, 41, 24);
    PlaceControl(*EdSize96, 80, 68, 41, 24);
    PlaceControl(*EdSize64, 80, 92, 41, 24);
    PlaceControl(*EdSize32, 80, 116, 41, 24);

    CbDspUnits = CreateControl<QCheckBox>(this, "CbDspUnits", QStringLiteral("&Display units"));
    PlaceControl(*CbDspUnits, 184, 8, 97, 17);
    Label7 = CreateLabel(this, "Label7", QStringLiteral("&MAINDAT.WAR:"));
    Label7->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceControl(*Label7, 136, 40, 193, 16);
    EdMaindat = CreateControl<QLineEdit>(this, "EdMaindat");
    Label7->setBuddy(EdMaindat);
    PlaceControl(*EdMaindat, 136, 56, 193, 24);
    BtBrowse = CreateControl<QPushButton>(this, "BtBrowse", QStringLiteral("&Browse..."));
    PlaceControl(*BtBrowse, 208, 88, 65, 25);
    BtOk = CreateControl<QPushButton>(this, "BtOk", QStringLiteral("&Ok"));
    BtOk->setDefault(true);
    PlaceControl(*BtOk, 144, 120, 75, 25);
    BtCancel = CreateControl<QPushButton>(this, "BtCancel", QStringLiteral("&Cancel"));
    PlaceControl(*BtCancel, 256, 120, 75, 25);

    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
}

void TTesselOptionsForm::SetTabOrder()
{
    QWidget* const order[] = {EdSize128, EdSize96, EdSize64, EdSize32, BtBrowse, CbDspUnits, BtOk, BtCancel, EdMaindat};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TTesselOptionsForm::ConnectHandlers()
{
    connect(BtBrowse, &QPushButton::clicked, this, [this] { RunEventHandler([this] { BtBrowseClick(); }); });
    connect(BtOk, &QPushButton::clicked, this, [this] { RunEventHandler([this] { BtOkClick(); }); });
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TTesselOptionsForm::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        CentreOnScreenOnce(*this);
        RunEventHandler([this] { FormShow(); });
    }
    QDialog::setVisible(visible);
}

void TTesselOptionsForm::FormShow()
{
    EdSize32->setText(QString::number(MinimapSettings.ImageSize(1)));
    EdSize64->setText(QString::number(MinimapSettings.ImageSize(2)));
    EdSize96->setText(QString::number(MinimapSettings.ImageSize(3)));
    EdSize128->setText(QString::number(MinimapSettings.ImageSize(4)));
    CbDspUnits->setChecked(MinimapSettings.DspUnits);
    EdMaindat->setText(QString::fromStdString(MinimapSettings.MainDat));
}

bool TTesselOptionsForm::EdSizeExit(QLineEdit* sender)
{
    const std::string text = sender->text().toStdString();
    if (IsValidImageSizeText(text))
        return true;
    ErrorBox(InvalidImageSizeMessage(text));
    sender->setFocus();
    return false;
}

void TTesselOptionsForm::BtBrowseClick()
{
    if (const auto path = ChooseArchiveFile())
        EdMaindat->setText(*path);
}

void TTesselOptionsForm::BtOkClick()
{
    MinimapSettings.ImageSize(1) = StrToInt(EdSize32->text().toStdString());
    MinimapSettings.ImageSize(2) = StrToInt(EdSize64->text().toStdString());
    MinimapSettings.ImageSize(3) = StrToInt(EdSize96->text().toStdString());
    MinimapSettings.ImageSize(4) = StrToInt(EdSize128->text().toStdString());
    MinimapSettings.DspUnits = CbDspUnits->isChecked();
    MinimapSettings.MainDat = EdMaindat->text().toStdString();
    try {
        SaveSettings(ShellSettingsFile(), MinimapSettings);
    } catch (const std::exception&) {
        // The settings file is best effort; the new values are in effect.
    }
    accept();
}

std::optional<QString> TTesselOptionsForm::RunArchiveDialog()
{
    if (!MDOpenDialog)
        MDOpenDialog = CreateOpenFileDialog(
            this, QStringLiteral("MDOpenDialog"), QStringLiteral("Please locate MAINDAT.WAR"),
            QFileDialog::ExistingFile,
            {QStringLiteral("WarCraft 2 archive files (*.war *.WAR)"), QStringLiteral("All files(*)")});
    const std::optional<QStringList> chosen = ChooseFiles(*MDOpenDialog);
    if (!chosen)
        return std::nullopt;
    return chosen->constFirst();
}

QLineEdit* TTesselOptionsForm::AsSizeEdit(QObject* object) const
{
    for (QLineEdit* edit : {EdSize128, EdSize96, EdSize64, EdSize32})
        if (object == edit)
            return edit;
    return nullptr;
}

QLineEdit* TTesselOptionsForm::FocusedSizeEdit() const { return AsSizeEdit(QApplication::focusWidget()); }

void TTesselOptionsForm::SizeEditLosingFocus(QLineEdit* edit, Qt::FocusReason reason)
{
    // Qt has already moved the focus: only a move to another control of
    // this dialog is a leaving that is checked, not a switch to another
    // window or the dialog closing.
    QWidget* next = QApplication::focusWidget();
    if (!next || next == edit || next->window() != this)
        return;
    if (EdSizeExit(edit) || reason != Qt::MouseFocusReason)
        return;
    // Qt gives the focus before it delivers the press that asked for it;
    // that press comes right after this and is dropped.
    refusedPressTarget_ = next;
    QTimer::singleShot(0, this, [this] { refusedPressTarget_ = nullptr; });
}

bool TTesselOptionsForm::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
        if (QLineEdit* edit = AsSizeEdit(watched))
            SizeEditLosingFocus(edit, static_cast<QFocusEvent*>(event)->reason());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (refusedPressTarget_ && watched == refusedPressTarget_) {
            refusedPressTarget_ = nullptr;
            return true;
        }
        break;
    case QEvent::Shortcut:
        // The check box takes the focus and then toggles after a moment;
        // when the size edit keeps the focus it must not toggle.
        if (watched == CbDspUnits)
            if (QLineEdit* edit = FocusedSizeEdit(); edit && !EdSizeExit(edit))
                return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessel
