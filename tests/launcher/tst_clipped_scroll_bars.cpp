#include "ClippedScrollBarStyle.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>

// The list's scroll bars, painted within their clip, must come out pixel for
// pixel as the style paints them: whole, and where only a strip is repainted.

namespace {

QList<QImage> paintedStates(QScrollBar* bar)
{
    QList<QImage> images;
    for (const int value : { bar->minimum(), bar->maximum() / 3, bar->maximum() }) {
        bar->setValue(value);
        images << bar->grab().toImage() << bar->grab(QRect(0, 50, bar->width(), 40)).toImage();
    }
    return images;
}

} // namespace

class ClippedScrollBarsTest : public QObject
{
    Q_OBJECT

private slots:
    void paintTheSamePixelsAsTheStyle()
    {
        for (const char* styleName : { "fusion", "windows" }) {
            QApplication::setStyle(QStyleFactory::create(QString::fromLatin1(styleName)));
            QListWidget list;
            for (int row = 0; row < 2000; ++row)
                list.addItem(QStringLiteral("Row %1 with a name wider than the list").arg(row));
            list.resize(160, 300);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            QScrollBar* bars[] = { list.verticalScrollBar(), list.horizontalScrollBar() };
            const QList<QImage> byStyle = paintedStates(bars[0]) + paintedStates(bars[1]);

            ClippedScrollBarStyle::install(&list);
            QVERIFY(bars[0]->style() != QApplication::style());
            QCOMPARE(paintedStates(bars[0]) + paintedStates(bars[1]), byStyle);
        }
    }
};

QTEST_MAIN(ClippedScrollBarsTest)
#include "tst_clipped_scroll_bars.moc"
