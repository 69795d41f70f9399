// The preview window: a modeless tool window that shows one minimap bitmap
// at its natural size. Closing it only hides it.
#pragma once

#include <QWidget>

#include <string>

class QLabel;

namespace tessel {

class TTesselPreviewForm : public QWidget {
    Q_OBJECT

public:
    explicit TTesselPreviewForm(QWidget* parent = nullptr);

    void setVisible(bool visible) override;

    // Loads the bitmap at bitmapPath, fits the window to it and shows it or
    // brings it to the front. A file that is not a loadable bitmap raises
    // Exception before the window changes in any way.
    void ShowPreviewImage(const std::string& bitmapPath);

private:
    QLabel* ImgPreview = nullptr;
};

}  // namespace tessel
