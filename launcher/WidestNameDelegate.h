#ifndef WIDESTNAMEDELEGATE_H
#define WIDESTNAMEDELEGATE_H

#include <QStyledItemDelegate>

// Draws the media list's rows as the toolkit does, each as wide as the
// widest name: a list with uniform row sizes takes them from one sample row,
// which would cut longer names instead of letting the list scroll sideways.
class WidestNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

#endif
