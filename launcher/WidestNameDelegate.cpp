#include "WidestNameDelegate.h"

QSize WidestNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    // The height stays the toolkit's choice, so that a name broken over lines
    // does not make every row taller.
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (widest.index >= 0) {
        const QModelIndex widestRow = index.siblingAtRow(widest.index);
        size.setWidth(QStyledItemDelegate::sizeHint(option, widestRow).width() + widest.allowance);
    }
    return size;
}
