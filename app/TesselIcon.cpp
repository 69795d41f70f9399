#include "TesselIcon.h"

#include <QColor>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QXmlStreamReader>

// Resources of a static library must be registered by hand.
static void RegisterTesselResources() { Q_INIT_RESOURCE(tessel); }

namespace tessel {

namespace {

double Number(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toDouble();
}

}  // namespace

QImage RenderRectangleSvg(const QByteArray& svg, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QXmlStreamReader reader(svg);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("svg")) {
            const QStringList viewBox =
                attributes.value(QLatin1String("viewBox")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const double width = viewBox.size() == 4 ? viewBox[2].toDouble() : Number(attributes, "width");
            if (width > 0)
                painter.scale(side / width, side / width);
        } else if (reader.name() == QLatin1String("rect")) {
            const QColor colour(attributes.value(QLatin1String("fill")).toString());
            painter.fillRect(QRectF(Number(attributes, "x"), Number(attributes, "y"), Number(attributes, "width"),
                                    Number(attributes, "height")),
                             colour.isValid() ? colour : QColor(Qt::black));
        }
    }
    painter.end();
    return image;
}

QIcon TesselIcon()
{
    RegisterTesselResources();
    QFile file(QStringLiteral(":/tessel/tessel.svg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray svg = file.readAll();
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(RenderRectangleSvg(svg, side)));
    return icon;
}

}  // namespace tessel
