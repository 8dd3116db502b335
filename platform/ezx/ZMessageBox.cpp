#include "ZMessageBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

// Room left between the box and the edges of its window.
const int edgeMargin = 8;

} // namespace

int ZMessageBox::information(QWidget* parent, const QPixmap& icon, const QString& text,
                             const QString& button0, const QString& button1,
                             const QString& button2, int)
{
    QStringList buttonTexts;
    for (const QString& label : { button0, button1, button2 }) {
        if (!label.isNull())
            buttonTexts.append(label);
    }
    ZMessageBox box(parent, icon, text, buttonTexts);
    box.exec();
    // The phone hands the keys back to the window the box came from. Without
    // a window manager (offscreen, linuxfb) nothing else does: the box is
    // still the active window here, and nothing takes its place once it goes.
    if (parent && !parent->isActiveWindow())
        parent->activateWindow();
    return box.chosen;
}

ZMessageBox::ZMessageBox(QWidget* parent, const QPixmap& icon, const QString& text,
                         const QStringList& buttonTexts)
    : QDialog(parent)
    , iconLabel(new QLabel(this))
    , textLabel(new QLabel(this))
{
    iconLabel->setPixmap(icon);
    textLabel->setTextFormat(Qt::PlainText);
    // The framework's texts break lines with CR LF; a Qt label wants LF alone.
    textLabel->setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));

    auto* buttonBox = new QDialogButtonBox(this);
    buttonBox->setCenterButtons(true);
    for (const QString& label : buttonTexts) {
        QPushButton* button = buttonBox->addButton(label, QDialogButtonBox::AcceptRole);
        const int index = int(pushButtons.size());
        connect(button, &QPushButton::clicked, this, [this, index] {
            chosen = index;
            accept();
        });
        pushButtons.append(button);
    }
    // Enter takes the first button.
    if (!pushButtons.isEmpty())
        pushButtons.first()->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(iconLabel, 0, 0, Qt::AlignTop);
    layout->addWidget(textLabel, 0, 1);
    layout->addWidget(buttonBox, 1, 0, 1, 2);

    // Centred on the window it belongs to, which is the launcher's whole
    // screen: dialogs are otherwise placed for desktops with window frames.
    const QRect home = parent ? parent->window()->geometry() : screen()->availableGeometry();
    fitWidth(home.width() - 2 * edgeMargin);
    move(home.center() - rect().center());
}

void ZMessageBox::fitWidth(int room)
{
    textLabel->setWordWrap(false);
    int width = sizeHint().width();
    if (width > room) {
        textLabel->setWordWrap(true);
        width = room;
    }
    setFixedSize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
}

QString ZMessageBox::text() const
{
    return textLabel->text();
}

QPixmap ZMessageBox::iconPixmap() const
{
    return iconLabel->pixmap();
}

void ZMessageBox::reject()
{
    if (!pushButtons.isEmpty())
        chosen = int(pushButtons.size()) - 1;
    QDialog::reject();
}
