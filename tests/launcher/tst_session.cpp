#include "FileBrowser.h"
#include "ModalBoxRecorder.h"
#include "ShownScreen.h"
#include "TestDirs.h"
#include "ZApplication.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace TestDirs;

namespace {

// Types the start of a name as a user would, pausing first so the list takes
// it as a new search, then presses Enter.
void choose(FileBrowser* list, const QString& name)
{
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(list, name);
    QCOMPARE(list->currentIndex().data().toString(), name);
    QTest::keyClick(list, Qt::Key_Return);
}

} // namespace

// A whole user session on the application object the launcher itself runs:
// walk the card, flip the toggles, play clips. Also run under valgrind.
class TestSession : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QString card;

private slots:
    void initTestCase()
    {
        const QString base = QFileInfo(tmp.path()).canonicalFilePath();
        card = base + "/card";
        makeDir(card + "/Films/Old");
        makeFile(card + "/Films/clip.mp4");
        makeFile(card + "/Films/Old/reel.avi");
        makeDir(base + "/work");
        makeFile(base + "/work/zorvid",
                 "#!/bin/sh\nprintf '%s\\n' \"$*\" >> played.log\n");
        QVERIFY(QFile::setPermissions(base + "/work/zorvid",
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(QDir::setCurrent(base + "/work"));
        qputenv("MOVDIR", card.toLocal8Bit());
    }

    void hardKeysReachTheListOnlyWithTheFilterOff()
    {
        auto* app = static_cast<ZApplication*>(qApp);
        FileBrowser list(nullptr, nullptr);
        ModalBoxRecorder boxes;
        app->enableHardKeyEventFilter(true);
        QTest::keyRelease(&list, Qt::Key_F9);
        QVERIFY(boxes.texts.isEmpty());
        app->enableHardKeyEventFilter(false);
        QTest::keyRelease(&list, Qt::Key_F9);
        QCOMPARE(boxes.texts, QStringList({ " Sound : Off" }));
    }

    void walksTogglesAndPlays()
    {
        ShownScreen shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.window));
        auto* list = shown.window.findChild<FileBrowser*>("romBrowser");
        ModalBoxRecorder boxes;

        choose(list, "Films");
        choose(list, "clip.mp4");
        choose(list, "Old");
        QTest::keyRelease(list, Qt::Key_F9);
        QTest::keyRelease(list, Qt::Key_F3);
        QTest::keyRelease(list, Qt::Key_F9);
        QTest::keyRelease(list, Qt::Key_F10);
        choose(list, "reel.avi");
        choose(list, "..");
        choose(list, "..");
        QCOMPARE(list->directory(), card);

        QCOMPARE(boxes.texts, QStringList({ " Sound : Off", " Sound : On", " Display FPS : On" }));
        QFile log("played.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 card + "/Films/clip.mp4\n" + card + "/Films/Old/reel.avi -dfr\n");
    }
};

int main(int argc, char** argv)
{
    ZApplication app(argc, argv, ZApplication::GuiClient);
    app.enableHardKeyEventFilter(false);
    TestSession session;
    return QTest::qExec(&session, argc, argv);
}

#include "tst_session.moc"
