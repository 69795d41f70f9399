// Not a test: the picture of the desktop program in docs/screenshot.png,
// made by scripts/screenshot.sh. Starts the program's windows as the
// program does, adds every scenario below a folder, previews one of them
// and draws the main window and the preview window side by side, each with
// a plain title bar, since a display server without a window manager draws
// none.
//   tessel_desktop_screenshot OUTPUT.png SCENARIO-FOLDER [SCENARIO-NAME]
#include "ExtentListBox.h"
#include "Forms.h"
#include "ScenarioList.h"
#include "Startup.h"
#include "TesselApplication.h"
#include "TesselMain.h"
#include "TesselPreview.h"

#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace tessel;

namespace {

constexpr int Margin = 28;
constexpr int Gap = 28;
constexpr int TitleHeight = 30;
constexpr int Radius = 8;

// A window's picture under a title bar with its caption, and the icon
// for a main window.
QImage Framed(QWidget& window)
{
    const bool tool = window.windowType() == Qt::Tool;
    const QPixmap content = window.grab();
    QImage framed(content.width(), content.height() + TitleHeight, QImage::Format_ARGB32_Premultiplied);
    framed.fill(Qt::transparent);
    QPainter painter(&framed);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(framed.rect()), Radius, Radius);
    painter.setClipPath(outline);
    QLinearGradient bar(0, 0, 0, TitleHeight);
    bar.setColorAt(0, QColor(0x3d, 0x4a, 0x5c));
    bar.setColorAt(1, QColor(0x2c, 0x36, 0x44));
    painter.fillRect(QRect(0, 0, framed.width(), TitleHeight), bar);
    painter.drawPixmap(0, TitleHeight, content);
    int textLeft = 10;
    if (!tool) {
        const int iconSide = 18;
        painter.drawPixmap(8, (TitleHeight - iconSide) / 2, QApplication::windowIcon().pixmap(iconSide, iconSide));
        textLeft = 8 + iconSide + 8;
    }
    QFont font = window.font();
    font.setBold(!tool);
    painter.setFont(font);
    painter.setPen(QColor(0xf2, 0xf4, 0xf7));
    const QRect textRect(textLeft, 0, framed.width() - textLeft - 8, TitleHeight);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(window.windowTitle(), Qt::ElideRight, textRect.width()));
    painter.setClipping(false);
    painter.setPen(QPen(QColor(0x1c, 0x22, 0x2b), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(framed.rect()).adjusted(0.5, 0.5, -0.5, -0.5), Radius, Radius);
    return framed;
}

void DrawWithShadow(QPainter& painter, const QImage& window, QPoint at)
{
    for (int step = 6; step > 0; --step) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 10));
        painter.drawRoundedRect(
            QRectF(at.x() - step + 3, at.y() - step + 6, window.width() + 2 * step, window.height() + 2 * step),
            Radius + step, Radius + step);
    }
    painter.drawImage(at, window);
}

}  // namespace

int main(int argc, char** argv)
{
    TTesselApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png SCENARIO-FOLDER [SCENARIO-NAME]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString wanted = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    InitialiseApplication();
    CreateForms();
    TTesselMainForm& main = *TesselMainForm;
    const QStringList scenarios = ScenarioFilesFromDroppedPaths({folder});
    if (scenarios.isEmpty()) {
        std::fprintf(stderr, "no scenarios in %s\n", argv[2]);
        return 1;
    }
    main.AddScenarios(scenarios);
    auto* list = main.findChild<ExtentListBox*>(QStringLiteral("PUDList"));
    // Wide enough for the whole paths, as a user would drag it.
    main.resize(std::max(main.width(), list->HorizontalExtent() + main.width() - list->width() + 24), main.height());
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        std::fprintf(stderr, "the main window did not appear\n");

    int row = 0;
    for (int i = 0; i < list->count(); ++i)
        if (!wanted.isEmpty() && QFileInfo(list->item(i)->text()).fileName() == wanted)
            row = i;
    list->setCurrentRow(row);
    main.PUDListClick();
    RunEventHandler([&main] { main.BtPreviewClick(); });
    QTest::qWait(300);
    if (!TesselPreviewForm->isVisible()) {
        std::fprintf(stderr, "the preview failed\n");
        return 1;
    }

    const QImage mainPicture = Framed(main);
    const QImage previewPicture = Framed(*TesselPreviewForm);
    const int width = Margin + mainPicture.width() + Gap + previewPicture.width() + Margin;
    const int height = Margin + std::max(mainPicture.height(), previewPicture.height()) + Margin;
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&screen);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient desktop(0, 0, width, height);
    desktop.setColorAt(0, QColor(0x5b, 0x7f, 0x95));
    desktop.setColorAt(1, QColor(0x2f, 0x4b, 0x5e));
    painter.fillRect(screen.rect(), desktop);
    DrawWithShadow(painter, mainPicture, QPoint(Margin, Margin));
    DrawWithShadow(painter, previewPicture, QPoint(Margin + mainPicture.width() + Gap, Margin));
    painter.end();

    DestroyForms();
    if (!screen.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
