#include "FileBrowser.h"
#include "ListDriver.h"
#include "TestDirs.h"

#include <QGuiApplication>
#include <QPointingDevice>
#include <QStyleHints>
#include <QScrollBar>
#include <QScroller>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace TestDirs;

// The list under a finger and under the mouse: dragging scrolls it, taps
// still choose.
class TestTouch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    // Qt registers the device but leaves it to the test to delete.
    const std::unique_ptr<QPointingDevice> finger { QTest::createTouchDevice() };

    // A shown list of a folder far longer than the screen, at its top.
    void showLongFolder(FileBrowser& list, const QString& root)
    {
        makeDir(root + "/Films");
        for (int i = 0; i < 80; ++i)
            makeFile(root + QStringLiteral("/clip%1.mp4").arg(i, 2, 10, QLatin1Char('0')));
        list.setDir(root);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
    }

    // A shown list of `count` folders, "Folder 00" on, at its top.
    void showNumberedFolders(FileBrowser& list, const QString& root, int count)
    {
        for (int i = 0; i < count; ++i)
            makeDir(root + QStringLiteral("/Folder %1").arg(i, 2, 10, QLatin1Char('0')));
        list.setDir(root);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
    }

    void waitUntilScrollerRests(FileBrowser& list)
    {
        QTRY_COMPARE(QScroller::scroller(list.viewport())->state(), QScroller::Inactive);
    }

    void dragWithFinger(QWidget* surface, QPoint from, QPoint to)
    {
        QTest::touchEvent(surface, finger.get()).press(0, from, surface);
        for (int step = 1; step <= 10; ++step) {
            QTest::qWait(15);
            QTest::touchEvent(surface, finger.get()).move(0, from + (to - from) * step / 10, surface);
        }
        QTest::touchEvent(surface, finger.get()).release(0, to, surface);
    }

    void dragWithMouse(QWidget* surface, QPoint from, QPoint to)
    {
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step) {
            QTest::qWait(15);
            QTest::mouseMove(surface, from + (to - from) * step / 10);
        }
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    }

    void tapTwice(QWidget* surface, QPoint at)
    {
        for (int tap = 0; tap < 2; ++tap) {
            QTest::touchEvent(surface, finger.get()).press(0, at, surface);
            QTest::touchEvent(surface, finger.get()).release(0, at, surface);
            QTest::qWait(50);
        }
    }

private slots:
    void dragScrollsAndDoubleTapChooses()
    {
        const QString root = caseDir(tmp);
        FileBrowser list(nullptr, "romBrowser");
        list.resize(240, 250);
        showLongFolder(list, root);
        QWidget* surface = list.viewport();
        QSignalSpy chosen(&list, &FileBrowser::selected);

        dragWithFinger(surface, QPoint(120, 220), QPoint(120, 20));
        QTRY_VERIFY(list.verticalScrollBar()->value() > 0);
        waitUntilScrollerRests(list);

        list.scrollToTop();
        dragWithMouse(surface, QPoint(120, 220), QPoint(120, 20));
        QTRY_VERIFY(list.verticalScrollBar()->value() > 0);
        waitUntilScrollerRests(list);
        // A drag moves the list; it chooses nothing.
        QCOMPARE(chosen.count(), 0);

        list.scrollToTop();
        const int films = int(ListDriver::shownNames(list).indexOf("Films"));
        tapTwice(surface, list.visualRect(list.model()->index(films, 0)).center());
        QTRY_COMPARE(list.directory(), root + "/Films");
        QCOMPARE(chosen.count(), 1);
    }

    // Clicks as the platform gives them, and a finger's taps, in a folder
    // scrolled far down: one makes a row current, two choose it.
    void clickOrTapMakesCurrentAndTwoChooseInALongScrolledList()
    {
        const QString root = caseDir(tmp);
        FileBrowser list(nullptr, "romBrowser");
        list.resize(240, 250);
        showNumberedFolders(list, root, 60);
        QSignalSpy chosen(&list, &FileBrowser::selected);
        QWindow* window = list.windowHandle();

        for (const bool withFinger : { true, false }) {
            list.setDir(root);
            list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2);
            const QModelIndex row = list.indexAt(QPoint(100, 100));
            const QString name = list.itemText(row.row());
            const QPoint at = list.viewport()->mapTo(&list, list.visualRect(row).center());
            // A finger never lands twice on the same pixel, and a touch panel
            // numbers each contact anew.
            int contact = 0;
            const auto tap = [&](QPoint by) {
                ++contact;
                QTest::touchEvent(window, finger.get()).press(contact, at + by, window);
                QTest::touchEvent(window, finger.get()).release(contact, at + by, window);
            };

            if (withFinger)
                tap({});
            else
                QTest::mouseClick(window, Qt::LeftButton, {}, at);
            QTRY_COMPARE(list.currentIndex(), row);
            QCOMPARE(list.directory(), root);
            QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
            if (withFinger) {
                tap({ 1, 0 });
                QTest::qWait(50);
                tap({ 3, 2 });
            } else {
                QTest::mouseDClick(window, Qt::LeftButton, {}, at);
            }
            QTRY_COMPARE(list.directory(), root + "/" + name);
        }
        QCOMPARE(chosen.count(), 2);
    }

    // Two taps as close in time and place as a double tap, either side of
    // the line between two rows: a tap on each, and neither row is chosen.
    void doubleTapSplitAcrossTwoRowsChoosesNeither()
    {
        const QString root = caseDir(tmp);
        FileBrowser list(nullptr, "romBrowser");
        list.resize(240, 250);
        showNumberedFolders(list, root, 20);
        QSignalSpy chosen(&list, &FileBrowser::selected);
        QWindow* window = list.windowHandle();

        const QRect upper = list.visualRect(list.model()->index(3, 0));
        const QPoint inViewport(upper.center().x(), upper.bottom());
        const QPoint below = inViewport + QPoint(0, 2);
        QCOMPARE(list.indexAt(inViewport).row(), 3);
        QCOMPARE(list.indexAt(below).row(), 4);
        QVERIFY((below - inViewport).manhattanLength() <= QGuiApplication::styleHints()->touchDoubleTapDistance());
        int contact = 0;
        for (const QPoint& at : { inViewport, below }) {
            const QPoint inWindow = list.viewport()->mapTo(&list, at);
            ++contact;
            QTest::touchEvent(window, finger.get()).press(contact, inWindow, window);
            QTest::touchEvent(window, finger.get()).release(contact, inWindow, window);
            QTest::qWait(50);
        }
        QTRY_COMPARE(list.currentIndex().row(), 4);
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(list.directory(), root);
    }
};

QTEST_MAIN(TestTouch)
#include "tst_touch.moc"
