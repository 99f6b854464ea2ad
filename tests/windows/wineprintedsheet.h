#pragma once

// Reads back a sheet that kennfix.exe printed under Wine, as a CupsSandbox
// queue received it: the PostScript of Wine's printer driver, which hands
// the sheet's TrueType font down with the page (as Type 42, or as Type 1 on
// a queue without a PPD). The page is turned into a PDF with ghostscript and
// then read and checked as the Linux sheet is (printedsheet.h), with two
// allowances for what the way there changes and the paper does not, and
// one check more:
//   - ghostscript describes the font by the glyphs the page uses rather than
//     by the font's own ascent and descent, so a line's box is put back to
//     the font's character cell from the description ghostscript wrote; and
//     it embeds only those glyphs, so the font's name carries a subset tag;
//   - the driver is handed glyphs, not characters, and names a glyph shared
//     by two characters after one of them: the blank comes back as the
//     no-break space and "-" as the soft hyphen, so they are read as what
//     they look like on paper;
//   - the glyphs must have ink: a face without outlines prints a page that
//     reads well and shows nothing.
//
//   const PrintedSheet sheet = ReadWinePrintedSheet(cups.Documents().last(), dir.path());

#include <QString>

#include "tests/print/printedsheet.h"

// `folder` takes the PDF and the picture of the page made on the way; the
// printable area starts `printableLeft` and `printableTop` points from the
// page's edges (a CupsSandbox queue's unless told).
PrintedSheet ReadWinePrintedSheet(const QString& postScriptPath, const QString& folder,
                                  double printableLeft = CupsSandbox::kMarginLeft,
                                  double printableTop = CupsSandbox::kMarginTop);
