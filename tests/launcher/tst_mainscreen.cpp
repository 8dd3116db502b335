#include "Button.h"
#include "FileBrowser.h"
#include "ListDriver.h"
#include "ModalBoxRecorder.h"
#include "RuntimeDirWarning.h"
#include "ShownScreen.h"
#include "TestDirs.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace TestDirs;

namespace {

QPushButton* buttonAt(Button& screen, QPoint where)
{
    for (QPushButton* button : screen.findChildren<QPushButton*>())
        if (button->geometry().contains(where))
            return button;
    return nullptr;
}

// What reaches standard error while `work` runs, whoever writes it.
QByteArray standardErrorOf(const std::function<void()>& work)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "cannot capture standard error";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

FileBrowser* mediaList(Button& screen)
{
    return screen.findChild<FileBrowser*>("romBrowser");
}

} // namespace

class TestMainScreen : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QString work;
    QString savedDir;

private slots:
    // A working directory without images: the buttons must fall back to text.
    void init()
    {
        work = caseDir(tmp);
        savedDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));
        qunsetenv("MOVDIR");
    }

    void cleanup() { QDir::setCurrent(savedDir); }

    void laysOutTheFourBandsWithTextWhenImagesAreMissing()
    {
        QWidget window;
        Button screen(&window, "interface");
        QCOMPARE(screen.objectName(), QStringLiteral("interface"));
        QCOMPARE(screen.geometry(), QRect(0, 0, 240, 320));

        QPushButton* title = buttonAt(screen, { 10, 10 });
        QPushButton* about = buttonAt(screen, { 10, 300 });
        QPushButton* exit = buttonAt(screen, { 130, 300 });
        QVERIFY(title && about && exit);
        QCOMPARE(title->geometry(), QRect(0, 0, 240, 40));
        QCOMPARE(about->geometry(), QRect(0, 290, 120, 30));
        QCOMPARE(exit->geometry(), QRect(120, 290, 120, 30));
        QCOMPARE(title->text(), QStringLiteral("title"));
        QCOMPARE(about->text(), QStringLiteral("About"));
        QCOMPARE(exit->text(), QStringLiteral("Exit"));
        QCOMPARE(mediaList(screen)->geometry(), QRect(0, 40, 240, 250));
    }

    // The PNG library reports a damaged picture on standard error itself,
    // past Qt's messages, so that is watched as well.
    void missingOrBrokenImagesPassSilently()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        {
            QWidget window;
            Button screen(&window, "interface");
        }
        makeDir("images");
        QImage image(240, 320, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
        makeFile("images/background.png", png.left(png.size() / 2));
        makeFile("images/banner.png", png.left(png.size() - 1));
        makeFile("images/btn_exit.png", "not a picture");
        makeFile("images/btn_about.png");
        QWidget window;
        std::unique_ptr<Button> screen;
        const QByteArray printed = standardErrorOf([&] {
            screen = std::make_unique<Button>(&window, "interface");
        });
        QCOMPARE(printed, QByteArray());
        QCOMPARE(buttonAt(*screen, { 10, 10 })->text(), QStringLiteral("title"));
        QCOMPARE(buttonAt(*screen, { 10, 300 })->text(), QStringLiteral("About"));
    }

    // Without a session, as on a bare console, Qt warns that it picks a
    // runtime folder itself; the launcher keeps that quiet and no more.
    void anUnsetRuntimeDirIsNoNews()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("XDG_RUNTIME_DIR")));
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);

        dropRuntimeDirWarning();
        QTest::failOnWarning(QRegularExpression(QStringLiteral("XDG_RUNTIME_DIR")));
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        QTest::ignoreMessage(QtWarningMsg, "any other warning");
        qWarning("any other warning");
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    void buttonsShowTheirImagesInsteadOfText()
    {
        makeDir("images");
        QImage image(120, 30, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        for (const char* name : { "background", "banner", "btn_exit", "btn_about" })
            QVERIFY(image.save(QString("images/%1.png").arg(name)));

        QWidget window;
        Button screen(&window, "interface");
        for (const QPoint where : { QPoint(10, 10), QPoint(10, 300), QPoint(130, 300) }) {
            QPushButton* button = buttonAt(screen, where);
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
        }
        QVERIFY(screen.autoFillBackground());
    }

    // "<work>" stands for the test's working directory; the launcher runs in
    // its subdirectory "sub".
    void startsInMovdirOrTheCard_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QString>("movdir");
        QTest::addColumn<QString>("shown");
        QTest::newRow("path") << true << "<work>/media" << "<work>/media";
        QTest::newRow("trailing slash") << true << "<work>/media/" << "<work>/media";
        QTest::newRow("relative path") << true << "../media" << "<work>/media";
        // An empty path names the working directory, as everywhere in Qt.
        QTest::newRow("empty") << true << "" << "<work>/sub";
        QTest::newRow("missing") << true << "<work>/nowhere" << "<work>/sub";
        if (!QFileInfo::exists("/mmc/mmca1"))
            QTest::newRow("unset, no card") << false << "" << "<work>/sub";
    }

    void startsInMovdirOrTheCard()
    {
        QFETCH(bool, set);
        QFETCH(QString, movdir);
        QFETCH(QString, shown);
        makeDir("media");
        makeDir("sub");
        QVERIFY(QDir::setCurrent("sub"));
        if (set)
            qputenv("MOVDIR", movdir.replace("<work>", work).toLocal8Bit());
        QWidget window;
        Button screen(&window, "interface");
        QCOMPARE(mediaList(screen)->directory(), shown.replace("<work>", work));
    }

    void theListHasTheFocusAndTheStartToggles()
    {
        makeFile("zorvid", "#!/bin/sh\nprintf '%s\\n' \"$@\" > player.args\n");
        QVERIFY(QFile::setPermissions("zorvid", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        makeFile("clip.mp4");
        qputenv("MOVDIR", work.toLocal8Bit());
        ShownScreen shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        FileBrowser* list = mediaList(shown.screen);
        QCOMPARE(QApplication::focusWidget(), list);

        QTest::keyClicks(list, "clip");
        QTest::keyClick(list, Qt::Key_Return);
        QFile args("player.args");
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), (work + "/clip.mp4\n").toUtf8());
    }

    void creditsBoxesLeaveTheScreenAsItWas()
    {
        QWidget window;
        Button screen(&window, "interface");
        const QString shown = mediaList(screen)->directory();
        ModalBoxRecorder boxes;
        QTest::mouseClick(buttonAt(screen, { 10, 10 }), Qt::LeftButton);
        QTest::mouseClick(buttonAt(screen, { 10, 300 }), Qt::LeftButton);

        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY(boxes.texts[0].contains("Video Launcher"));
        QVERIFY(!boxes.texts[0].contains('\n'));
        QCOMPARE(boxes.texts[1].count('\n'), 1);
        QCOMPARE(boxes.buttonTexts, QStringList({ "M'kay..", "M'kay.." }));
        QCOMPARE(boxes.hadIcon, QList<bool>({ true, true }));
        QCOMPARE(mediaList(screen)->directory(), shown);
    }

    // As a user meets it: the window shown, buttons clicked or tapped, boxes
    // closed, then a handset key released on the window.
    void buttonsNeverTakeTheKeysFromTheList()
    {
        ShownScreen shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        FileBrowser* list = mediaList(shown.screen);
        ModalBoxRecorder boxes;

        QTest::mouseClick(buttonAt(shown.screen, { 10, 10 }), Qt::LeftButton);
        QTest::mouseClick(buttonAt(shown.screen, { 10, 300 }), Qt::LeftButton);
        const std::unique_ptr<QPointingDevice> finger(QTest::createTouchDevice());
        QTest::touchEvent(&shown.window, finger.get()).press(0, { 60, 305 });
        QTest::touchEvent(&shown.window, finger.get()).release(0, { 60, 305 });
        // Pressed without a click: Exit would end the test's own loop.
        QPushButton* exit = buttonAt(shown.screen, { 130, 300 });
        QTest::mousePress(exit, Qt::LeftButton);
        QTest::mouseRelease(exit, Qt::LeftButton, {}, { -10, -10 });
        QCOMPARE(boxes.texts.size(), 3);
        QTRY_COMPARE(QApplication::focusWidget(), list);

        QTest::keyRelease(shown.window.windowHandle(), Qt::Key_F9);
        QCOMPARE(boxes.texts.size(), 4);
        QCOMPARE(boxes.texts.last(), QStringLiteral(" Sound : Off"));
    }

    // The screen as a user walks it with keys: boxes fit the 240x320 screen
    // with each line of their text whole, and every folder opens at its top
    // with its first row current. Going up through ".." lands on the folder
    // just left; a folder that cannot be entered moves nothing.
    void boxesFitTheScreenAndFoldersOpenAtTheTop()
    {
        for (int i = 1; i <= 40; ++i)
            makeDir(QString("card/f%1").arg(i, 2, 10, QLatin1Char('0')));
        makeDir("card/zz");
        for (int i = 1; i <= 60; ++i)
            makeFile(QString("card/zz/clip%1.mp4").arg(i, 2, 10, QLatin1Char('0')));
        makeDir("images");
        QImage background(240, 320, QImage::Format_RGB32);
        for (int y = 0; y < 320; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(background.scanLine(y)), 240, qRgb(y % 256, 96, 160));
        QVERIFY(background.save("images/background.png"));
        qputenv("MOVDIR", (work + "/card").toLocal8Bit());
        ShownScreen shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        FileBrowser* list = mediaList(shown.screen);
        const auto current = [list] { return list->currentIndex().data().toString(); };
        const auto shownInFull = [list](const QString& name) {
            const QModelIndex row = list->model()->index(ListDriver::shownNames(*list).indexOf(name), 0);
            return list->viewport()->rect().contains(list->visualRect(row));
        };
        ModalBoxRecorder boxes;

        QTest::keyRelease(list, Qt::Key_F10);
        QTest::keyRelease(list, Qt::Key_F9);
        QTest::mouseClick(buttonAt(shown.screen, { 10, 300 }), Qt::LeftButton);
        QCOMPARE(boxes.texts.size(), 3);
        QCOMPARE(boxes.linesWhole, QList<bool>({ true, true, true }));
        // Where the platform draws window frames, as offscreen does, the box
        // sits a frame's width off the centre.
        const QRect screen = shown.window.geometry();
        for (const QRect& box : std::as_const(boxes.frames)) {
            QVERIFY(screen.contains(box));
            QVERIFY(qAbs(box.center().x() - screen.center().x()) <= 2);
            QVERIFY(qAbs(box.center().y() - screen.center().y()) <= 2);
        }

        QCOMPARE(current(), QStringLiteral("."));
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->directory(), work + "/card/zz");
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(current(), QStringLiteral(".."));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->directory(), work + "/card");
        QCOMPARE(current(), QStringLiteral("zz"));
        QVERIFY(shownInFull("zz"));

        QVERIFY(QDir(work + "/card/f40").removeRecursively());
        QTest::keyClick(list, Qt::Key_Up);
        const int scrolled = list->verticalScrollBar()->value();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->directory(), work + "/card");
        QCOMPARE(current(), QStringLiteral("f40"));
        QCOMPARE(list->verticalScrollBar()->value(), scrolled);

        // The list shows the picture behind its rows, and it stays put while
        // they scroll: read back from what the window shows, past the rows'
        // right end.
        const QPoint clear = list->viewport()->mapTo(&shown.window, QPoint(200, 100));
        const auto shownPixel = [&] {
            return shown.window.screen()->grabWindow(shown.window.winId(), clear.x(), clear.y(), 1, 1)
                .toImage().pixel(0, 0);
        };
        QTest::qWait(50);
        const QRgb still = shownPixel();
        QCOMPARE(still, background.pixel(list->viewport()->mapTo(list, QPoint(200, 100))));
        list->verticalScrollBar()->setValue(scrolled - 37);
        QTest::qWait(50);
        QCOMPARE(shownPixel(), still);
    }

    void exitEndsTheLoopWithStatusZero()
    {
        QWidget window;
        Button screen(&window, "interface");
        window.show();
        QTimer::singleShot(0, &screen, [&screen] {
            QTest::mouseClick(buttonAt(screen, { 130, 300 }), Qt::LeftButton);
        });
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(TestMainScreen)
#include "tst_mainscreen.moc"
