// The user-flow tests' helper (flow-*.sh): writes the archive and scenarios
// they work with, grabs the X screen, and judges what the grabs show of the
// main window's scenario list.
//
//   tessel_flow_helper archive PATH
//   tessel_flow_helper scenarios FOLDER COUNT     (prints the file names)
//   tessel_flow_helper grab PICTURE
//   tessel_flow_helper list PICTURE X Y WIDTH HEIGHT entries|empty|where
//   tessel_flow_helper batch REFERENCE PICTURE X Y WIDTH HEIGHT
//
// X Y WIDTH HEIGHT is the main window's client area on the screen. The list
// is found as the white area in it, the part above it is the label strip;
// "where" prints the list's area on the screen as X Y WIDTH HEIGHT.
// Exit status 0 when the check holds, 1 when not (with the reason on
// standard error), 2 for a wrong call.
#include "DemoData.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using namespace tessel;

int Fail(const QString& reason)
{
    std::fprintf(stderr, "%s\n", qPrintable(reason));
    return 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: tessel_flow_helper archive PATH | scenarios FOLDER COUNT | grab PICTURE |\n"
                         "       list PICTURE X Y WIDTH HEIGHT entries|empty|where |\n"
                         "       batch REFERENCE PICTURE X Y WIDTH HEIGHT\n");
    return 2;
}

// The numbers lead the names, so that the rows of the list differ where
// the list shows them; the rest makes the paths wider than the list.
int WriteScenarios(const std::string& folder, int count)
{
    std::optional<ScenarioContent> largest;
    for (const DemoScenario& scenario : MakeDemoScenarios())
        if (!largest || scenario.Content.Side > largest->Side)
            largest = scenario.Content;
    if (!largest || count < 1)
        return Usage();
    std::filesystem::create_directories(folder);
    for (int number = 1; number <= count; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, "%04d_scenario_with_a_rather_long_name.pud", number);
        WriteScenario(*largest).WriteTo((std::filesystem::path(folder) / name).string());
        std::printf("%s\n", name);
    }
    return 0;
}

int Grab(int argc, char** argv, const QString& picture)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    if (screen.isNull() || !screen.save(picture, "PNG"))
        return Fail(QStringLiteral("Cannot grab the screen into %1").arg(picture));
    return 0;
}

bool IsWhite(QRgb pixel) { return (pixel & 0xffffff) == 0xffffff; }
bool IsDark(QRgb pixel) { return qGray(pixel) < 100; }

// The list's viewport: the bounding box of the white pixels in the client
// area, or an empty rectangle.
QRect ListArea(const QImage& picture, const QRect& client)
{
    QRect area;
    const QRect inside = client & picture.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (IsWhite(picture.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

// How many rows of pixels in area hold text.
int RowsWithText(const QImage& picture, const QRect& area)
{
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsDark(picture.pixel(x, y))) {
                ++rows;
                break;
            }
    return rows;
}

std::optional<QImage> Load(const QString& path)
{
    QImage picture(path);
    if (picture.isNull())
        return std::nullopt;
    return picture.convertToFormat(QImage::Format_RGB32);
}

std::optional<QRect> ClientArea(char** numbers)
{
    bool ok[4] = {};
    const QRect client(QString::fromLocal8Bit(numbers[0]).toInt(&ok[0]), QString::fromLocal8Bit(numbers[1]).toInt(&ok[1]),
                       QString::fromLocal8Bit(numbers[2]).toInt(&ok[2]), QString::fromLocal8Bit(numbers[3]).toInt(&ok[3]));
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool valid) { return valid; }) || client.isEmpty())
        return std::nullopt;
    return client;
}

// Rows of text pixels: a line of list text has some seven or eight of them.
constexpr int TextRowsOfOneEntry = 5;
constexpr int TextRowsOfThreeEntries = 18;

