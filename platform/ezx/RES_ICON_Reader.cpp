#include "RES_ICON_Reader.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <cstring>

namespace {

const int iconSize = 32;

QPixmap styleIcon(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which).pixmap(iconSize, iconSize);
}

// Qt's style has no "please wait" picture, so the hourglass is drawn here.
QPixmap hourglass()
{
    QPixmap pixmap(iconSize, iconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.drawLine(7, 3, 25, 3);
    painter.drawLine(7, 29, 25, 29);
    painter.setBrush(QColor(235, 190, 80));
    const QPointF top[] = { {9, 4}, {23, 4}, {16, 16} };
    const QPointF bottom[] = { {16, 16}, {23, 28}, {9, 28} };
    painter.drawPolygon(top, 3);
    painter.drawPolygon(bottom, 3);
    return pixmap;
}

} // namespace

QPixmap RES_ICON_Reader::getIcon(const char* name) const
{
    if (!name)
        return QPixmap();
    if (std::strcmp(name, "Dialog_Complete.gif") == 0)
        return styleIcon(QStyle::SP_DialogApplyButton);
    if (std::strcmp(name, "Dialog_Exclamatory_Mark.gif") == 0)
        return styleIcon(QStyle::SP_MessageBoxWarning);
    if (std::strcmp(name, "Dialog_Waiting.gif") == 0)
        return hourglass();
    return QPixmap();
}
