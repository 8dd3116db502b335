#ifndef CLIPPEDSCROLLBARSTYLE_H
#define CLIPPEDSCROLLBARSTYLE_H

#include <QProxyStyle>

class QAbstractScrollArea;

// Qt's raster engine hands large fills to its thread pool in pieces and
// waits for them. A scroll bar's fills are small, and the hand-offs cost
// more than the fills: about twenty per paint of the list's two bars, at
// every listing and every scroll step, and on a one-core device they only
// add switches. Painted within a clip of their own, the same pixels came
// with four hand-offs instead (Qt 6.4). Clips smaller than the bar would
// avoid those too, but Fusion's lines across their edges went missing.
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
