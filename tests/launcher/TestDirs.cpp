#include "TestDirs.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace TestDirs {

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

void makeLink(const QString& target, const QString& linkPath)
{
    QCOMPARE(::symlink(QFile::encodeName(target).constData(),
                       QFile::encodeName(linkPath).constData()), 0);
}

void makeFifo(const QString& path)
{
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

void makeSampleCard(const QString& root)
{
    makeDir(root + "/Films");
    makeDir(root + "/.cache");
    for (const char* name : { "movie.AVI", "clip.mp4", "notes.txt", "README", ".hidden.avi" })
        makeFile(root + '/' + name);
}

} // namespace TestDirs