int CheckList(const QImage& picture, const QRect& client, const QString& expected)
{
    const QRect area = ListArea(picture, client);
    if (area.width() < 100 || area.height() < 100)
        return Fail(QStringLiteral("No list found in the window (white area %1x%2)").arg(area.width()).arg(area.height()));
    if (expected == QLatin1String("where")) {
        std::printf("%d %d %d %d\n", area.x(), area.y(), area.width(), area.height());
        return 0;
    }
    const int rows = RowsWithText(picture, area);
    if (expected == QLatin1String("entries") && rows < TextRowsOfOneEntry)
        return Fail(QStringLiteral("The list shows no entries (%1 rows of text pixels)").arg(rows));
    if (expected == QLatin1String("empty") && rows > 0)
        return Fail(QStringLiteral("The list is not empty (%1 rows of text pixels)").arg(rows));
    return 0;
}

// A grab during a batch run against one of the window at rest before it:
// the label strip above the list as it was (a closed dialog left nothing
// there), and the list showing entries and nothing but list.
int CheckBatch(const QImage& reference, const QImage& picture, const QRect& client)
{
    QRect area = ListArea(reference, client);
    if (area.width() < 100 || area.height() < 100)
        return Fail(QStringLiteral("No list found in the window before the run"));
    // The label strip reaches over the whole width, so the window's own
    // colour is that of the client area's top right corner; the strip ends
    // where the list's frame begins.
    const QRgb windowColour = reference.pixel(client.right() - 1, client.top() + 1);
    int stripBottom = client.top();
    while (stripBottom < area.top() && reference.pixel(area.right(), stripBottom + 1) == windowColour)
        ++stripBottom;
    const QRect strip(client.left(), client.top(), client.width(), stripBottom - client.top() + 1);
    if (strip.height() < 5)
        return Fail(QStringLiteral("No label strip above the list"));
    int changed = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y)
        for (int x = strip.left(); x <= strip.right(); ++x)
            changed += reference.pixel(x, y) != picture.pixel(x, y);
    if (changed > 0)
        return Fail(QStringLiteral("The label strip above the list changed during the run (%1 pixels)").arg(changed));

    // The first entry may be marked as the current one, so not white.
    area.setTop(stripBottom + 2);
    const int rows = RowsWithText(picture, area);
    if (rows < TextRowsOfThreeEntries)
        return Fail(QStringLiteral("The list shows no entries during the run (%1 rows of text pixels)").arg(rows));
    // The window's colour has no place inside the list: where it shows,
    // something else is drawn over the list.
    int foreign = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            foreign += picture.pixel(x, y) == windowColour;
    if (foreign > area.width() * area.height() / 50)
        return Fail(QStringLiteral("Something other than the list is drawn over it (%1 pixels)").arg(foreign));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("archive") && argc == 3) {
        WriteDemoArchive(argv[2]);
        return 0;
    }
    if (command == QLatin1String("scenarios") && argc == 4)
        return WriteScenarios(argv[2], QString::fromLocal8Bit(argv[3]).toInt());
    if (command == QLatin1String("grab") && argc == 3)
        return Grab(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1String("list") && argc == 8) {
        const auto picture = Load(QString::fromLocal8Bit(argv[2]));
        const auto client = ClientArea(argv + 3);
        const QString expected = QString::fromLocal8Bit(argv[7]);
        if (!picture || !client || !QStringList{"entries", "empty", "where"}.contains(expected))
            return Usage();
        return CheckList(*picture, *client, expected);
    }
    if (command == QLatin1String("batch") && argc == 8) {
        const auto reference = Load(QString::fromLocal8Bit(argv[2]));
        const auto picture = Load(QString::fromLocal8Bit(argv[3]));
        const auto client = ClientArea(argv + 4);
        if (!reference || !picture || !client || reference->size() != picture->size())
            return Usage();
        return CheckBatch(*reference, *picture, *client);
    }
    return Usage();
}
