#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include <cstdlib>

#include "messageboxes.h"
#include "qttranslations.h"
#include "sheetprinter.h"
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
    if (!kennfix::LoadGermanQtTexts(app))
        qWarning("kennfix: Qts deutsche Übersetzungen (qtbase_de) fehlen; Menüs und Knöpfe von Qt bleiben englisch.");
    QApplication::setApplicationName(kennfix::kApplicationTitle);
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_APP_ID));
    QApplication::setWindowIcon(WindowIcon());

    kennfix::TForm1 form;
    kennfix::Form1 = &form;
    form.show();
    const int status = QApplication::exec();

    // A print server that never answered holds a thread inside the print
    // system's client library. Taking down the window, Qt's print support and
    // the static data under it would let that thread crash the ending program
    // should the server answer after all; so the program ends here, and the
    // spooler drops the job it never received in full.
    if (kennfix::SheetPrinter::RunningThreads() > 0)
        std::_Exit(status);
    return status;
}
