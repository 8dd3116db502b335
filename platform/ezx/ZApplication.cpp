#include "ZApplication.h"

#include <QFont>
#include <QKeyEvent>

namespace {

// Qt's default style depends on the platform: Windows on linuxfb, Fusion on
// X11 and offscreen. The kit is drawn in Fusion everywhere, named through
// Qt's own variable so that a user's QT_STYLE_OVERRIDE or -style still wins.
// Set only while the application reads it, so children never inherit it.
const char* const styleVariable = "QT_STYLE_OVERRIDE";
bool styleSetHere = false;

// The screen is laid out in pixels for a 240x320 panel, and so is its text.
// The platforms' own sizes run from 12 pixels (X11, offscreen) to about 17
// (linuxfb: 12 points at an assumed 100 dpi), which fits fewer rows and
// longer names than the screen was drawn for.
const int textPixels = 12;

int& withFusionByDefault(int& argc)
{
    styleSetHere = !qEnvironmentVariableIsSet(styleVariable);
    if (styleSetHere)
        qputenv(styleVariable, "Fusion");
    return argc;
}

} // namespace

ZApplication::ZApplication(int& argc, char** argv, Type)
    : QApplication(withFusionByDefault(argc), argv)
{
    if (styleSetHere)
        qunsetenv(styleVariable);
    QFont text = font();
    text.setPixelSize(textPixels);
    setFont(text);
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
