#ifndef ZMESSAGEBOX_H
#define ZMESSAGEBOX_H

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <QString>

class QLabel;
class QPushButton;

// The framework's modal information box: an icon, a text and up to three
// buttons, made for a small screen. It is as wide as its text wants, at most
// as wide as the window it belongs to; lines break between words only.
class ZMessageBox : public QDialog
{
    Q_OBJECT

public:
    // Shows the box and returns the index of the button that closed it;
    // Escape, or closing the window, counts as the last button. Null button
    // texts leave that button out. The last argument is the framework's box
    // style; the stand-in has only one.
    static int information(QWidget* parent, const QPixmap& icon, const QString& text,
                           const QString& button0, const QString& button1 = QString(),
                           const QString& button2 = QString(), int style = 0);

    QString text() const;
    QPixmap iconPixmap() const;
    const QList<QPushButton*>& buttons() const { return pushButtons; }

public slots:
    void reject() override;

private:
    ZMessageBox(QWidget* parent, const QPixmap& icon, const QString& text,
                const QStringList& buttonTexts);
    void fitWidth(int room);

    QLabel* iconLabel;
    QLabel* textLabel;
    QList<QPushButton*> pushButtons;
    int chosen = -1;
};

#endif
