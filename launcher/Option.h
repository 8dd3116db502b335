#ifndef OPTION_H
#define OPTION_H

#include <QGroupBox>

// A full-screen options panel: heading, "Show FPS" and "Sound" boxes and a
// Back button that hides it. It stands on its own; nothing reads its state.
class Option : public QGroupBox
{
    Q_OBJECT

public:
    Option(QWidget* parent, const char* name);
    ~Option() override;

    // Stores the frame-rate flag and asks for a repaint.
    void setFPS(bool on);
    bool isFPS() const { return fps; }

private slots:
    // Stores the opposite of `on`, without a repaint.
    void showFPS(bool on);

private:
    bool fps = false;
};

#endif
