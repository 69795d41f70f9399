#include "SelDir.h"

#include "base/Exceptions.h"
#include "DirectoryPaths.h"
#include "Layout.h"
#include "system/SystemErrors.h"
#include "TesselApplication.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tessel {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;

// Draws each line of the directory list indented by its depth; a name too
// long for the list is shortened with "..." rather than scrolled.
class IndentedItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(indented.rect.left() + Indent(index));
        if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
            indented.rect.setRight(std::min(indented.rect.right(), view->viewport()->rect().right()));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += Indent(index);
        size.setHeight(std::max(Scaled(16), option.fontMetrics.height() + 2));
        return size;
    }

private:
    static int Indent(const QModelIndex& index) { return index.data(DepthRole).toInt() * Scaled(10); }
};

EInOutError DirectoryError(const std::error_code& error, [[maybe_unused]] const QString& path)
{
#ifdef _WIN32
    // The system's own numbers are the input/output error numbers there.
    return EInOutError(error.value());
#else
    // A directory that is not there is a bad path (3), not a missing file.
    if (error == std::errc::no_such_file_or_directory)
        return EInOutError(io_error::InvalidFilename);
    return InOutErrorFromSystem(error.value(), path.toStdString());
#endif
}

// The visible subdirectories of path in case-insensitive order; raises
// EInOutError when path cannot be listed.
QStringList ListSubdirectories(const QString& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entry(fs::path(path.toStdU16String()), error);
    if (error)
        throw DirectoryError(error, path);
    QStringList names;
    for (; entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code typeError;
        if (!entry->is_directory(typeError))
            continue;
        const QString name = QString::fromStdU16String(entry->path().filename().u16string());
        if (!name.startsWith(QLatin1Char('.')))
            names.append(name);
    }
    if (error)
        throw DirectoryError(error, path);
    std::sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        const int order = left.compare(right, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : left < right;
    });
    return names;
}

QString LastName(const QString& path)
{
    const QString name = path.section(QLatin1Char('/'), -1);
    return name.isEmpty() ? QDir::toNativeSeparators(path) : name;
}

}  // namespace

TSelDirForm::TSelDirForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("SelDirForm"));
    setWindowTitle(QStringLiteral("Select Directory"));
    CreateControls();
    FormCreate();
}

