#include "ZMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

int ZMessageBox::information(QWidget* parent, const QPixmap& icon, const QString& text,
                             const QString& button0, const QString& button1,
                             const QString& button2, int)
{
    QMessageBox box(parent);
    box.setIconPixmap(icon);
    box.setTextFormat(Qt::PlainText);
    // The framework's texts break lines with CR LF; a Qt label wants LF alone.
    box.setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));

    QList<QPushButton*> buttons;
    for (const QString& label : { button0, button1, button2 }) {
        if (!label.isNull())
            buttons.append(box.addButton(label, QMessageBox::AcceptRole));
    }
    // Enter takes the first button and Escape the last, so a single-button box
    // closes with either key.
    if (!buttons.isEmpty()) {
        box.setDefaultButton(buttons.first());
        box.setEscapeButton(buttons.last());
    }

    box.exec();
    // The phone hands the keys back to the window the box came from. Without
    // a window manager (offscreen, linuxfb) nothing else does: the box is
    // still the active window here, and nothing takes its place once it goes.
    if (parent && !parent->isActiveWindow())
        parent->activateWindow();
    return buttons.indexOf(static_cast<QPushButton*>(box.clickedButton()));
}
