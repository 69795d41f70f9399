// Not a test: shows each shell window in turn and saves a picture of it as
// PNG, so that layouts can be looked at after a change. Run it under a real
// display server, for example:
//   xvfb-run tessel_shell_screenshots /tmp/shots [folder for the directory chooser]
#include "ShellTestSupport.h"

#include "base/ErrorBox.h"
#include "ConvertError.h"
#include "image/BmpWriter.h"
#include "MessageBoxes.h"
#include "SelDir.h"
#include "TesselAbout.h"
#include "TesselIcon.h"
#include "TesselOptions.h"
#include "TesselPreview.h"

#include <QDir>
#include <QLineEdit>

#include <cstdio>
#include <vector>

using namespace tessel;
using namespace tessel::test;

namespace {

QString outputFolder;

void Save(QWidget& window, const char* name)
{
    QTest::qWait(200);
    const QString path = QDir(outputFolder).filePath(QLatin1String(name) + QStringLiteral(".png"));
    window.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

void SaveNextBox(const char* name, std::function<void()> open)
{
    BoxAnswerer answerer([name](QMessageBox& box) {
        Save(box, name);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    open();
}

}  // namespace

int main(int argc, char** argv)
{
    PrivateConfigFolder configFolder;
    TTesselApplication application(argc, argv);
    QApplication::setWindowIcon(TesselIcon());
    outputFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/tessel-screens");
    QDir().mkpath(outputFolder);

    TTesselOptionsForm options;
    ShowActive(options);
    Save(options, "options");
    options.hide();

    TSelDirForm chooser;
    chooser.setWindowTitle(QStringLiteral("Save BMPs in"));
    chooser.Directory = argc > 2 ? std::string(argv[2]) : QDir::homePath().toStdString();
    ShowActive(chooser);
    Save(chooser, "seldir");
    chooser.hide();

    TTesselAboutForm about;
    ShowActive(about);
    Save(about, "about");
    about.hide();

    std::vector<uint8_t> raster(128 * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            raster[y * 128 + x] = static_cast<uint8_t>((x / 16 + y / 16) % 4);
    BitmapPalette palette{};
    const uint8_t colours[4][3] = {{47, 100, 180}, {90, 158, 60}, {37, 101, 43}, {210, 181, 110}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c)
            palette[i * 3 + c] = colours[i][c];
    const QString bitmap = QDir(outputFolder).filePath(QStringLiteral("preview-source.bmp"));
    WriteBmpFile(raster.data(), 128, 128, bitmap.toStdString(), palette);
    TTesselPreviewForm preview;
    preview.setWindowTitle(QStringLiteral("MAP01.PUD"));
    preview.ShowPreviewImage(bitmap.toStdString());
    Save(preview, "preview");
    preview.hide();
    QFile::remove(bitmap);

    SaveNextBox("errorbox", [] { ErrorBox("You have to locate your MAINDAT.WAR file first. Click \"Options\"."); });
    SaveNextBox("confirmbox", [] {
        ConfirmBox("Minimap creation failed for \"/home/ann/maps/MAP01.PUD\".\rContinue with rest of list ?");
    });
    SaveNextBox("defaulthandler", [] { RunEventHandler([] { throw EConvertError("'abc' is not a valid integer value"); }); });
    SaveNextBox("errorbox-long", [] {
        ErrorBox("Error: Unable to write the file /home/ann/minimaps/for/the/campaign/of/the/orcs/MAP01.bmp because "
                 "the disk is full and nothing more can be stored on it.");
    });
    TesselIcon().pixmap(64, 64).save(QDir(outputFolder).filePath(QStringLiteral("icon64.png")));
    TesselIcon().pixmap(32, 32).save(QDir(outputFolder).filePath(QStringLiteral("icon32.png")));
    return 0;
}
