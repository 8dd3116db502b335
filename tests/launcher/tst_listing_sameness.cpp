#include "DirectoryListing.h"
#include "TestDirs.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace TestDirs;

// The media list reads directories with readdir for speed; these tests hold it
// to what a QDir with the list's settings gives on every kind of entry.

namespace {

struct QDirListing
{
    QStringList names;
    QString canonicalPath;
};

// The reference: the QDir listing the media list is held to.
std::optional<QDirListing> listedByQDir(const QString& path)
{
    const QDir dir(path, QStringLiteral("*.avi *.wm? *.mp? *.dat *.*"),
                   QDir::DirsFirst | QDir::Name, QDir::AllEntries | QDir::AllDirs);
    if (!dir.isReadable())
        return std::nullopt;
    QDirListing listing { dir.entryList(), dir.canonicalPath() };
    listing.names.removeAll(QStringLiteral("*.*"));
    // QDir shows a link to a pipe, socket or device; a link counts as what it
    // points to, and those are never shown.
    listing.names.removeIf([&dir](const QString& name) {
        const QFileInfo info(dir.filePath(name));
        return info.isSymLink() && !info.isDir() && !info.isFile();
    });
    return listing;
}

QStringList texts(const EntryNames& names)
{
    QStringList decoded;
    for (int index = 0; index < names.size(); ++index)
        decoded.append(names.text(index));
    return decoded;
}

QStringList listedNames(const QString& path)
{
    return texts(listMediaDirectory(path)->names);
}

// File names are bytes: these may be anything but "/" and NUL.
QByteArray native(const QString& dir, const QByteArray& name)
{
    return QFile::encodeName(dir) + '/' + name;
}

const QByteArray byteOrderMark = "\xef\xbb\xbf";

// QDir drops a leading U+FEFF from names it reads, as QString::fromUtf8
// does: Qt 6.8's from the first name a directory gives, Qt 6.11's from every
// name. "\uFEFFbom.mp4" comes out as "bom.mp4", the name of another file or
// of none, "\uFEFF.mp4" as the hidden ".mp4". From Qt 6.8 on, names that
// begin with U+FEFF are therefore made after QDir's reference is taken, like
// undecodable ones, and held to the list's own order and number instead.
constexpr bool qDirKeepsByteOrderMarks = QT_VERSION < QT_VERSION_CHECK(6, 8, 0);

bool startsWithByteOrderMark(const QString& name)
{
    return name.startsWith(QChar(0xfeff));
}

// What the list promises, seen without QDir: directories (".", ".." among
// them) before files, each in UTF-16 order.
void verifyOrder(const QString& path, const QStringList& names)
{
    const QDir dir(path);
    const auto isFile = [&dir](const QString& name) { return !QFileInfo(dir, name).isDir(); };
    for (qsizetype index = 1; index < names.size(); ++index) {
        const QString& before = names.at(index - 1);
        const QString& after = names.at(index);
        QVERIFY2(isFile(before) < isFile(after) || (isFile(before) == isFile(after) && before < after),
                 qPrintable(before + QStringLiteral(" listed before ") + after));
    }
}

void compareListing(const QString& path, const std::optional<QDirListing>& expected,
                    bool withoutLeadingByteOrderMarks = false)
{
    const std::optional<DirectoryListing> listed = listMediaDirectory(path);
    QCOMPARE(listed.has_value(), expected.has_value());
    if (!expected)
        return;
    QStringList names = texts(listed->names);
    verifyOrder(path, names);
    if (withoutLeadingByteOrderMarks)
        names.removeIf(startsWithByteOrderMark);
    QCOMPARE(names, expected->names);
    QCOMPARE(listed->canonicalPath, expected->canonicalPath);
}

void compareWithQDir(const QString& path)
{
    compareListing(path, listedByQDir(path));
}

// Qt 6.8's QDir ends a listing at the first name, in the directory's own
// order, whose bytes are not UTF-8; Qt 6.4 skips such names. So the
// reference is taken before those names are made: the media list must leave
// them out and list everything else as QDir did. Names that begin with U+FEFF
// made there too are left out of the comparison.
template<typename MakeLater>
void compareWithQDirAfter(const QString& path, MakeLater makeLater, bool leadingByteOrderMarksMadeLater)
{
    const std::optional<QDirListing> expected = listedByQDir(path);
    makeLater();
    compareListing(path, expected, leadingByteOrderMarksMadeLater);
}

// While set, readdir reports no entry types, as several network and FUSE
// file systems do.
bool entryTypesUnknown = false;

} // namespace

// The kit builds with 64-bit file offsets, under which readdir is readdir64.
extern "C" dirent* readdir(DIR* dir)
{
    using Readdir = dirent* (*)(DIR*);
    static const auto next = reinterpret_cast<Readdir>(::dlsym(RTLD_NEXT, "readdir64"));
    dirent* entry = next(dir);
    if (entry && entryTypesUnknown)
        entry->d_type = DT_UNKNOWN;
    return entry;
}

