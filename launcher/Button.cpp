#include "Button.h"

#include "FileBrowser.h"
#include "PngFile.h"
#include "RES_ICON_Reader.h"
#include "ZMessageBox.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>

namespace {

const char* const backgroundImage = "images/background.png";
const char* const defaultStartDir = "/mmc/mmca1";

// Paints `pixmap` in `role` of `widget` (Base: behind a list's rows); a
// missing image leaves the style's plain background.
void setBackgroundImage(QWidget* widget, QPalette::ColorRole role, const QPixmap& pixmap)
{
    if (pixmap.isNull())
        return;
    QPalette palette = widget->palette();
    palette.setBrush(role, QBrush(pixmap));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The button shows its image instead of its text, and keeps the text when the
// image cannot be loaded so it stays usable.
void setButtonImage(QPushButton* button, const char* file)
{
    const QPixmap pixmap = loadPng(QString::fromLatin1(file));
    if (pixmap.isNull())
        return;
    button->setText(QString());
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
}

// A tap on a button must leave the keyboard focus, and with it the handset
// keys, with the media list.
QPushButton* newButton(const char* text, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QString startDirectory()
{
    // Set but empty is a choice too: only an unset variable means the card.
    if (qEnvironmentVariableIsSet("MOVDIR"))
        return QString::fromLocal8Bit(qgetenv("MOVDIR"));
    return QString::fromLatin1(defaultStartDir);
}

void showCredits(QWidget* parent, const char* iconName, const QString& text)
{
    const RES_ICON_Reader iconReader;
    ZMessageBox::information(parent, iconReader.getIcon(iconName), text,
                             QStringLiteral("M'kay.."), QString(), QString(), 1);
}

} // namespace

Button::Button(QWidget* parent, const char* name)
    : QWidget(parent)
{
    setObjectName(QString::fromUtf8(name));
    // Decoded once for the screen and the list: start-up time is precious.
    const QPixmap background = loadPng(QString::fromLatin1(backgroundImage));
    setBackgroundImage(this, QPalette::Window, background);
    setGeometry(0, 0, 240, 320);

    auto* title = newButton("title", this);
    setButtonImage(title, "images/banner.png");
    title->setGeometry(0, 0, 240, 40);

    auto* exitButton = newButton("Exit", this);
    auto* aboutButton = newButton("About", this);
    setButtonImage(exitButton, "images/btn_exit.png");
    setButtonImage(aboutButton, "images/btn_about.png");
    aboutButton->setGeometry(0, 290, 120, 30);
    exitButton->setGeometry(120, 290, 120, 30);

    auto* browser = new FileBrowser(this, "romBrowser");
    browser->setGeometry(0, 40, 240, 250);
    browser->setDir(startDirectory());
    browser->setFPS(false);
    browser->setSound(true);
    browser->setHi(false);
    setBackgroundImage(browser, QPalette::Base, background);
    browser->setFocus();

    connect(title, &QPushButton::clicked, this, &Button::titlePressed);
    connect(aboutButton, &QPushButton::clicked, this, &Button::aboutPressed);
    connect(exitButton, &QPushButton::clicked, qApp, &QApplication::quit);
}

Button::~Button() = default;

void Button::titlePressed()
{
    showCredits(this, "Dialog_Exclamatory_Mark.gif",
                QStringLiteral("Video Launcher for zorvid"));
}

void Button::aboutPressed()
{
    showCredits(this, "Dialog_Waiting.gif",
                QStringLiteral("Video Launcher 1.0\r\nPlays clips with zorvid"));
}
