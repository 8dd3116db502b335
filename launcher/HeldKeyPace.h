#ifndef HELDKEYPACE_H
#define HELDKEYPACE_H

#include <QtGlobal>

class QKeyEvent;

// How far a held Up or Down moves the list at each key repeat, by the key
// events' own time stamps: one row for the first half second, so that a
// short press and a short hold stay exact, then 2, 4 and 8 rows a repeat for
// half a second each, then a page a repeat.
class HeldKeyPace
{
public:
    // The rows `event` moves; a press (no repeat) moves one and starts the
    // hold. `pageRows` is how many rows a page holds.
    int rows(const QKeyEvent& event, int pageRows);

private:
    quint64 pressedAt = 0;
};

#endif
