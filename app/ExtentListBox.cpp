#include "ExtentListBox.h"

#include "Layout.h"

#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tessel {

namespace {

// Entries one layout line high and as wide as the extent: the view then
// sizes its scroll range by the extent itself.
class ExtentDelegate : public QStyledItemDelegate {
public:
    explicit ExtentDelegate(ExtentListBox* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(Scaled(16), option.fontMetrics.height()));
        if (list_->HorizontalExtent() > 0)
            size.setWidth(list_->HorizontalExtent());
        return size;
    }

private:
    const ExtentListBox* list_;
};

}  // namespace

ExtentListBox::ExtentListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new ExtentDelegate(this));
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Entries are paths: shown whole and scrolled to, never shortened.
    setTextElideMode(Qt::ElideNone);
}

void ExtentListBox::SetHorizontalExtent(int extent)
{
    horizontalExtent_ = std::max(0, extent);
    doItemsLayout();
}

QStringList ExtentListBox::Entries() const
{
    QStringList entries;
    entries.reserve(count());
    for (int row = 0; row < count(); ++row)
        entries.append(item(row)->text());
    return entries;
}

void ExtentListBox::RepaintNow()
{
    executeDelayedItemsLayout();
    repaint();
}

void ExtentListBox::updateGeometries()
{
    if (count() > 0) {
        // The delegate makes every entry as wide as the extent, so the view
        // sizes the range by the extent itself.
        QListWidget::updateGeometries();
        return;
    }
    // Without entries the list view would drop the range and lay the viewport
    // out without the bar before the extent could set it again; showing the
    // bar again resizes the viewport, which calls this anew, for ever. So the
    // range of an empty list comes from the extent alone, set once, and the
    // scroll area shows or hides the bar by it.
    QAbstractItemView::updateGeometries();
    QScrollBar* bar = horizontalScrollBar();
    bar->setPageStep(viewport()->width());
    bar->setRange(0, std::max(0, horizontalExtent_ - viewport()->width()));
    verticalScrollBar()->setRange(0, 0);
}

void FitListExtent(ExtentListBox& list)
{
    const QFontMetrics metrics = list.fontMetrics();
    int widest = 0;
    for (int row = 0; row < list.count(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(list.item(row)->text()) + 5);
    list.SetHorizontalExtent(widest);
}

}  // namespace tessel
