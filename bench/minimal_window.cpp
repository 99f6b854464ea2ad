// The yardstick for kennfix's start-up: the least a Qt Widgets program does
// to show a window of the same client size. Given a text, it shows that in
// a label too, which is the least a window with text does: load the font
// configuration and a font.
//
//   minimal_window [TEXT]

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(391, 314);
    if (argc > 1)
        (new QLabel(QString::fromLocal8Bit(argv[1]), &window))->move(16, 16);
    window.show();
    return QApplication::exec();
}
