#include "WidestNameDelegate.h"

#include "EntryListModel.h"

QSize WidestNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    const auto* entries = static_cast<const EntryListModel*>(index.model());
    const NameWidth widest = entries ? entries->widestRow(option.font) : NameWidth();
    if (widest.index < 0)
        return QStyledItemDelegate::sizeHint(option, index);
    QSize size = QStyledItemDelegate::sizeHint(option, index.siblingAtRow(widest.index));
    size.rwidth() += widest.allowance;
    return size;
}
