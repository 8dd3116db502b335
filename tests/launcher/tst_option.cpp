#include "Option.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A check box reacts only to clicks on its indicator and label, at its left.
void clickBox(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, box->height() / 2));
}

QCheckBox* checkBox(Option& panel, const QString& text)
{
    for (QCheckBox* box : panel.findChildren<QCheckBox*>())
        if (box->text() == text)
            return box;
    return nullptr;
}

} // namespace

class TestOption : public QObject
{
    Q_OBJECT

private slots:
    void buildsItsChildrenInPlace()
    {
        Option panel(nullptr, "options");
        QCOMPARE(panel.objectName(), QStringLiteral("options"));
        QCOMPARE(panel.geometry(), QRect(0, 0, 240, 320));
        QCOMPARE(panel.isFPS(), false);

        const QList<QWidget*> children = panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(children.size(), 4);
        // Creation order is the stacking order: Back, heading, the two boxes.
        QCOMPARE(qobject_cast<QPushButton*>(children[0])->text(), QStringLiteral("Back"));
        QCOMPARE(qobject_cast<QLabel*>(children[1])->text(), QStringLiteral("Options"));
        QCOMPARE(qobject_cast<QCheckBox*>(children[2])->text(), QStringLiteral("Show FPS"));
        QCOMPARE(qobject_cast<QCheckBox*>(children[3])->text(), QStringLiteral("Sound"));
        QCOMPARE(children[0]->geometry(), QRect(0, 290, 120, 30));
        QCOMPARE(children[2]->geometry(), QRect(20, 20, 200, 30));
        QCOMPARE(children[3]->geometry(), QRect(20, 60, 200, 30));
        QVERIFY(!checkBox(panel, "Show FPS")->isChecked());
        QVERIFY(!checkBox(panel, "Sound")->isChecked());
    }

    void backHidesThePanelAndNothingElse()
    {
        Option panel(nullptr, nullptr);
        panel.setFPS(true);
        checkBox(panel, "Sound")->setChecked(true);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        QTest::mouseClick(panel.findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(panel.isHidden());
        QVERIFY(panel.isFPS());
        QVERIFY(checkBox(panel, "Sound")->isChecked());
        QVERIFY(!checkBox(panel, "Show FPS")->isChecked());

        // Hidden, not gone: showing it again shows the boxes as they were left.
        panel.show();
        QVERIFY(panel.isVisible());
        QVERIFY(checkBox(panel, "Sound")->isChecked());
    }

    void checkBoxesLeaveTheFlagAlone()
    {
        Option panel(nullptr, nullptr);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // Each click would move the flag through any wiring, direct or negated.
        QCheckBox* showFps = checkBox(panel, "Show FPS");
        clickBox(showFps);
        QVERIFY(showFps->isChecked());
        QCOMPARE(panel.isFPS(), false);
        clickBox(showFps);
        QVERIFY(!showFps->isChecked());
        QCOMPARE(panel.isFPS(), false);

        panel.setFPS(true);
        clickBox(checkBox(panel, "Sound"));
        QVERIFY(checkBox(panel, "Sound")->isChecked());
        QCOMPARE(panel.isFPS(), true);
    }

    void setFPSStoresAndRepaintsShowFPSStoresTheOppositeQuietly()
    {
        Option panel(nullptr, nullptr);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        PaintCounter counter;
        panel.installEventFilter(&counter);

        panel.setFPS(true);
        QCOMPARE(panel.isFPS(), true);
        QTRY_VERIFY(counter.paints > 0);
        panel.setFPS(false);
        QCOMPARE(panel.isFPS(), false);

        QTest::qWait(50);
        counter.paints = 0;
        QVERIFY(QMetaObject::invokeMethod(&panel, "showFPS", Q_ARG(bool, true)));
        QCOMPARE(panel.isFPS(), false);
        QVERIFY(QMetaObject::invokeMethod(&panel, "showFPS", Q_ARG(bool, false)));
        QCOMPARE(panel.isFPS(), true);
        QTest::qWait(50);
        QCOMPARE(counter.paints, 0);
    }
};

QTEST_MAIN(TestOption)
#include "tst_option.moc"
