#ifndef PLAINROW_H
#define PLAINROW_H

class QPainter;
class QStyleOptionViewItem;

// Draws a plain row of a list, its text and nothing else, exactly as Qt's
// Fusion and Windows styles draw it, but lays the text out once where the
// style does it three times: most rows of the media list are plain, and the
// style's three layouts were most of the cost of drawing a screen of rows.
// Gives false and draws nothing for any other row (selected, focused,
// hovered, with an icon or a check box, elided or broken over lines) or
// style.
bool drawPlainRow(QPainter* painter, const QStyleOptionViewItem& item);

#endif
