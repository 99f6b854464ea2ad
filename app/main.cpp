#include <QApplication>

#include <cstdlib>

#include "app/messagedialog.h"
#include "app/print/sheetprinter.h"
#include "app/unit1.h"
#include "qtfrontend/qttranslations.h"
#include "qtfrontend/startapplication.h"
#include "qtfrontend/windowicon.h"

int main(int argc, char* argv[])
{
    const auto app = kennfix::StartApplication(argc, argv, "kennfix");
    if (!kennfix::LoadGermanQtTexts(*app))
        kennfix::PrintNotice(QStringLiteral("kennfix: Qts deutsche Übersetzungen (qtbase_de) fehlen; Menüs und Knöpfe von "
                                            "Qt bleiben englisch."));
    QApplication::setApplicationName(kennfix::kApplicationTitle);
    // Ties the window to the installed desktop entry (on Wayland, its app id).
    QApplication::setDesktopFileName(QStringLiteral(KENNFIX_APP_ID));
    QApplication::setWindowIcon(kennfix::WindowIcon());

    kennfix::TForm1 form;
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
