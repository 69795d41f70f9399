#include "TesselMain.h"

#include "base/Exceptions.h"
#include "BatchRun.h"
#include "ExtentListBox.h"
#include "Forms.h"
#include "Layout.h"
#include "MessageBoxes.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapSettings.h"
#include "OpenFileDialog.h"
#include "ScenarioList.h"
#include "SelDir.h"
#include "settings/Settings.h"
#include "TesselAbout.h"
#include "TesselApplication.h"
#include "TesselOptions.h"
#include "TesselPreview.h"
#include "text/PathPieces.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace tessel {

namespace {

// Layout pixels: the window's outer size less the frame of a sizeable
// window (4-pixel borders and a 23-pixel caption), which Qt does not count.
constexpr int ClientWidth = 375 - 8;
constexpr int ClientHeight = 296 - 31;

QPushButton* CreateButton(QWidget* parent, const char* name, const QString& caption, const QString& hint, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    PlaceControl(*button, 8, top, 65, 25);
    return button;
}

template <typename Form>
Form& Existing(Form* form, const char* what)
{
    if (!form)
        throw Exception(std::string("The ") + what + " does not exist");
    return *form;
}

// The hourglass for the whole application while it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Lets the window manager take the closed directory chooser away before the
// batch run holds the thread. Under X11 the parts of the main window that the
// chooser and its frame uncover are drawn only from the window system's
// events, which need an event loop; this one handles no user input (clicks,
// keys and close requests wait until the run has ended) and lasts until the
// window manager's last step, giving the main window back its activation, or
// half a second at most.
void AwaitChooserGone(const QWidget& window)
{
    QEventLoop loop;
    const auto quitWhenActive = [&loop, &window](const QWindow* focused) {
        if (focused && focused == window.windowHandle())
            loop.quit();
    };
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &loop, quitWhenActive);
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &loop, [&quitWhenActive] { quitWhenActive(QGuiApplication::focusWindow()); });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// The batch run's view of PUDList.
class ListBoxBatchList : public BatchList {
public:
    explicit ListBoxBatchList(ExtentListBox& list) : list_(list) {}

    int Count() const override { return list_.count(); }
    std::string Entry(int index) const override { return list_.item(index)->text().toStdString(); }
    void DeleteAndRepaint(int index) override
    {
        delete list_.takeItem(index);
        // The shrinking list is the user's only sign of progress. It reaches
        // the screen without the event loop: running it here would also run
        // work queued for it, such as a hidden file dialog reading its folder
        // anew after every bitmap written there.
        list_.RepaintNow();
    }

private:
    ExtentListBox& list_;
};

}  // namespace

std::string ScratchPreviewPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::tempPath();
    const std::string programName = FileNamePart(QCoreApplication::applicationFilePath().toStdString());
    return JoinPath(QDir::toNativeSeparators(folder).toStdString(), ReplaceExtension(programName, ".bmp"));
}

TTesselMainForm::TTesselMainForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TesselMainForm"));
    setWindowTitle(QStringLiteral("Tessel V1.1"));
    ChooseScenarioFiles = [this] { return RunOpenDialog(); };
    CreateMinimap = [](const std::string& scenarioPath, const std::string& outputPath) {
        return MakeMinimap(scenarioPath, outputPath);
    };
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
    setAcceptDrops(true);
    PUDListClick();
}

TTesselMainForm::~TTesselMainForm()
{
    try {
        FormDestroy();
    } catch (const std::exception&) {
        // Nothing can be reported while the window goes.
    }
}

