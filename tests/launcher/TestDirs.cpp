#include "TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace TestDirs {

QString caseDir(const QTemporaryDir& tmp)
{
    QString path = QFileInfo(tmp.path()).canonicalFilePath() + '/' + QTest::currentTestFunction();
    if (QTest::currentDataTag())
        path += '/' + QString::fromUtf8(QTest::currentDataTag());
    makeDir(path);
    return path;
}

void makeDir(const QString& path)
{
    QVERIFY2(QDir().mkpath(path), qPrintable(path));
}

void makeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
}

void makeRawFile(const QString& dir, const QByteArray& name)
{
    const QByteArray path = QFile::encodeName(dir) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

void makeLink(const QString& target, const QString& linkPath)
{
    QCOMPARE(::symlink(QFile::encodeName(target).constData(),
                       QFile::encodeName(linkPath).constData()), 0);
}

void makeFifo(const QString& path)
{
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

void makeSocket(const QString& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray nativePath = QFile::encodeName(path);
    QVERIFY(size_t(nativePath.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, nativePath.constData(), size_t(nativePath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    QCOMPARE(bound, 0);
}

void makeSampleCard(const QString& root)
{
    makeDir(root + "/Films");
    makeDir(root + "/.cache");
    for (const char* name : { "movie.AVI", "clip.mp4", "notes.txt", "README", ".hidden.avi" })
        makeFile(root + '/' + name);
}

} // namespace TestDirs
