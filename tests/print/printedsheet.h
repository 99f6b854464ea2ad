#pragma once

// Reads back a printed sheet that a CupsSandbox queue received, for tests of
// the printout and of the window's "Drucken".
//
//   const PrintedSheet sheet = ReadPrintedSheet(cups.Documents().first());
//   QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
//   QCOMPARE(sheet.lines[1], QStringLiteral("Name: Müller"));

#include <QString>
#include <QStringList>

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
