#include "FileBrowser.h"
#include "ModalBoxRecorder.h"
#include "ListDriver.h"
#include "TestDirs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <thread>
#include <unistd.h>

using namespace ListDriver;
using namespace TestDirs;

namespace {

// Stands in for the player: records each argument it was given, NUL-ended.
const char* const fakePlayer =
    "#!/bin/sh\n"
    "for arg in \"$@\"; do printf '%s\\0' \"$arg\"; done > player.args\n";

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList playerArguments()
{
    const QByteArray recorded = readFile("player.args");
    QStringList args;
    for (const QByteArray& arg : recorded.split('\0'))
        args.append(QString::fromUtf8(arg));
    args.removeLast(); // after the last NUL
    return args;
}


// A media list on a folder, with its launches counted.
struct MediaList
{
    explicit MediaList(const QString& dir)
        : list(nullptr, nullptr), picked(&list, &FileBrowser::picked)
    {
        list.setDir(dir);
    }
    FileBrowser list;
    QSignalSpy picked;
};

} // namespace

class TestLaunch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QString savedDir;
    QString media;

private slots:
    // Each test gets a fresh working directory holding only the fake player,
    // and a media folder beside it.
    void init()
    {
        const QString base = caseDir(tmp);
        makeDir(base + "/work");
        makeDir(base + "/Films");
        media = base + "/Films";
        makeFile(base + "/work/zorvid", fakePlayer);
        QVERIFY(QFile::setPermissions(base + "/work/zorvid",
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        savedDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(base + "/work"));
    }

    void cleanup() { QDir::setCurrent(savedDir); }

    void writesTheExactScriptAndStartsThePlayerWithThePath()
    {
        makeFile(media + "/clip.mp4");
        FileBrowser list(nullptr, nullptr);
        list.setDir(media);
        list.setFPS(false);
        list.setSound(true);
        list.setHi(false);
        QSignalSpy picked(&list, &FileBrowser::picked);

        choose(list, "clip.mp4");

        const QString path = media + "/clip.mp4";
        QCOMPARE(readFile("exec"), ("./zorvid \"" + path + "\"").toUtf8());
        QVERIFY(QFileInfo("exec").isExecutable());
        QCOMPARE(playerArguments(), QStringList({ path }));
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked.at(0).at(0).toString(), path);
    }

    void optionsFollowTheToggledFlagsInFixedOrder()
    {
        makeFile(media + "/clip.mp4");
        FileBrowser list(nullptr, nullptr);
        list.setDir(media);
        list.setSound(true);
        ModalBoxRecorder boxes;
        // Keys in a different order from the options they add; F2 held down
        // first, as a key that repeats its press and release.
        for (int repeat = 0; repeat < 3; ++repeat) {
            QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_F2, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&list, &repeated);
        }
        QTest::keyRelease(&list, Qt::Key_F2);
        QTest::keyRelease(&list, Qt::Key_F10);
        QTest::keyRelease(&list, Qt::Key_F9);
        QCOMPARE(boxes.texts,
                 QStringList({ " Hi-res Enabled", " Display FPS : On", " Sound : Off" }));

        choose(list, "clip.mp4");
        const QString path = media + "/clip.mp4";
        QCOMPARE(readFile("exec"), ("./zorvid \"" + path + "\" -nosound -dfr -hi").toUtf8());
        QCOMPARE(playerArguments(), QStringList({ path, "-nosound", "-dfr", "-hi" }));
    }

    void hostileNamesReachThePlayerAsOneArgumentAndRunNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("double quote") << "say \"hi\".mp4";
        QTest::newRow("command substitution") << "$(touch pwned).mp4";
        QTest::newRow("backquotes") << "`touch pwned`.mp4";
        QTest::newRow("backslash") << "back\\slash\\.mp4";
        QTest::newRow("dollar at end") << "cash$.avi";
        QTest::newRow("spaces and tab") << "two  spaces\tand tab.mp4";
        QTest::newRow("newline") << "line\nbreak.mp4";
        QTest::newRow("semicolon and single quotes") << "a'; touch pwned; echo 'b.mp4";
        QTest::newRow("leading hyphen") << "-nosound.mp4";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Ünïcødé 映画 🎬.mp4");
        QTest::newRow("255 bytes") << QString(251, QLatin1Char('x')) + ".mp4";
    }

    void hostileNamesReachThePlayerAsOneArgumentAndRunNothing()
    {
        QFETCH(QString, name);
        makeFile(media + "/" + name);
        MediaList shown(media);

        choose(shown.list, name);

        const QString path = media + "/" + name;
        QCOMPARE(playerArguments(), QStringList({ path }));
        QVERIFY(!QFile::exists("pwned"));
        QCOMPARE(shown.picked.size(), 1);
        QCOMPARE(shown.picked.at(0).at(0).toString(), path);
    }

    void plainNamesAreWrittenUnescapedInUtf8()
    {
        const QString name = QString::fromUtf8("Été à Paris.avi");
        makeFile(media + "/" + name);
        MediaList shown(media);
        choose(shown.list, name);
        QCOMPARE(readFile("exec"), QByteArray("./zorvid \"") + QFile::encodeName(media)
                                       + "/\xc3\x89t\xc3\xa9 \xc3\xa0 Paris.avi\"");
    }

    void namesThatAreNotUtf8AreLeftOut()
    {
        // Qt cannot name such a file again once decoded, so it is not offered.
        makeRawFile(media, "bad\xff\xfename.mp4");
        makeFile(media + "/good.mp4");
        const MediaList shown(media);
        QCOMPARE(shown.list.model()->rowCount(), 3);
        QCOMPARE(shown.list.itemText(2), QStringLiteral("good.mp4"));
    }

    void directoriesStartNothing()
    {
        makeDir(media + "/Sub");
        MediaList shown(media);
        choose(shown.list, ".");
        choose(shown.list, "Sub");
        choose(shown.list, "..");
        QVERIFY(!QFile::exists("exec"));
        QVERIFY(!QFile::exists("player.args"));
        QCOMPARE(shown.picked.size(), 0);
    }

    void aScriptThatCannotBeWrittenIsNeverRun()
    {
        makeFile(media + "/clip.mp4");
        MediaList shown(media);

        // Writes to /dev/full fail, whoever runs the test; a directory cannot
        // be opened for writing at all.
        makeLink("/dev/full", "exec");
        choose(shown.list, "clip.mp4");
        QVERIFY(QFile::remove("exec"));
        makeDir("exec");
        choose(shown.list, "clip.mp4");

        QVERIFY(!QFile::exists("player.args"));
        QCOMPARE(shown.picked.size(), 0);
    }

    void aReadOnlyWorkingDirectoryRunsNoStaleScript()
    {
        if (::geteuid() == 0)
            QSKIP("root writes anywhere; the suite repeats this as a normal user");
        makeFile(media + "/clip.mp4");
        const QString marker = media + "/stale-script-ran";
        makeFile("exec", ("touch '" + marker + "'").toUtf8());
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions("exec", readOnly));
        QVERIFY(QFile::setPermissions(".", readOnly));
        MediaList shown(media);

        choose(shown.list, "clip.mp4");

        QVERIFY(QFile::setPermissions(".", readOnly | QFileDevice::WriteOwner));
        QVERIFY(!QFile::exists(marker));
        QCOMPARE(shown.picked.size(), 0);
    }

    void aFailingOrMissingPlayerLeavesTheListAsItWas()
    {
        makeFile(media + "/clip.mp4");
        MediaList shown(media);

        QVERIFY(QFile::remove("zorvid"));
        makeFile("zorvid", "#!/bin/sh\nkill -SEGV $$\n");
        QVERIFY(QFile::setPermissions("zorvid", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        choose(shown.list, "clip.mp4");
        QVERIFY(QFile::remove("zorvid"));
        choose(shown.list, "clip.mp4");

        QCOMPARE(shown.picked.size(), 2);
        QCOMPARE(shown.list.directory(), media);
    }

    // While the player plays, the user's keys and clicks also queue up for
    // the list's window; once the player is gone they must not choose, move
    // or toggle anything, while input given afterwards acts at once.
    void inputGivenWhileThePlayerPlaysIsDropped()
    {
        makeFile(media + "/clip.mp4");
        makeDir(media + "/Sub");
        QVERIFY(QFile::remove("zorvid"));
        makeFile("zorvid", QByteArray(fakePlayer)
                               + ": > playing\nwhile [ ! -e given ]; do sleep 0.01; done\n");
        QVERIFY(QFile::setPermissions("zorvid", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        MediaList shown(media);
        FileBrowser& list = shown.list;
        list.resize(240, 250);
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        ModalBoxRecorder boxes;

        // Return and F9 on the list, Down, and a double click on Sub, queued
        // as the platform queues them for the window.
        QWindow* window = list.windowHandle();
        const QPointF sub = list.viewport()->mapTo(&list, list.visualRect(
            list.model()->index(int(shownNames(list).indexOf("Sub")), 0)).center());
        std::vector<QEvent*> input;
        for (const auto& [type, key] : { std::pair(QEvent::KeyPress, Qt::Key_Return),
                                         std::pair(QEvent::KeyRelease, Qt::Key_Return),
                                         std::pair(QEvent::KeyPress, Qt::Key_Down),
                                         std::pair(QEvent::KeyRelease, Qt::Key_F9) })
            input.push_back(new QKeyEvent(type, key, Qt::NoModifier));
        for (const QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                         QEvent::MouseButtonPress, QEvent::MouseButtonDblClick,
                                         QEvent::MouseButtonRelease })
            input.push_back(new QMouseEvent(type, sub, sub, list.mapToGlobal(sub), Qt::LeftButton,
                                            type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                               : Qt::LeftButton,
                                            Qt::NoModifier));
        std::thread user([&input, window] {
            while (!QFile::exists("playing"))
                QThread::msleep(10);
            for (QEvent* event : input)
                QCoreApplication::postEvent(window, event);
            makeFile("given");
        });

        choose(list, "clip.mp4");
        user.join();
        const int clip = list.currentIndex().row();
        QTest::qWait(200);
        QCOMPARE(shown.picked.size(), 1);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(list.directory(), media);
        QCOMPARE(list.currentIndex().row(), clip);

        QTest::keyClick(&list, Qt::Key_Up);
        QCOMPARE(list.currentIndex().row(), clip - 1);
    }
};

QTEST_MAIN(TestLaunch)
#include "tst_launch.moc"
