#include "PlainRow.h"

#include <QImage>
#include <QListView>
#include <QPainter>
#include <QStringListModel>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTest>
#include <memory>

// Plain rows must come out pixel for pixel as the style draws them; every
// other row must be left to the style.

namespace {

struct ExposedView : QListView
{
    using QListView::initViewItemOption;
};

struct ExposedDelegate : QStyledItemDelegate
{
    using QStyledItemDelegate::initStyleOption;
};

// What drawPlainRow drew, or a null image when it declined.
QImage drawn(const QStyleOptionViewItem& row, bool byStyle)
{
    QImage image(320, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (byStyle)
        row.widget->style()->drawControl(QStyle::CE_ItemViewItem, &row, &painter, row.widget);
    else if (!drawPlainRow(&painter, row))
        return QImage();
    return image;
}

} // namespace

class PlainRowTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsPlainRowsAsTheStyleAndLeavesTheRestToIt()
    {
        const QStringList plain = { "VID_20260312_000042.MP4", "Holiday 2019 Kraków (3).mp4",
                                    "AVATAR Toy Wave.avi", "写真 2024.avi", "موسيقى الحفل.mp3",
                                    "Zoe\u0301\u0308 \U0001F600.mp4", "tab\there.avi", ".." };
        const QStringList longOrBroken = { "line\nbreak.avi", "line\u2028separator.avi",
                                           "A name far too long for the row, which the style elides.mp4" };
        // Active, inactive and disabled rows take their text colour from
        // different palette groups; selected and focused rows are the style's.
        const QStyle::State removed[] = { QStyle::State_None, QStyle::State_Active, QStyle::State_Enabled };
        const QStyle::State styleStates[] = { QStyle::State_Selected, QStyle::State_HasFocus };
        QStringListModel model(plain + longOrBroken);
        ExposedDelegate delegate;
        for (const char* styleName : { "fusion", "windows" }) {
            const std::unique_ptr<QStyle> style(QStyleFactory::create(QLatin1String(styleName)));
            ExposedView view;
            view.setStyle(style.get());
            view.setModel(&model);
            for (int index = 0; index < model.rowCount(); ++index) {
                QStyleOptionViewItem row;
                view.initViewItemOption(&row);
                delegate.initStyleOption(&row, model.index(index, 0));
                row.state |= QStyle::State_Active;
                // Odd and even heights round the text's place both ways.
                for (const int height : { 17, 18, 19 }) {
                    row.rect = QRect(2, 3, 300, height);
                    const QString what = QStringLiteral("%1, %2, %3").arg(styleName, row.text).arg(height);
                    for (const QStyle::State taken : removed) {
                        QStyleOptionViewItem variant = row;
                        variant.state &= ~taken;
                        const QImage ours = drawn(variant, false);
                        QVERIFY2(ours.isNull() == (index >= plain.size()), qPrintable(what));
                        QVERIFY2(ours.isNull() || ours == drawn(variant, true), qPrintable(what));
                    }
                    for (const QStyle::State added : styleStates) {
                        QStyleOptionViewItem variant = row;
                        variant.state |= added;
                        QVERIFY2(drawn(variant, false).isNull(), qPrintable(what));
                    }
                }
            }
        }
    }
};

QTEST_MAIN(PlainRowTest)
#include "tst_plain_row.moc"
