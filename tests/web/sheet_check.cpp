// Reads a sheet the page printed to PDF with the checks of the window's
// printouts (tests/print/printedsheet.h): one A4 page, six lines at the
// sheet's positions, Liberation Mono (the font "Courier New" is here). The page prints without a margin, so
// the printable area starts at the paper's edge.
//
//   web_sheet_check SHEET.pdf
//
// Writes the lines, one a line, and exits 0; or writes what stands wrong to
// standard error and exits 1.

#include <cstdio>

#include <QCoreApplication>
#include <QRegularExpression>

#include "tests/print/printedsheet.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: web_sheet_check SHEET.pdf\n", stderr);
        return 2;
    }
    const QString pdf = QString::fromLocal8Bit(argv[1]);
    QString fault;
    const QList<PrintedPage> pages = ReadPrintedPages(pdf, &fault);
    PrintedSheet sheet;
    if (fault.isEmpty()) {
        sheet = CheckPrintedSheet(pages, 0, 0);
        fault = sheet.fault;
    }
    if (fault.isEmpty()) {
        // A browser embeds only the letters it uses, and PDF names such a
        // subset with a tag of six capitals: "AAAAAA+LiberationMono".
        QStringList fonts = PdfFontNames(pdf, &fault);
        static const QRegularExpression subsetTag(QStringLiteral("^[A-Z]{6}\\+"));
        for (QString& font : fonts)
            font.remove(subsetTag);
        if (fault.isEmpty())
            fault = SheetFontFault(fonts);
    }
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(fault));
        return 1;
    }
    for (const QString& line : sheet.lines)
        std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