void TSelDirForm::CreateControls()
{
    SetFixedClientSize(*this, 222, 270);

    DriveCombo = new QComboBox(this);
    DriveCombo->setObjectName(QStringLiteral("DriveCombo"));
    DirList = new QListWidget(this);
    DirList->setObjectName(QStringLiteral("DirList"));
    DirList->setItemDelegate(new IndentedItemDelegate(DirList));
    DirList->setTextElideMode(Qt::ElideMiddle);
    DirList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DirList->setIconSize(QSize(Scaled(14), Scaled(14)));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    BtOk = new QPushButton(QStringLiteral("&Ok"), Panel1);
    BtOk->setObjectName(QStringLiteral("BtOk"));
    BtOk->setDefault(true);
    Panel3 = new QFrame(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Button1 = new QPushButton(QStringLiteral("&Cancel"), Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1 = new QLabel(Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setIndent(Scaled(3));

    QWidget::setTabOrder(DriveCombo, DirList);
    QWidget::setTabOrder(DirList, BtOk);
    QWidget::setTabOrder(BtOk, Button1);

    connect(BtOk, &QPushButton::clicked, this, [this] { RunEventHandler([this] { BtOkClick(); }); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(DriveCombo, &QComboBox::activated, this, [this](int index) {
        RunEventHandler([this, index] { DriveComboChange(index); });
        // After a volume that could not be opened, show the one still current.
        ShowCurrentVolume();
    });
    connect(DirList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        RunEventHandler([this, item] { DirListDoubleClick(item); });
    });
}

void TSelDirForm::FormCreate()
{
    const int width = this->width();
    const int panel1Top = height() - Scaled(41);
    const int panel2Top = panel1Top - Scaled(21);
    Panel1->setGeometry(0, panel1Top, width, Scaled(41));
    PlaceControl(*BtOk, 8, 8, 75, 25);
    Panel3->setGeometry(width - Scaled(86), 0, Scaled(86), Scaled(41));
    PlaceControl(*Button1, 3, 8, 75, 25);
    Panel2->setGeometry(0, panel2Top, width, Scaled(21));
    Label1->setGeometry(Panel2->contentsRect());

    const int comboHeight = DriveCombo->sizeHint().height();
    DriveCombo->setGeometry(0, 0, width, comboHeight);
    DirList->setGeometry(0, comboHeight, width, panel2Top - comboHeight);

    FillDriveCombo();
    try {
        EnterDirectory(QDir::currentPath());
    } catch (const EInOutError&) {
        EnterDirectory(QDir::rootPath());
    }
}

void TSelDirForm::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        CentreOnScreenOnce(*this);
        RunEventHandler([this] { FormShow(); });
    }
    QDialog::setVisible(visible);
}

void TSelDirForm::FormShow()
{
    // Volumes come and go between showings.
    FillDriveCombo();
    if (!Directory.empty())
        EnterDirectory(QDir::fromNativeSeparators(QString::fromStdString(Directory)));
}

void TSelDirForm::BtOkClick()
{
    Directory = QDir::toNativeSeparators(currentDirectory_).toStdString();
    accept();
}

void TSelDirForm::FillDriveCombo()
{
    QStringList roots{QDir::rootPath()};
    QHash<QString, QString> labels;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        if (!roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
        labels.insert(volume.rootPath(), volume.name());
    }
    if (!currentVolume_.isEmpty() && !roots.contains(currentVolume_))
        roots.append(currentVolume_);
    std::sort(roots.begin(), roots.end(),
              [](const QString& left, const QString& right) { return left.compare(right, Qt::CaseInsensitive) < 0; });

    const QSignalBlocker blocker(DriveCombo);
    DriveCombo->clear();
    for (const QString& root : roots)
        DriveCombo->addItem(VolumeCaption(root, labels.value(root)), root);
    ShowCurrentVolume();
}

void TSelDirForm::EnterDirectory(const QString& path)
{
    const QString directory = QDir(path).absolutePath();
    const QStringList subdirectories = ListSubdirectories(directory);

    QStringList roots;
    for (int i = 0; i < DriveCombo->count(); ++i)
        roots.append(DriveCombo->itemData(i).toString());
    QString volume = VolumeRootOf(directory, roots);
    if (volume.isEmpty())
        volume = QStorageInfo(directory).rootPath();
    if (volume.isEmpty() || !directory.startsWith(volume))
        volume = directory.left(directory.indexOf(QLatin1Char('/')) + 1);

    currentDirectory_ = directory;
    currentVolume_ = volume;
    volumeDirectories_.insert(volume, directory);

    DirList->clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirIcon);
    const QStringList levels = DirectoryLevels(directory, volume);
    for (int depth = 0; depth < levels.size(); ++depth) {
        const QString& level = levels[depth];
        auto* item = new QListWidgetItem(openFolder, depth == 0 ? QDir::toNativeSeparators(level) : LastName(level));
        item->setData(PathRole, level);
        item->setData(DepthRole, depth);
        DirList->addItem(item);
    }
    DirList->setCurrentRow(DirList->count() - 1);
    const int subdirectoryDepth = static_cast<int>(levels.size());
    for (const QString& name : subdirectories) {
        auto* item = new QListWidgetItem(closedFolder, name);
        item->setData(PathRole, QDir(directory).filePath(name));
        item->setData(DepthRole, subdirectoryDepth);
        DirList->addItem(item);
    }

    ShowCurrentVolume();
    ShowPathStrip();
}

void TSelDirForm::ShowCurrentVolume()
{
    int index = DriveCombo->findData(currentVolume_);
    if (index < 0 && !currentVolume_.isEmpty()) {
        const QSignalBlocker blocker(DriveCombo);
        DriveCombo->addItem(VolumeCaption(currentVolume_, QString()), currentVolume_);
        index = DriveCombo->count() - 1;
    }
    const QSignalBlocker blocker(DriveCombo);
    DriveCombo->setCurrentIndex(index);
}

void TSelDirForm::ShowPathStrip()
{
    const QString path = QDir::toNativeSeparators(currentDirectory_);
    const QFontMetrics metrics = Label1->fontMetrics();
    const int room = Label1->contentsRect().width() - 2 * Label1->indent();
    Label1->setText(
        ElideLeadingDirectories(path, room, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }));
    Label1->setToolTip(path);
}

void TSelDirForm::DriveComboChange(int index)
{
    const QString volume = DriveCombo->itemData(index).toString();
    if (volume != currentVolume_)
        EnterDirectory(volumeDirectories_.value(volume, volume));
}

void TSelDirForm::DirListDoubleClick(QListWidgetItem* item)
{
    if (item)
        EnterDirectory(item->data(PathRole).toString());
}

}  // namespace tessel
