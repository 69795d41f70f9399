// Window layouts are drawn in pixels for a 13-pixel sans-serif font (lines
// 16 pixels high, characters 6 pixels wide on average). These helpers scale
// such lengths to the application font, so that captions keep their room on
// every screen and with every font size.
#pragma once

class QPoint;
class QRect;
class QSize;
class QWidget;

namespace tessel {

// The factor from layout pixels to this screen's pixels.
double LayoutScale();
int Scaled(int pixels);

// Puts control at the scaled rectangle. A label or check box whose caption
// needs more width than given grows to the right, as far as its parent allows.
void PlaceControl(QWidget& control, int x, int y, int width, int height);

// Fixes a window's client area at the scaled size.
void SetFixedClientSize(QWidget& window, int width, int height);

// Where the top-left corner of a window of size goes so that it is centred on
// the available area of a screen, but never above or left of that area: a
// window larger than the screen keeps its title bar, by which it is moved and
// closed, on the screen.
QPoint CentredPosition(const QRect& available, const QSize& size);

// Centres a window on its screen (CentredPosition) the first time it is
// shown; later showings keep the position it last had. Call before it
// becomes visible.
void CentreOnScreenOnce(QWidget& window);

}  // namespace tessel
