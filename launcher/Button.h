#ifndef BUTTON_H
#define BUTTON_H

#include <QWidget>

// The launcher's one screen: title bar, media list, About and Exit.
class Button : public QWidget
{
    Q_OBJECT

public:
    Button(QWidget* parent, const char* name);
    ~Button() override;

public slots:
    void titlePressed();
    void aboutPressed();
};

#endif
