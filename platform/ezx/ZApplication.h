#ifndef ZAPPLICATION_H
#define ZAPPLICATION_H

#include <QApplication>

// The phone framework's application object: a QApplication that can keep the
// handset's hardware keys (delivered here as function keys) away from widgets.
class ZApplication : public QApplication
{
public:
    // The framework distinguishes console, client and server processes; the
    // launcher is always a GUI client. Qt itself has no such notion.
    enum Type { Tty = 0, GuiClient = 1, GuiServer = 2 };

    ZApplication(int& argc, char** argv, Type type = GuiClient);

    // With the filter on, hardware-key events are swallowed before any widget
    // sees them; the launcher turns it off so its list receives them.
    void enableHardKeyEventFilter(bool enable);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool hardKeyFilterEnabled = true;
};

#endif
