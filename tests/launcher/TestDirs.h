#ifndef TESTDIRS_H
#define TESTDIRS_H

#include <QByteArray>
#include <QString>

class QTemporaryDir;

// Small helpers that build the directory trees the launcher tests list.
namespace TestDirs {

// A fresh directory for the running test function (and data row) inside
// `tmp`, by its canonical path.
QString caseDir(const QTemporaryDir& tmp);

void makeDir(const QString& path);
void makeFile(const QString& path, const QByteArray& content = QByteArray());
// Creates a file from its name's bytes, which need not be valid UTF-8.
void makeRawFile(const QString& dir, const QByteArray& name);
void makeLink(const QString& target, const QString& linkPath);
void makeFifo(const QString& path);
void makeSocket(const QString& path);

// Holds: Films/, .cache/, movie.AVI, clip.mp4, notes.txt, README, .hidden.avi
void makeSampleCard(const QString& root);

} // namespace TestDirs

#endif
