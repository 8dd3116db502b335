#ifndef SHOWNSCREEN_H
#define SHOWNSCREEN_H

#include "Button.h"

#include <QWidget>

// The launcher's screen as a user meets it: in its 240x320 window, shown.
// Each test waits for the window as it needs (exposed, or active).
struct ShownScreen
{
    QWidget window;
    Button screen { &window, "interface" };

    ShownScreen()
    {
        window.setGeometry(0, 0, 240, 320);
        window.show();
    }
};

#endif
