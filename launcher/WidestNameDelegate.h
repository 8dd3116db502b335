#ifndef WIDESTNAMEDELEGATE_H
#define WIDESTNAMEDELEGATE_H

#include "NameWidth.h"

#include <QStyledItemDelegate>

// Sizes the media list's rows, each as wide as the widest name: a list with
// uniform row sizes takes them from one sample row, which would cut longer
// names instead of letting the list scroll sideways.
class WidestNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The widest name of the rows now shown.
    void setWidest(NameWidth name) { widest = name; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    NameWidth widest;
};

#endif
