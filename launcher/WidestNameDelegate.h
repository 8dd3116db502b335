#ifndef WIDESTNAMEDELEGATE_H
#define WIDESTNAMEDELEGATE_H

#include <QStyledItemDelegate>

class EntryNames;

// Sizes the media list's rows, each as wide as the widest name: a list with
// uniform row sizes takes them from one sample row, which would cut longer
// names instead of letting the list scroll sideways.
class WidestNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Finds the name of `names` that is widest in `font`, for the rows about
    // to show them.
    void findWidest(const EntryNames& names, const QFont& font);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int widestRow = -1;
};

#endif
