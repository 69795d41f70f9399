// The about box: product name, version and credits. Back is the only way
// to close it; it has no close box and Escape does nothing.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tessel {

class TTesselAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TTesselAboutForm(QWidget* parent = nullptr);

    void setVisible(bool visible) override;
    // Escape, and a window manager's close request, end here.
    void reject() override;

private:
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace tessel
