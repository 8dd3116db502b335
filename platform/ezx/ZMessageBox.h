#ifndef ZMESSAGEBOX_H
#define ZMESSAGEBOX_H

#include <QPixmap>
#include <QString>

class QWidget;

// The framework's modal information box: an icon, a text and up to three
// buttons. Null button texts leave that button out.
class ZMessageBox
{
public:
    // Returns the index of the button that closed the box, or -1 when it was
    // closed another way. The last argument is the framework's box style; the
    // stand-in has only one.
    static int information(QWidget* parent, const QPixmap& icon, const QString& text,
                           const QString& button0, const QString& button1 = QString(),
                           const QString& button2 = QString(), int style = 0);
};

#endif
