#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

namespace tessel::test {

void PressButton(QMessageBox& box, const QString& buttonText)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == buttonText) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("the box has no button ") + buttonText));
}

BoxAnswerer::BoxAnswerer(Answer answer) : answer_(std::move(answer))
{
    if (!answer_)
        answer_ = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); };
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
}

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
    BoxSeen& seen = seen_.emplace_back();
    seen.caption = box->windowTitle();
    seen.icon = box->icon();
    seen.text = box->text();
    seen.format = box->textFormat();
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](const QAbstractButton* left, const QAbstractButton* right) {
        return left->mapToGlobal(QPoint(0, 0)).x() < right->mapToGlobal(QPoint(0, 0)).x();
    });
    for (const QAbstractButton* button : buttons)
        seen.buttons.append(button->text());
    if (box->defaultButton())
        seen.defaultButton = box->defaultButton()->text();
    if (box->escapeButton())
        seen.escapeButton = box->escapeButton()->text();
    answer_(*box);
}

bool ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

QFileDialog* ChooseInFileDialog(const QString& file, const std::function<void()>& open)
{
    QPointer<QFileDialog> seen;
    WhenModalOpens<QFileDialog> chooser([&seen, &file](QFileDialog& dialog) {
        seen = &dialog;
        dialog.selectFile(file);
        QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
    });
    open();
    return seen;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(path));
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Click(const QWidget& window, const char* name)
{
    auto* button = window.findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void DoubleClick(QListWidget& list, const QListWidgetItem* item)
{
    list.scrollToItem(item);
    const QPoint centre = list.visualItemRect(item).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(centre), list.viewport()->mapToGlobal(QPointF(centre)),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &second);
}

QString FocusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }

QStringList TabWalk(int steps)
{
    QStringList visited;
    for (int step = 0; step < steps; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(FocusName());
    }
    return visited;
}

}  // namespace tessel::test
