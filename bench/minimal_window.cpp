// The floor for the launcher's start-up: an empty Qt window of the handset's
// size, shown once. With "--label" it shows one line of text, which shows
// what the first text of any program costs (loading the fonts).
#include <QApplication>
#include <QLabel>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool withLabel = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    QWidget window;
    window.setGeometry(0, 0, 240, 320);
    if (withLabel)
        new QLabel(QStringLiteral("Video Launcher"), &window);
    window.show();
    return app.exec();
}
