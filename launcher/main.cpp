#include "Button.h"
#include "RuntimeDirWarning.h"
#include "ZApplication.h"

#include <QGuiApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    dropRuntimeDirWarning();
    ZApplication app(argc, argv, ZApplication::GuiClient);
    // The app id under Wayland, for a kiosk's window rules: the desktop entry's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("mediakit-launcher"));
    // The list handles the handset keys itself, so they must reach it.
    app.enableHardKeyEventFilter(false);

    // The top-level window lives until the loop has ended and goes before the
    // application object; everything else hangs off it.
    QWidget window(nullptr);
    window.setObjectName(QStringLiteral("main"));
    window.setGeometry(0, 0, 240, 320);
    new Button(&window, "interface");
    window.show();

    return app.exec();
}