class TestListingSameness : public QObject
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

    // QDir skips names that are not UTF-8, so QTemporaryDir cannot remove them.
    void cleanup()
    {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(root).toStdString(), ignored);
    }

    void everyKindOfEntry()
    {
        for (const char* name : { "Films", ".cache", "!first", "UPPER", "lower", "dir.x",
                                  "Ünï", "9", "10" })
            makeDir(root + '/' + QString::fromUtf8(name));
        for (const char* name :
             { "movie.AVI", "clip.mp4", "clip.MP4", "notes.txt", "README", ".hidden.avi", "*.*",
               "trailing.", "a.b.c", "#1 (final) [HD].mp4", "a*.mp4", "x?y.dat", "10.mp4", "9.mp4",
               "Zebra.wmv", "_under.avi", "~tilde.mp3", "space .avi", "日本語.avi", "😀.avi",
               "\xee\x80\x80.avi", "\xef\xbf\xbf.mp4", "é.avi", "e\xcc\x81.avi" })
            makeRawFile(root, name);
        const auto makeByteOrderMarked = [&] {
            for (const char* name : { "bom.mp4", ".mp4" })
                makeRawFile(root, byteOrderMark + name);
        };
        if (qDirKeepsByteOrderMarks)
            makeByteOrderMarked();

        makeFile(root + "/plain");
        makeFifo(root + "/pipe.mp4");
        makeSocket(root + "/socket.mp4");
        const bool madeDevice =
            ::mknod(native(root, "null.mp4").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
        makeLink("Films", root + "/film-link");
        makeLink(root + "/Films", root + "/.hidden-dir-link");
        makeLink("clip.mp4", root + "/clip-link.mp4");
        makeLink("clip.mp4", root + "/clip-link-without-dot");
        makeLink("plain", root + "/plain-link.avi");
        makeLink("clip-link.mp4", root + "/link-to-link.mp4");
        makeLink("missing.mp4", root + "/dangling.mp4");
        makeLink("loop-b.mp4", root + "/loop-a.mp4");
        makeLink("loop-a.mp4", root + "/loop-b.mp4");
        makeLink("self.mp4", root + "/self.mp4");
        makeLink("pipe.mp4", root + "/pipe-link.mp4");
        makeLink("socket.mp4", root + "/socket-link.mp4");
        makeLink("/dev/null", root + "/device-link.mp4");
        makeLink("/", root + "/root-link");

        compareWithQDirAfter(root, [&] {
            // Not UTF-8: stray, overlong, surrogate, truncated and out-of-range sequences.
            for (const char* name : { "\xff.mp4", "\xfe", "a\xe9.avi", "\xc0\xaf.mp4", "\xed\xa0\x80.mp4",
                                      "\xe2\x82.mp4", "\xf4\x90\x80\x80.avi", "\x80", "\xff" "dir" })
                makeRawFile(root, name);
            QCOMPARE(::mkdir(native(root, "\xfe\xfe.d").constData(), 0700), 0);
            if (!qDirKeepsByteOrderMarks)
                makeByteOrderMarked();
        }, !qDirKeepsByteOrderMarks);
        const QStringList names = listedNames(root);
        // The comparison must have had every kind to compare.
        QCOMPARE(names.size(), 38);
        QVERIFY(names.contains(QStringLiteral("film-link")));
        QVERIFY(names.contains(QStringLiteral("plain-link.avi")));
        // U+FEFF sorts after every other name here but U+FFFF.
        QCOMPARE(names.mid(35), QStringList({ QChar(0xfeff) + QStringLiteral(".mp4"),
                                              QChar(0xfeff) + QStringLiteral("bom.mp4"),
                                              QChar(0xffff) + QStringLiteral(".mp4") }));
        QVERIFY(names.indexOf(QString::fromUtf8("😀.avi"))
                < names.indexOf(QString::fromUtf8("\xee\x80\x80.avi")));
        for (const char* left : { "pipe-link.mp4", "socket-link.mp4", "device-link.mp4",
                                  "pipe.mp4", "socket.mp4", "dangling.mp4", "loop-a.mp4" })
            QVERIFY2(!names.contains(QString::fromLatin1(left)), left);
        if (!madeDevice)
            qInfo("no device node: mknod needs privileges here");

        entryTypesUnknown = true;
        const QStringList withoutTypes = listedNames(root);
        entryTypesUnknown = false;
        QCOMPARE(withoutTypes, names);
    }

    void manyRandomNames()
    {
        // UTF-8 pieces; dots are frequent so that many names pass as media.
        const std::vector<const char*> pieces = {
            "a", "A", "b", "B", "z", "Z", "0", "1", "9", " ", ".", ".", ".", "_", "-", ",", ";", "'",
            "!", "#", "(", "]", "{", "~", "+", "=", "@", "&", "%", "$", "^", "*", "?", "é", "É", "ß",
            "Ж", "ж", "日", "本", "😀", "\xee\x80\x80", "\xef\xbf\xbd", "\xef\xbb\xbf"
        };
        QRandomGenerator random(20260507);
        QList<QByteArray> undecodable;
        // Names that begin with U+FEFF wait here where QDir cannot be held
        // to them, and how many of them the list must show.
        const QString later = root + QStringLiteral(".later");
        makeDir(later);
        QList<QByteArray> moveLater;
        int byteOrderMarkedShown = 0;
        for (int i = 0; i < 3000; ++i) {
            // A shared start makes names part well after their first bytes.
            QByteArray name = random.bounded(2) ? "Holiday 2026 " : "";
            for (int length = 1 + random.bounded(12); length > 0; --length)
                name += pieces.at(random.bounded(int(pieces.size())));
            if (random.bounded(20) == 0)
                name.insert(random.bounded(int(name.size()) + 1), char(0x80 + random.bounded(0x80)));
            const bool byteOrderMarked = name.startsWith(byteOrderMark);
            const bool waits = byteOrderMarked && !qDirKeepsByteOrderMarks;
            const QByteArray path = native(waits ? later : root, name);
            struct stat existing;
            if (::lstat(path.constData(), &existing) == 0 || undecodable.contains(name))
                continue;
            if (!QByteArrayView(name).isValidUtf8()) {
                undecodable.append(name);
                continue;
            }
            if (waits)
                moveLater.append(name);
            // Directories, links to one and files with a dot are shown.
            switch (random.bounded(10)) {
            case 0:
                QCOMPARE(::mkdir(path.constData(), 0700), 0);
                byteOrderMarkedShown += byteOrderMarked;
                break;
            case 1: {
                const bool toRoot = random.bounded(2);
                QCOMPARE(::symlink(toRoot ? "/" : "gone", path.constData()), 0);
                byteOrderMarkedShown += byteOrderMarked && toRoot;
                break;
            }
            default:
                makeRawFile(waits ? later : root, name);
                byteOrderMarkedShown += byteOrderMarked && name.contains('.');
            }
        }
        QVERIFY(undecodable.size() > 50);
        compareWithQDirAfter(root, [&] {
            for (const QByteArray& name : undecodable)
                makeRawFile(root, name);
            for (const QByteArray& name : moveLater)
                QCOMPARE(::rename(native(later, name).constData(), native(root, name).constData()), 0);
        }, !qDirKeepsByteOrderMarks);
        QStringList shownByteOrderMarked = listedNames(root);
        shownByteOrderMarked.removeIf([](const QString& name) { return !startsWithByteOrderMark(name); });
        QVERIFY(byteOrderMarkedShown > 10);
        QCOMPARE(shownByteOrderMarked.size(), byteOrderMarkedShown);
        QVERIFY(listedNames(root).size() > 800);
    }

    void theDirectoryItself_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("relative") << "sub";
        QTest::newRow("working directory") << "";
        QTest::newRow("trailing slash") << "sub/";
        QTest::newRow("through a link") << "link/inner";
        QTest::newRow("dot-dot after a link") << "link/inner/../..";
        QTest::newRow("missing") << "no-such-dir";
        QTest::newRow("below a missing one") << "no-such-dir/..";
        QTest::newRow("root") << "/";
        QTest::newRow("embedded NUL") << QString::fromUtf8("sub\0x", 5);
    }

    void theDirectoryItself()
    {
        QFETCH(QString, path);
        makeDir(root + "/sub/inner");
        makeFile(root + "/sub/inner/clip.mp4");
        makeLink("sub", root + "/link");
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        compareWithQDir(path);
        QVERIFY(QDir::setCurrent(saved));
    }

    // QDir calls a plain file readable and lists nothing in it, which would
    // leave an empty media list with no way out; it is treated as unreadable.
    void aFileIsNoDirectory()
    {
        makeFile(root + "/clip.mp4");
        QVERIFY(listedByQDir(root + "/clip.mp4").has_value());
        QVERIFY(!listMediaDirectory(root + "/clip.mp4").has_value());
    }

    void unreadableDirectories()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every directory; the permission case needs a normal user");
        makeDir(root + "/locked");
        makeDir(root + "/listable");
        makeFile(root + "/listable/clip.mp4");
        makeLink("clip.mp4", root + "/listable/link.mp4");
        QVERIFY(QFile::setPermissions(root + "/locked", QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        // Names can be read but nothing behind them: links cannot be followed.
        QVERIFY(QFile::setPermissions(root + "/listable", QFileDevice::ReadOwner));
        compareWithQDir(root + "/locked");
        compareWithQDir(root + "/listable");
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(root + "/locked", all);
        QFile::setPermissions(root + "/listable", all);
    }
};

QTEST_MAIN(TestListingSameness)
#include "tst_listing_sameness.moc"
