// The yardstick of the start-up benchmark: an empty Qt window of Vantrel's
// size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(503, 479);
    window.show();
    return app.exec();
}
