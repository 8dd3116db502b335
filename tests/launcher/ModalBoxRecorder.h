#ifndef MODALBOXRECORDER_H
#define MODALBOXRECORDER_H

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QTimer>

// Modal boxes block the test until closed: this closes each one from a timer,
// pressing Enter as a user would, and records what it showed.
class ModalBoxRecorder : public QObject
{
    Q_OBJECT

public:
    ModalBoxRecorder();

    QStringList texts;
    QStringList buttonTexts;
    QList<bool> hadIcon;
    // Where each box stood on the screen, and whether its label had room for
    // each line of its text unbroken.
    QList<QRect> frames;
    QList<bool> linesWhole;

private:
    void closeActiveBox();
    QTimer timer;
};

#endif
