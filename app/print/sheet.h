#pragma once

// The printed sheet: a title, the three entries and the eTIN as they stand in
// the window, and a footer with the date of printing. Drawing it knows
// nothing of printers; SheetPrinter (sheetprinter.h) brings it to paper.

#include <QFont>
#include <QString>

class QPainter;

namespace kennfix {

// The texts exactly as the window shows them: nothing is trimmed, upper-cased
// or checked, so an empty date field prints as "  .  .  ".
struct SheetTexts {
    QString familyName;
    QString firstName;
    QString birthDate;
    QString etin;       // the result label; empty before the first calculation
    QString printDate;  // today in the user's short-date format, e.g. 08.12.2026
};

// The maker's notice at the end of the footer line.
QString MakerNotice();

// "Courier New" in normal weight, as the sheet is printed in; RenderSheet
// sets the size.
QFont SheetFont();

// Draws the one page. The painter's origin is the top-left corner of the area
// the printer can print on, and its device's resolution gives the scale:
// every line starts 10.0 mm to the right of the origin, its character cell
// 15.0 mm (title) to 90.0 mm (footer) below it. Black "Courier New" on opaque
// white, cell heights 8.6 mm (title), 5.6 mm (entries and eTIN) and 3.6 mm
// (footer), where the cell height is the font's ascent plus descent.
void RenderSheet(QPainter& painter, const SheetTexts& texts);

}  // namespace kennfix
