#include "ClippedScrollBarStyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOption>

void ClippedScrollBarStyle::install(QAbstractScrollArea* area)
{
    QStyle* sameStyle = QStyleFactory::create(QApplication::style()->name());
    if (!sameStyle)
        return;
    auto* clipped = new ClippedScrollBarStyle(sameStyle);
    clipped->setParent(area);
    area->verticalScrollBar()->setStyle(clipped);
    area->horizontalScrollBar()->setStyle(clipped);
}

void ClippedScrollBarStyle::drawComplexControl(ComplexControl control,
                                               const QStyleOptionComplex* option,
                                               QPainter* painter, const QWidget* widget) const
{
    if (control != CC_ScrollBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    painter->setClipRect(option->rect, Qt::IntersectClip);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    painter->restore();
}
