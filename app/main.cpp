#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include "messageboxes.h"
#include "unit1.h"

namespace {

// The icon for the window's title bar and the task bar, from the PNGs built
// into the program. They are read as PNG outright: left to guess the format,
// Qt would first load every image plugin, which lengthens the start by about
// a quarter.
QIcon WindowIcon()
{
    QIcon icon;
    QDirIterator pngs(QStringLiteral(":/icons"));
    while (pngs.hasNext()) {
        QImageReader reader(pngs.next(), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kennfix::kApplicationTitle);
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_APP_ID));
    QApplication::setWindowIcon(WindowIcon());

    kennfix::TForm1 form;
    kennfix::Form1 = &form;
    form.show();
    return QApplication::exec();
}
