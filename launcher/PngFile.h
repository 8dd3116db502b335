#ifndef PNGFILE_H
#define PNGFILE_H

#include <QPixmap>

class QString;

// The picture in the PNG file `path`, or a null pixmap when the file is
// missing, unreadable, cut short or no PNG at all. Nothing is printed: a
// picture in trouble must pass silently.
QPixmap loadPng(const QString& path);

#endif
