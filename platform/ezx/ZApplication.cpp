#include "ZApplication.h"

#include <QKeyEvent>

ZApplication::ZApplication(int& argc, char** argv, Type)
    : QApplication(argc, argv)
{
    installEventFilter(this);
}

void ZApplication::enableHardKeyEventFilter(bool enable)
{
    hardKeyFilterEnabled = enable;
}

static bool isHardKey(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F35;
}

bool ZApplication::eventFilter(QObject* watched, QEvent* event)
{
    if (hardKeyFilterEnabled
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        && isHardKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QApplication::eventFilter(watched, event);
}
