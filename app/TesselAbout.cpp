#include "TesselAbout.h"

#include "Layout.h"

#include <QLabel>
#include <QPushButton>

namespace tessel {

namespace {

// Lines as wide as the box, centred, stacked from the top without gaps.
QLabel* CreateLine(QWidget* parent, const char* name, const QString& text, int top, int height, int characterHeight = 0)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (characterHeight > 0) {
        QFont font = label->font();
        font.setPixelSize(Scaled(characterHeight));
        label->setFont(font);
    }
    PlaceControl(*label, 0, top, 261, height);
    return label;
}

}  // namespace

TTesselAboutForm::TTesselAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TesselAboutForm"));
    setWindowTitle(QStringLiteral("About..."));
    SetFixedClientSize(*this, 261, 173);

    Label1 = CreateLine(this, "Label1", QStringLiteral("Tessel"), 0, 29, 23);
    Label2 = CreateLine(this, "Label2", QStringLiteral("V 1.1"), 29, 36, 17);
    Label5 = CreateLine(this, "Label5", QStringLiteral("Minimaps for WarCraft 2 scenarios,\nwritten by the Tessel authors"), 65,
                        32);
    Label4 = CreateLine(this, "Label4", QStringLiteral("Contact: tessel@example.org"), 97, 16);
    Label3 = CreateLine(this, "Label3", QStringLiteral("https://tessel.example.org"), 113, 16);

    Button1 = new QPushButton(QStringLiteral("Back"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    PlaceControl(*Button1, 93, 144, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TTesselAboutForm::setVisible(bool visible)
{
    if (visible && !isVisible())
        CentreOnScreenOnce(*this);
    QDialog::setVisible(visible);
}

void TTesselAboutForm::reject()
{
    // Back is the only way out.
}

}  // namespace tessel
