#include "PlainRow.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextLayout>
#include <QWidget>

namespace {

bool isPlain(const QStyleOptionViewItem& item)
{
    const QStyle::State drawnByStyle =
        QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver;
    const QStyleOptionViewItem::ViewItemFeatures beyondText = QStyleOptionViewItem::WrapText
        | QStyleOptionViewItem::Alternate | QStyleOptionViewItem::HasCheckIndicator
        | QStyleOptionViewItem::HasDecoration;
    return item.widget && !(item.state & drawnByStyle) && !(item.features & beyondText)
        && item.backgroundBrush.style() == Qt::NoBrush && item.direction == Qt::LeftToRight
        && item.displayAlignment == (Qt::AlignLeft | Qt::AlignVCenter)
        && !item.text.contains(QLatin1Char('\n'));
}

// Both draw a row's text through QCommonStyle; other styles may not.
bool drawsRowsAsCommonStyle(const QStyle* style)
{
    const QString name = style->name();
    return name == QLatin1String("fusion") || name == QLatin1String("windows");
}

QColor textColor(const QStyleOptionViewItem& item)
{
    QPalette::ColorGroup group = QPalette::Disabled;
    if (item.state & QStyle::State_Enabled)
        group = item.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    return item.palette.color(group, QPalette::Text);
}

} // namespace

bool drawPlainRow(QPainter* painter, const QStyleOptionViewItem& item)
{
    if (!isPlain(item))
        return false;
    const QStyle* style = item.widget->style();
    if (!drawsRowsAsCommonStyle(style))
        return false;

    // A row without icon or check box gives its text the whole rectangle,
    // less the focus frame's margin and a pixel on each side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
    QTextLayout layout(item.text, item.font);
    QTextOption options;
    options.setWrapMode(QTextOption::ManualWrap);
    options.setTextDirection(item.direction);
    options.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
    layout.setTextOption(options);
    // Keeps the glyphs shaped for the line's width for the draw, which
    // would otherwise shape the text again.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textRect.width());
    layout.endLayout();
    // Text on several lines, or too wide and so elided, is the style's.
    if (line.textLength() != item.text.size() || line.naturalTextWidth() > textRect.width())
        return false;

    const QSize textSize(textRect.width(), qRound(line.height()));
    const QRect placed = QStyle::alignedRect(item.direction, Qt::AlignVCenter, textSize, textRect);
    painter->save();
    painter->setClipRect(item.rect);
    painter->setPen(textColor(item));
    layout.draw(painter, QPointF(textRect.x(), placed.top()));
    painter->restore();
    return true;
}
