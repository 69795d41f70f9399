#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QPushButton>

#include <algorithm>

namespace tessel::test {

PrivateConfigFolder::PrivateConfigFolder() { qputenv("XDG_CONFIG_HOME", folder_.path().toLocal8Bit()); }

BoxSeen ReadBox(const QMessageBox& box)
{
    BoxSeen seen;
    seen.caption = box.windowTitle();
    seen.icon = box.icon();
    seen.text = box.text();
    QList<QAbstractButton*> buttons = box.buttons();
    std::sort(buttons.begin(), buttons.end(), [](const QAbstractButton* left, const QAbstractButton* right) {
        return left->mapToGlobal(QPoint(0, 0)).x() < right->mapToGlobal(QPoint(0, 0)).x();
    });
    for (const QAbstractButton* button : buttons)
        seen.buttons.append(button->text());
    if (box.defaultButton())
        seen.defaultButton = box.defaultButton()->text();
    if (box.escapeButton())
        seen.escapeButton = box.escapeButton()->text();
    return seen;
}

void PressButton(QMessageBox& box, const QString& buttonText)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == buttonText) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("the box has no button ") + buttonText));
}

void PressKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&widget, key, modifiers);
}

BoxAnswerer::BoxAnswerer(Answer answer) : answer_(std::move(answer))
{
    if (!answer_)
        answer_ = [](QMessageBox& box) { PressKey(box, Qt::Key_Return); };
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
}

BoxAnswerer::~BoxAnswerer() { timer_.stop(); }

QStringList BoxAnswerer::Texts() const
{
    QStringList texts;
    for (const BoxSeen& seen : seen_)
        texts.append(seen.text);
    return texts;
}

void BoxAnswerer::Poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == answered_ || !box->isVisible())
        return;
    answered_ = box;
    seen_.push_back(ReadBox(*box));
    answer_(*box);
}

bool ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

}  // namespace tessel::test
