#include "FileBrowser.h"
#include "ListDriver.h"
#include "TestDirs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace ListDriver;
using namespace TestDirs;

namespace {

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

int rowOf(const FileBrowser& list, const QString& name)
{
    return int(shownNames(list).indexOf(name));
}

// A key press as the platform delivers it, at its own time.
void pressAt(FileBrowser& list, Qt::Key key, bool autoRepeat, quint64 ms)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    press.setTimestamp(ms);
    QApplication::sendEvent(&list, &press);
}

} // namespace

class TestFileBrowser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QString root;

private slots:
    void init()
    {
        root = caseDir(tmp);
    }

    void listsDirectoriesThenMediaFilesInCodeOrder()
    {
        makeSampleCard(root);
        FileBrowser list(nullptr, "romBrowser");
        list.setDir(root);
        QCOMPARE(shownNames(list),
                 QStringList({ ".", "..", "Films", "clip.mp4", "movie.AVI", "notes.txt" }));
        QCOMPARE(list.directory(), root);
        QCOMPARE(list.objectName(), QStringLiteral("romBrowser"));
    }

    void listsWhatLinksPointToAndSkipsOddEntries()
    {
        makeDir(root + "/Zeta");
        makeDir(root + "/Zeta/*.*");
        makeFile(root + "/*.*");
        makeDir(root + "/target");
        makeFile(root + "/real.mkv");
        makeLink("target", root + "/alink");
        makeLink("real.mkv", root + "/b-link.mkv");
        makeLink("real.mkv", root + "/noext-link");
        makeLink("missing.mp4", root + "/dangling.mp4");
        makeFifo(root + "/pipe.mp4");
        makeFile(root + "/Upper.avi");
        makeFile(root + "/lower.avi");
        makeFile(root + "/trailing.");

        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        QCOMPARE(shownNames(list),
                 QStringList({ ".", "..", "Zeta", "alink", "target", "Upper.avi", "b-link.mkv",
                               "lower.avi", "real.mkv", "trailing." }));
        list.setDir(root + "/Zeta");
        QCOMPARE(shownNames(list), QStringList({ ".", ".." }));
    }

    void startsInTheWorkingDirectory()
    {
        makeSampleCard(root);
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        FileBrowser list(nullptr, nullptr);
        QVERIFY(QDir::setCurrent(saved));
        QCOMPARE(list.directory(), root);
        QVERIFY(shownNames(list).contains("Films"));
    }

    void walksDownAndUpThroughTheTree()
    {
        makeSampleCard(root);
        makeFile(root + "/Films/inside.mp4");
        FileBrowser list(nullptr, nullptr);
        list.setDir(root + "/");

        choose(list, "Films");
        QCOMPARE(list.directory(), root + "/Films");
        QCOMPARE(shownNames(list), QStringList({ ".", "..", "inside.mp4" }));

        choose(list, ".");
        QCOMPARE(list.directory(), root + "/Films");

        choose(list, "..");
        QCOMPARE(list.directory(), root);
        QCOMPARE(list.currentIndex().data().toString(), QStringLiteral("Films"));

        // A folder removed while shown, its parent with it: ".." leads to
        // the nearest folder that is left.
        makeDir(root + "/Films/Deep");
        choose(list, "Films");
        choose(list, "Deep");
        QVERIFY(QDir(root + "/Films").removeRecursively());
        choose(list, "..");
        QCOMPARE(list.directory(), root);
        QCOMPARE(list.currentIndex().row(), 0);
    }

    void doubleTapChoosesAndMovingTheCursorDoesNot()
    {
        makeSampleCard(root);
        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        list.resize(240, 250);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        list.setCurrentIndex(list.model()->index(0, 0));
        QTest::keyClick(&list, Qt::Key_Down);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.currentIndex().row(), 2);
        QCOMPARE(list.directory(), root);

        const QRect films = list.visualRect(list.model()->index(rowOf(list, "Films"), 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, films.center());
        QCOMPARE(list.directory(), root);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, films.center());
        QCOMPARE(list.directory(), root + "/Films");
    }

    // Rows share one size, taken from a sample row: the widest name in pixels
    // must set it, whatever folder came before, wherever the name sorts and
    // whatever its script, even among many names of more characters guessed
    // nearly as wide.
    void everyNameCanBeReadInFullByScrollingSideways_data()
    {
        QTest::addColumn<QString>("widest");
        QTest::addColumn<QString>("decoy");
        QTest::newRow("latin") << QString(40, 'W') + ".avi" << QString();
        // Kerning draws the decoy narrower than the sum of its characters'
        // advances says, which puts it above the widest name by that sum.
        const QFontMetricsF metrics(QApplication::font());
        const QString decoy = QStringLiteral("AV").repeated(20) + ".mp4";
        qreal decoySum = 0;
        for (const QChar c : decoy)
            decoySum += metrics.horizontalAdvance(c);
        for (QString name = ".mp4"; metrics.horizontalAdvance(name) < decoySum; name.prepend('x'))
            if (metrics.horizontalAdvance(name) > metrics.horizontalAdvance(decoy)) {
                QTest::newRow("kerned decoy") << name << decoy;
                break;
            }
        QTest::newRow("combining marks")
            << QString::fromUtf8("\u093f\u0903").repeated(20) + QStringLiteral(".mp4") << QString();
        if (!QFontDatabase::families(QFontDatabase::Devanagari).isEmpty())
            QTest::newRow("devanagari") << QString::fromUtf8(
                "\u0915\u094d\u0937\u0924\u094d\u0930\u093f\u092f \u0936\u094d\u0930\u0940\u0915\u0943\u0937\u094d\u0923 "
                "\u0915\u094d\u0937\u0924\u094d\u0930\u093f\u092f \u0938\u094d\u0924\u094d\u0930\u0940 "
                "\u0926\u094d\u0930\u094c\u092a\u0926\u0940 \u0936\u094d\u0930\u0940\u0915\u0943\u0937\u094d\u0923.mp4")
                << QString();
        if (!QFontDatabase::families(QFontDatabase::Thai).isEmpty())
            QTest::newRow("thai") << QString::fromUtf8(
                "\u0e2d\u0e21\u0e23\u0e23\u0e31\u0e15\u0e19\u0e42\u0e01\u0e2a\u0e34\u0e19\u0e17\u0e23\u0e4c "
                "\u0e01\u0e23\u0e38\u0e07\u0e40\u0e17\u0e1e\u0e21\u0e2b\u0e32\u0e19\u0e04\u0e23 "
                "\u0e2d\u0e21\u0e23\u0e23\u0e31\u0e15\u0e19\u0e42\u0e01\u0e2a\u0e34\u0e19\u0e17\u0e23\u0e4c.mp4")
                << QString();
    }

    void everyNameCanBeReadInFullByScrollingSideways()
    {
        QFETCH(QString, widest);
        QFETCH(QString, decoy);
        makeDir(root + "/short");
        makeDir(root + "/long");
        makeFile(root + "/short/a.mp4");
        makeFile(root + "/long/" + widest);
        if (!decoy.isEmpty())
            makeFile(root + "/long/" + decoy);
        FileBrowser list(nullptr, nullptr);
        const QFontMetricsF metrics(list.font());
        const qreal widestWidth = metrics.horizontalAdvance(widest);
        for (QString name = "0.mp4"; metrics.horizontalAdvance(name) < widestWidth * 0.9;
             name.prepend('i'))
            if (metrics.horizontalAdvance(name) > widestWidth / 3)
                makeFile(root + "/long/" + name);
        list.resize(240, 250);
        list.setDir(root + "/short");
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        list.setDir(root + "/long");
        const int margins = 2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            const QString name = list.itemText(row);
            const QRect shown = list.visualRect(list.model()->index(row, 0));
            QVERIFY2(metrics.horizontalAdvance(name) + margins <= shown.width(), qPrintable(name));
        }
        QScrollBar* sideways = list.horizontalScrollBar();
        sideways->setValue(sideways->maximum());
        const QRect widestRow = list.visualRect(list.model()->index(rowOf(list, widest), 0));
        QVERIFY(widestRow.right() < list.viewport()->width());
        // Listed again, the folder opens at its left edge.
        choose(list, ".");
        QCOMPARE(sideways->value(), 0);

        // With keys alone, a few characters a step, the cursor staying put
        // (where the font draws every name within the list, nothing moves).
        const int current = list.currentIndex().row();
        sideways->setValue(0);
        QTest::keyClick(&list, Qt::Key_Right);
        if (sideways->maximum() > 0)
            QVERIFY(sideways->value() > 0 && sideways->value() <= 8 * metrics.averageCharWidth());
        else
            QCOMPARE(sideways->value(), 0);
        QTest::keyClick(&list, Qt::Key_Left);
        QCOMPARE(sideways->value(), 0);
        QCOMPARE(list.currentIndex().row(), current);

        list.setDir(root + "/short");
        QTRY_COMPARE(sideways->maximum(), 0);
        QTest::keyClick(&list, Qt::Key_Right);
        QCOMPARE(sideways->value(), 0);
        QCOMPARE(list.currentIndex().row(), 0);
    }

    // Held Down, repeating 30 times a second as keyboards do by default:
    // a row a repeat for half a second, then faster, then a page a repeat.
    // One row a repeat, the last of 16,000 rows would be 9 minutes away.
    void heldUpAndDownSpeedUpToAPageAtATime()
    {
        const int files = 16000;
        for (int i = 0; i < files; ++i)
            makeFile(root + QString::asprintf("/clip%05d.mp4", i));
        FileBrowser list(nullptr, nullptr);
        list.resize(240, 250);
        list.setDir(root);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int last = list.model()->rowCount() - 1;
        const int page = list.viewport()->height() / list.visualRect(list.model()->index(0, 0)).height();
        QVERIFY(page > 8);

        const quint64 pressed = 1000;
        pressAt(list, Qt::Key_Down, false, pressed);
        QCOMPARE(list.currentIndex().row(), 1);
        QList<int> steps;
        int repeats = 0;
        while (list.currentIndex().row() < last && repeats < 30 * 600) {
            const int before = list.currentIndex().row();
            ++repeats;
            pressAt(list, Qt::Key_Down, true, pressed + quint64(repeats * 1000 / 30));
            steps.append(list.currentIndex().row() - before);
        }
        const double seconds = repeats / 30.0;
        qInfo("held Down: the last of %d rows after %d repeats, %.1f s at 30 repeats a second", last + 1,
              repeats, seconds);
        QCOMPARE(list.currentIndex().row(), last);
        QCOMPARE(steps.mid(0, 14), QList<int>(14, 1));
        QVERIFY(std::is_sorted(steps.begin(), steps.end() - 1));
        QCOMPARE(steps.at(steps.size() - 2), page);
        QVERIFY2(seconds < 120, "far slower than a page a repeat");

        // Let go, a press moves one row again, and so does Up held briefly.
        pressAt(list, Qt::Key_Up, false, pressed + 60000);
        pressAt(list, Qt::Key_Up, true, pressed + 60400);
        QCOMPARE(list.currentIndex().row(), last - 2);
        pressAt(list, Qt::Key_Up, true, pressed + 63000);
        QCOMPARE(list.currentIndex().row(), last - 2 - page);
    }

    void typeAheadFindsNamesByTheirFirstLetters()
    {
        makeSampleCard(root);
        makeFile(root + "/clap.mp4");
        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        list.setCurrentIndex(list.model()->index(0, 0));
        QTest::keyClicks(&list, "cli");
        QCOMPARE(list.currentIndex().data().toString(), QStringLiteral("clip.mp4"));
        QCOMPARE(list.directory(), root);
    }

    void theRootIsWalkedThroughDoubleSlashes()
    {
        FileBrowser list(nullptr, nullptr);
        list.setDir("/");
        QCOMPARE(list.directory(), QStringLiteral("/"));
        choose(list, "..");
        QCOMPARE(list.directory(), QStringLiteral("/"));
        choose(list, "tmp");
        QCOMPARE(list.directory(), canonical("/tmp"));
    }

    void enteringALinkedDirectoryShowsItsTarget()
    {
        makeDir(root + "/real/Films");
        makeLink(root + "/real", root + "/shortcut");
        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        choose(list, "shortcut");
        QCOMPARE(list.directory(), root + "/real");
        QVERIFY(shownNames(list).contains("Films"));
        // Back up, the way in is current, not the link's target.
        choose(list, "..");
        QCOMPARE(list.currentIndex().data().toString(), QStringLiteral("shortcut"));
    }

    // Such a folder's path has no text that leads back to it: nothing in it
    // could be played and ".." would lead nowhere, so it counts as unreadable.
    void aLinkIntoAFolderNamedInOtherThanUtf8ChangesNothing()
    {
        const QByteArray folder = QFile::encodeName(root) + "/bad\xff";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        makeRawFile(root, "bad\xff/clip.mp4");
        QCOMPARE(::symlink("bad\xff", QFile::encodeName(root + "/link").constData()), 0);
        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        const QStringList before = shownNames(list);
        QVERIFY(before.contains("link"));

        choose(list, "link");
        list.setDir(root + "/link/");
        QCOMPARE(list.directory(), root);
        QCOMPARE(shownNames(list), before);
        std::filesystem::remove_all(folder.toStdString());
    }

    void unreadableOrVanishedDirectoriesChangeNothing()
    {
        makeSampleCard(root);
        makeDir(root + "/Going");
        makeDir(root + "/Locked");
        QVERIFY(QFile::setPermissions(root + "/Locked", QFileDevice::WriteOwner));
        FileBrowser list(nullptr, nullptr);
        list.setDir(root);
        const QStringList before = shownNames(list);

        list.setDir(root + "/does-not-exist");
        QCOMPARE(shownNames(list), before);
        QCOMPARE(list.directory(), root);

        QVERIFY(QDir(root + "/Going").removeRecursively());
        choose(list, "Going");
        QCOMPARE(shownNames(list), before);
        QCOMPARE(list.directory(), root);

        if (::geteuid() == 0)
            QSKIP("root reads every directory; the suite repeats this as a normal user");
        choose(list, "Locked");
        QFile::setPermissions(root + "/Locked", QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ExeOwner);
        QCOMPARE(list.directory(), root);
    }
};

QTEST_MAIN(TestFileBrowser)
#include "tst_filebrowser.moc"
