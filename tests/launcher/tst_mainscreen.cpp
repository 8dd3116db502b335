#include "Button.h"
#include "FileBrowser.h"
#include "ModalBoxRecorder.h"
#include "ShownScreen.h"
#include "TestDirs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace TestDirs;

namespace {

QPushButton* buttonAt(Button& screen, QPoint where)
{
    for (QPushButton* button : screen.findChildren<QPushButton*>())
        if (button->geometry().contains(where))
            return button;
    return nullptr;
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

    void missingOrBrokenImagesPassSilently()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        {
            QWidget window;
            Button screen(&window, "interface");
        }
        makeDir("images");
        for (const char* name : { "background", "banner", "btn_exit", "btn_about" })
            makeFile(QString("images/%1.png").arg(name), "not a picture");
        QWidget window;
        Button screen(&window, "interface");
        QCOMPARE(buttonAt(screen, { 10, 10 })->text(), QStringLiteral("title"));
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
