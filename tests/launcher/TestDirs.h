#ifndef TESTDIRS_H
#define TESTDIRS_H

#include <QByteArray>
#include <QString>

// Small helpers that build the directory trees the launcher tests list.
namespace TestDirs {

void makeDir(const QString& path);
void makeFile(const QString& path, const QByteArray& content = QByteArray());
void makeLink(const QString& target, const QString& linkPath);
void makeFifo(const QString& path);

// Holds: Films/, .cache/, movie.AVI, clip.mp4, notes.txt, README, .hidden.avi
void makeSampleCard(const QString& root);

} // namespace TestDirs

#endif
