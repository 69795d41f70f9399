#include "Layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr double LayoutLineHeight = 16.0;
constexpr double LayoutCharacterWidth = 6.0;
constexpr const char* CentredProperty = "tesselCentred";

}  // namespace

double LayoutScale()
{
    // Whichever of height and width grew more decides, so that no caption
    // is cut off by a font that is wider than it is tall, or the other way.
    const QFontMetricsF metrics(QApplication::font());
    return std::max(metrics.height() / LayoutLineHeight, metrics.averageCharWidth() / LayoutCharacterWidth);
}

int Scaled(int pixels) { return static_cast<int>(std::lround(pixels * LayoutScale())); }

void PlaceControl(QWidget& control, int x, int y, int width, int height)
{
    const int left = Scaled(x);
    int scaledWidth = Scaled(width);
    if (qobject_cast<QLabel*>(&control) || qobject_cast<QCheckBox*>(&control)) {
        int room = scaledWidth;
        if (const QWidget* parent = control.parentWidget())
            room = std::max(room, parent->contentsRect().right() - left);
        scaledWidth = std::clamp(control.sizeHint().width(), scaledWidth, room);
    }
    control.setGeometry(left, Scaled(y), scaledWidth, Scaled(height));
}

void SetFixedClientSize(QWidget& window, int width, int height) { window.setFixedSize(Scaled(width), Scaled(height)); }

QPoint CentredPosition(const QRect& available, const QSize& size)
{
    const QPoint centred = available.center() - QPoint(size.width() / 2, size.height() / 2);
    return {std::max(available.left(), centred.x()), std::max(available.top(), centred.y())};
}

void CentreOnScreenOnce(QWidget& window)
{
    if (window.property(CentredProperty).toBool())
        return;
    window.setProperty(CentredProperty, true);
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Before the first showing the position is that of the frame.
    window.move(CentredPosition(screen->availableGeometry(), window.size()));
}

}  // namespace tessel
