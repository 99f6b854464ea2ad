#pragma once

// Reads back a printed sheet that a CupsSandbox queue received, for tests of
// the printout and of the window's "Drucken".
//
//   const PrintedSheet sheet = ReadPrintedSheet(cups.Documents().first());
//   QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
//   QCOMPARE(sheet.lines[1], QStringLiteral("Name: Müller"));

#include <QList>
#include <QString>
#include <QStringList>

#include "tests/print/cupssandbox.h"
#include "tests/print/printedpage.h"

struct PrintedSheet {
    // The lines from the top down as they read on paper (printedpage.h says
    // how blanks come back).
    QStringList lines;
    // What stands wrong, empty when nothing does: not one A4 portrait page,
    // not six lines, a line's left edge or top more than 0.5 mm or its cell
    // height more than 0.3 mm off, a font other than Liberation Mono in
    // normal weight (what "Courier New" is here).
    QString fault;
};

PrintedSheet ReadPrintedSheet(const QString& pdfPath);

// The two halves of ReadPrintedSheet, for documents that need reading in a
// way of their own: the lines and layout of pages already read, on a page
// whose printable area starts `printableLeft` and `printableTop` points from
// its edges (a CupsSandbox queue's unless told), and what stands wrong with
// the fonts a PDF file uses, named as pdffonts names them (empty when
// nothing does).
PrintedSheet CheckPrintedSheet(const QList<PrintedPage>& pages, double printableLeft = CupsSandbox::kMarginLeft,
                               double printableTop = CupsSandbox::kMarginTop);
QString SheetFontFault(const QStringList& fonts);
