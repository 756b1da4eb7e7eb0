// The yardsticks of the start-up benchmark: an empty Qt window of Vantrel's
// size and nothing else; with --text, the same window with one line of text,
// which is what makes the toolkit read the system's fonts.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[])
{
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(503, 479);
    if (text)
        (new QLabel(QStringLiteral("Files to convert"), &window))->move(16, 179);
    window.show();
    return app.exec();
}
