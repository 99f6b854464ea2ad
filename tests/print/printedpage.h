#pragma once

// Reads back what a printed PDF shows: the pages with their text lines and
// where each line stands, through poppler's pdftotext -bbox.
//
// A line's box runs from the top of its character cell to the bottom (the
// font's ascent and descent) and from its first character to the end of its
// last. Blanks between words are put back from the words' positions, which is
// exact for a monospaced font; blanks at the end of a line leave no trace.

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

struct PrintedLine {
    QString text;
    QRectF box;  // in points (1/72 inch) from the top-left corner of the page
};

struct PrintedPage {
    QSizeF size;  // in points
    QList<PrintedLine> lines;  // from the top of the page down
};

// The pages of the PDF file; on failure none, and *error says why.
QList<PrintedPage> ReadPrintedPages(const QString& pdfPath, QString* error);

// The names of the fonts the PDF file uses, as pdffonts lists them.
QStringList PdfFontNames(const QString& pdfPath, QString* error);

constexpr double PointsToMillimetres(double points)
{
    return points * 25.4 / 72.0;
}
