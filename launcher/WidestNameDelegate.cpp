#include "WidestNameDelegate.h"

#include "EntryListModel.h"
#include "PlainRow.h"

void WidestNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (!drawPlainRow(painter, item))
        QStyledItemDelegate::paint(painter, option, index);
}

QSize WidestNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    // The height stays the toolkit's choice, so that a name broken over lines
    // does not make every row taller.
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const auto* entries = static_cast<const EntryListModel*>(index.model());
    const NameWidth widest = entries ? entries->widestRow(option.font) : NameWidth();
    if (widest.index >= 0) {
        const QModelIndex widestRow = index.siblingAtRow(widest.index);
        size.setWidth(QStyledItemDelegate::sizeHint(option, widestRow).width() + widest.allowance);
    }
    return size;
}
