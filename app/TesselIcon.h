// The application icon. Its picture is resources/tessel.svg; the program
// draws it itself, since it is made of filled rectangles only.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace tessel {

// The icon in the usual sizes from 16 to 256 pixels.
QIcon TesselIcon();

// Draws the filled rectangles of an SVG picture on a transparent square
// of side pixels; every other element is ignored.
QImage RenderRectangleSvg(const QByteArray& svg, int side);

}  // namespace tessel
