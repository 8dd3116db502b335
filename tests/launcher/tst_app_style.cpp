// Exits 0 when the application object draws in the style named by the first
// argument, with 12-pixel text, and leaves QT_STYLE_OVERRIDE as it found it; the whole command
// line goes to the application object, which reads Qt's own options from it.
// Usage: tst_app_style <expected style> [-platform NAME] [-style NAME]
// One process a case: Qt settles the style once per process.
#include "ZApplication.h"

#include <QFont>
#include <QStyle>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tst_app_style <expected style> [Qt options]\n");
        return 2;
    }
    const QString expected = QString::fromLatin1(argv[1]);
    const QByteArray variable = qgetenv("QT_STYLE_OVERRIDE");
    ZApplication app(argc, argv, ZApplication::GuiClient);

    int failures = 0;
    const QString style = QApplication::style()->name();
    if (style != expected) {
        std::fprintf(stderr, "FAIL: style %s, expected %s\n", qPrintable(style), qPrintable(expected));
        ++failures;
    }
    // The minimal platform's own text is 12 points at 100 dpi, as linuxfb's.
    if (QApplication::font().pixelSize() != 12) {
        std::fprintf(stderr, "FAIL: text of %d pixels, expected 12\n", QApplication::font().pixelSize());
        ++failures;
    }
    // Programs the launcher starts, the player among them, see the
    // environment as the user left it.
    if (qgetenv("QT_STYLE_OVERRIDE") != variable) {
        std::fprintf(stderr, "FAIL: QT_STYLE_OVERRIDE changed to \"%s\"\n",
                     qgetenv("QT_STYLE_OVERRIDE").constData());
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
