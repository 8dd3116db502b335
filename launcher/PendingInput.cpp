#include "PendingInput.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// How long at most the waiting events are taken in: a user who keeps giving
// input as the player ends must not hold the launcher.
const int longestDrainMs = 200;

// Input that could act on the screen. The ends of touches and of pointer
// presses pass: a press delivered before the player started (the tap that
// started it) must be ended, or Qt would hold its grab, and an end alone
// chooses nothing.
bool isDroppedInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Seen first by every object, windows included, so that dropped input never
// reaches a widget, a gesture or Qt's mouse events made from touches.
class InputDropper : public QObject
{
protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        return isDroppedInput(event->type());
    }
};

} // namespace

void dropPendingInput()
{
    InputDropper dropper;
    QCoreApplication::instance()->installEventFilter(&dropper);
    // Processes until nothing is left to process: the platform's queued input
    // and the input still waiting in its devices alike.
    QCoreApplication::processEvents(QEventLoop::AllEvents, longestDrainMs);
    QCoreApplication::instance()->removeEventFilter(&dropper);
}
