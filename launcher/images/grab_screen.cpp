// Saves a picture of the launcher's screen for the documentation, drawn by
// the launcher's own widgets. Run it in a working directory holding images/,
// with MOVDIR naming the folder to show, on the offscreen platform.
// Usage: grab_screen <output.png>
#include "Button.h"
#include "ZApplication.h"

#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv)
{
    ZApplication app(argc, argv, ZApplication::GuiClient);
    if (argc != 2) {
        std::fprintf(stderr, "usage: grab_screen <output.png>\n");
        return 2;
    }
    Button screen(nullptr, "interface");
    screen.show();
    QCoreApplication::processEvents();
    if (!screen.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "grab_screen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
