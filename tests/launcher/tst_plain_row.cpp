#include "PlainRow.h"

#include <QImage>
#include <QListView>
#include <QPainter>
#include <QStringListModel>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTest>
#include <functional>
#include <memory>
#include <utility>

// The media list draws plain rows itself; they must come out pixel for pixel
// as the style draws them, and every other row must be left to the style.

namespace {

struct ExposedView : QListView
{
    using QListView::initViewItemOption;
};

struct ExposedDelegate : QStyledItemDelegate
{
    using QStyledItemDelegate::initStyleOption;
};

QImage painted(const std::function<void(QPainter*)>& paint)
{
    QImage image(320, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(&painter);
    return image;
}

// What went wrong with one row, or nothing: drawn by drawPlainRow exactly when
// it is plain, and then as the style draws it.
QString mismatch(const QStyleOptionViewItem& row, bool plain)
{
    bool drawn = false;
    const QImage ours = painted([&](QPainter* p) { drawn = drawPlainRow(p, row); });
    const QImage theirs = painted([&](QPainter* p) {
        row.widget->style()->drawControl(QStyle::CE_ItemViewItem, &row, p, row.widget);
    });
    const QString what = QStringLiteral("%1, \"%2\", state %3, height %4")
                             .arg(row.widget->style()->name(), row.text)
                             .arg(int(row.state))
                             .arg(row.rect.height());
    if (drawn != plain)
        return what + (drawn ? QStringLiteral(": drawn") : QStringLiteral(": not drawn"));
    if (ours != (drawn ? theirs : painted([](QPainter*) {})))
        return what + QStringLiteral(": other pixels");
    return QString();
}

} // namespace

class PlainRowTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsPlainRowsAsTheStyleAndLeavesTheRestToIt()
    {
        const QStringList plainNames = {
            QStringLiteral("VID_20260312_000042.MP4"), QStringLiteral("Holiday 2019 Kraków (3).mp4"),
            QStringLiteral("AVATAR Toy Wave.avi"), QStringLiteral("写真 2024.avi"),
            QStringLiteral("موسيقى الحفل.mp3"), QStringLiteral("Zoe\u0301\u0308 \U0001F600.mp4"),
            QStringLiteral("tab\there.avi"), QStringLiteral(".."),
        };
        const QStringList laidOutByStyle = {
            QStringLiteral("line\nbreak.avi"), QStringLiteral("line\u2028separator.avi"),
            QStringLiteral("A name far too long for the row, which the style elides.mp4"),
        };
        // Bits added to and taken from a row's state. Active, inactive and
        // disabled rows take their text colour from different palette groups.
        const std::pair<QStyle::State, QStyle::State> plainStates[] = {
            { QStyle::State_Active, QStyle::State_None },
            { QStyle::State_None, QStyle::State_Active },
            { QStyle::State_None, QStyle::State_Enabled },
        };
        const QStyle::State styleStates[] = { QStyle::State_Selected, QStyle::State_HasFocus };

        QStringListModel model(plainNames + laidOutByStyle);
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
                const bool plainName = index < plainNames.size();
                // Odd and even heights round the text's place both ways.
                for (const int height : { 17, 18, 19 }) {
                    row.rect = QRect(2, 3, 300, height);
                    for (const auto& [added, taken] : plainStates) {
                        QStyleOptionViewItem variant = row;
                        variant.state = (row.state | added) & ~taken;
                        const QString wrong = mismatch(variant, plainName);
                        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
                    }
                    for (const QStyle::State added : styleStates) {
                        QStyleOptionViewItem variant = row;
                        variant.state |= added;
                        const QString wrong = mismatch(variant, false);
                        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
                    }
                }
            }
        }
    }
};

QTEST_MAIN(PlainRowTest)
#include "tst_plain_row.moc"
