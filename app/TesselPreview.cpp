#include "TesselPreview.h"

#include "base/Exceptions.h"
#include "Layout.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace tessel {

namespace {

QImage LoadBitmap(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot open the bitmap \"" + path.toStdString() + "\"");
    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception("\"" + path.toStdString() + "\" is not a valid bitmap");
    return image;
}

}  // namespace

TTesselPreviewForm::TTesselPreviewForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TesselPreviewForm"));
    ImgPreview = new QLabel(this);
    ImgPreview->setObjectName(QStringLiteral("ImgPreview"));
    ImgPreview->move(0, 0);
}

void TTesselPreviewForm::setVisible(bool visible)
{
    if (visible && !isVisible())
        CentreOnScreenOnce(*this);
    QWidget::setVisible(visible);
}

void TTesselPreviewForm::ShowPreviewImage(const std::string& bitmapPath)
{
    const QImage image = LoadBitmap(QString::fromStdString(bitmapPath));
    ImgPreview->setPixmap(QPixmap::fromImage(image));
    ImgPreview->resize(image.size());
    setFixedSize(image.size());
    show();
    raise();
    activateWindow();
}

}  // namespace tessel
