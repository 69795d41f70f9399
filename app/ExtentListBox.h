// A list box with a horizontal extent of its own: its horizontal scroll bar
// covers exactly that many pixels, whatever entries it holds, and shows only
// when the extent is wider than the list. Entries are one fixed line high.
#pragma once

#include <QListWidget>

namespace tessel {

class ExtentListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ExtentListBox(QWidget* parent = nullptr);

    int HorizontalExtent() const { return horizontalExtent_; }
    // 0 removes the horizontal scroll bar.
    void SetHorizontalExtent(int extent);

    // The entries' texts, in list order.
    QStringList Entries() const;

    // Paints the list at once, for a caller that holds the event loop off.
    // A deleted entry only schedules the new layout of the entries for the
    // event loop; painted before it, the list would show none of them.
    void RepaintNow();

protected:
    void updateGeometries() override;

private:
    int horizontalExtent_ = 0;
};

// Sets the extent to fit the widest entry as the list draws it, plus 5
// pixels; an empty list gets 0.
void FitListExtent(ExtentListBox& list);

}  // namespace tessel
