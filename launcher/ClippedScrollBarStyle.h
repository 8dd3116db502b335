#ifndef CLIPPEDSCROLLBARSTYLE_H
#define CLIPPEDSCROLLBARSTYLE_H

#include <QProxyStyle>

class QAbstractScrollArea;

// Paints scroll bars within a clip of their own. Qt's raster engine hands
// large fills to its thread pool in pieces and waits for them; within such a
// clip most of a scroll bar's fills stay in the painting thread. The
// hand-offs cost more than these small fills, at every listing and every
// scroll step, and on a one-core device they only add switches. A clip as
// large as the bar keeps the style's pixels.
class ClippedScrollBarStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Gives the area's scroll bars a style of the same name as the
    // application's, painting within their clip; leaves them as they are
    // where no such style can be made.
    static void install(QAbstractScrollArea* area);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

private:
    using QProxyStyle::QProxyStyle;
};

#endif