void TTesselMainForm::CreateControls()
{
    resize(Scaled(ClientWidth), Scaled(ClientHeight));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->addWidget(Panel1);

    Label1 = new QLabel(QStringLiteral("PUDs to process"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setIndent(Scaled(2));
    Label1->setFixedHeight(Scaled(16));

    PUDList = new ExtentListBox(Panel1);
    PUDList->setObjectName(QStringLiteral("PUDList"));
    PUDList->setSelectionMode(QAbstractItemView::ExtendedSelection);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(Scaled(80));
    // The window may shrink, but never over its buttons.
    Panel2->setMinimumHeight(Scaled(216 + 25));

    auto* panelLayout = new QGridLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(Label1, 0, 0, 1, 2);
    panelLayout->addWidget(PUDList, 1, 0);
    panelLayout->addWidget(Panel2, 1, 1);

    BtAdd = CreateButton(Panel2, "BtAdd", QStringLiteral("&Add..."), QStringLiteral("Add more PUDs to the list"), 0);
    BtRemove = CreateButton(Panel2, "BtRemove", QStringLiteral("&Remove"),
                            QStringLiteral("Remove selected PUDs from the list"), 32);
    BtClear = CreateButton(Panel2, "BtClear", QStringLiteral("&Clear"), QStringLiteral("Clear the list"), 64);
    BtPreview = CreateButton(Panel2, "BtPreview", QStringLiteral("&Preview"),
                             QStringLiteral("View the minimap of the currently selected PUD"), 104);
    BtBatch =
        CreateButton(Panel2, "BtBatch", QStringLiteral("&Batch..."), QStringLiteral("Start creation of minimaps"), 136);
    BtOptions =
        CreateButton(Panel2, "BtOptions", QStringLiteral("&Options..."), QStringLiteral("Set your preferences"), 176);
    BtAbout = CreateButton(Panel2, "BtAbout", QStringLiteral("About..."), QString(), 216);
}

void TTesselMainForm::SetTabOrder()
{
    // Options comes before Batch, although Batch stands above it.
    QWidget* const order[] = {PUDList, BtAdd, BtRemove, BtClear, BtPreview, BtOptions, BtBatch, BtAbout};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TTesselMainForm::ConnectHandlers()
{
    auto handle = [this](QPushButton* button, void (TTesselMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { RunEventHandler([this, handler] { (this->*handler)(); }); });
    };
    handle(BtAdd, &TTesselMainForm::BtAddClick);
    handle(BtRemove, &TTesselMainForm::BtRemoveClick);
    handle(BtClear, &TTesselMainForm::BtClearClick);
    handle(BtPreview, &TTesselMainForm::BtPreviewClick);
    handle(BtBatch, &TTesselMainForm::BtBatchClick);
    handle(BtOptions, &TTesselMainForm::BtOptionsClick);
    handle(BtAbout, &TTesselMainForm::BtAboutClick);
    connect(PUDList, &QListWidget::itemSelectionChanged, this, [this] { RunEventHandler([this] { PUDListClick(); }); });
    connect(PUDList, &QListWidget::itemDoubleClicked, this, [this] { RunEventHandler([this] { BtPreviewClick(); }); });
}

void TTesselMainForm::setVisible(bool visible)
{
    if (visible && !isVisible())
        CentreOnScreenOnce(*this);
    QWidget::setVisible(visible);
}

void TTesselMainForm::FormCreate()
{
    PreviewBmpPath = ScratchPreviewPath();
    openDialogDirectory_ = QString::fromStdString(LoadSettings(ShellSettingsFile(), MinimapSettings));
}

void TTesselMainForm::FormDestroy()
{
    if (!PreviewBmpPath.empty())
        QFile::remove(QString::fromStdString(PreviewBmpPath));
    SaveLastDirectory(ShellSettingsFile(), openDialogFileName_.toStdString());
}

void TTesselMainForm::BtAddClick()
{
    const std::optional<QStringList> chosen = ChooseScenarioFiles();
    if (!chosen || chosen->isEmpty())
        return;
    AddScenarios(*chosen);
}

void TTesselMainForm::AddScenarios(const QStringList& chosen)
{
    openDialogFileName_ = chosen.constFirst();
    const QStringList merged = MergeScenarioPaths(PUDList->Entries(), chosen);
    {
        const QSignalBlocker blocker(PUDList);
        PUDList->clear();
        PUDList->addItems(merged);
        PUDList->clearSelection();
        // The first entry is the current one, without being selected.
        if (PUDList->count() > 0)
            PUDList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    FitListExtent(*PUDList);
    PUDListClick();
}

void TTesselMainForm::BtRemoveClick()
{
    if (PUDList->selectedItems().isEmpty())
        return;
    {
        const QSignalBlocker blocker(PUDList);
        int row = 0;
        while (row < PUDList->count()) {
            if (PUDList->item(row)->isSelected())
                delete PUDList->takeItem(row);
            else
                ++row;
        }
    }
    PUDListClick();
}

void TTesselMainForm::BtClearClick()
{
    {
        const QSignalBlocker blocker(PUDList);
        PUDList->clear();
    }
    PUDListClick();
}

void TTesselMainForm::PUDListClick()
{
    const ListButtonStates states =
        ButtonStatesFor(PUDList->count(), static_cast<int>(PUDList->selectionModel()->selectedIndexes().size()));
    BtRemove->setEnabled(states.Remove);
    BtClear->setEnabled(states.Clear);
    BtPreview->setEnabled(states.Preview);
    BtBatch->setEnabled(states.Batch);
}

void TTesselMainForm::BtPreviewClick()
{
    const QListWidgetItem* current = PUDList->currentItem();
    if (!current)
        return;
    const std::string scenario = current->text().toStdString();
    if (!CreateMinimap(scenario, PreviewBmpPath))
        return;
    TTesselPreviewForm& preview = Existing(TesselPreviewForm, "preview window");
    preview.setWindowTitle(QString::fromStdString(FileNamePart(scenario)));
    preview.ShowPreviewImage(PreviewBmpPath);
}

void TTesselMainForm::BtBatchClick()
{
    if (PUDList->count() == 0)
        return;
    TSelDirForm& chooser = Existing(SelDirForm, "directory chooser");
    chooser.setWindowTitle(QStringLiteral("Save BMPs in"));
    chooser.Directory = DirectoryPart(PUDList->item(0)->text().toStdString());
    if (chooser.exec() != QDialog::Accepted)
        return;
    const std::string directory = chooser.Directory;
    // The whole window is drawn before the first minimap.
    AwaitChooserGone(*this);
    repaint();

    // However the run ends: the cursor back first, then the buttons.
    const auto restoreButtons = qScopeGuard([this] { PUDListClick(); });
    const WaitCursor waitCursor;
    ListBoxBatchList list(*PUDList);
    RunBatch(list, directory, {CreateMinimap, [](const std::string& question) { return ConfirmBox(question); }});
}

void TTesselMainForm::BtOptionsClick() { Existing(TesselOptionsForm, "options dialog").exec(); }

void TTesselMainForm::BtAboutClick() { Existing(TesselAboutForm, "about box").exec(); }

std::optional<QStringList> TTesselMainForm::RunOpenDialog()
{
    if (!PUDOpenDialog) {
        PUDOpenDialog = CreateOpenFileDialog(
            this, QStringLiteral("PUDOpenDialog"), QStringLiteral("Select one or more PUDs to add to the list"),
            QFileDialog::ExistingFiles,
            {QStringLiteral("WarCraft 2 scenario files (*.pud *.PUD)"), QStringLiteral("All files (*)")});
        if (!openDialogDirectory_.isEmpty())
            PUDOpenDialog->setDirectory(QDir::fromNativeSeparators(openDialogDirectory_));
    }
    return ChooseFiles(*PUDOpenDialog);
}

void TTesselMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasUrls())
        return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void TTesselMainForm::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    RunEventHandler([this, &paths] {
        const QStringList files = ScenarioFilesFromDroppedPaths(paths);
        if (!files.isEmpty())
            AddScenarios(files);
    });
}

}  // namespace tessel
