#include "tests/print/printedsheet.h"

#include <cmath>
#include <iterator>

#include "tests/print/cupssandbox.h"
#include "tests/print/printedpage.h"

namespace {

// Where the sheet's lines stand: the top of the character cell in 0.1 mm
// below the top of the printable area, and the cell's height; every line
// starts 10.0 mm right of the printable area's left edge.
struct SheetLine {
    int top;
    int cellHeight;
};
constexpr SheetLine kSheetLines[] = {{150, 86}, {300, 56}, {400, 56}, {500, 56}, {600, 56}, {900, 36}};
constexpr double kLineLeftMm = 10.0;
constexpr double kPlaceToleranceMm = 0.5;
constexpr double kHeightToleranceMm = 0.3;
constexpr double kPageSizeTolerancePt = 1.0;

QString LayoutFault(const PrintedPage& page, double printableLeft, double printableTop)
{
    // Within a point: CUPS rounds A4 to whole points, a browser to its own
    // pixels (594.96 × 841.92), and A4 itself is 595.28 × 841.89.
    if (std::abs(page.size.width() - CupsSandbox::kPageWidth) > kPageSizeTolerancePt ||
        std::abs(page.size.height() - CupsSandbox::kPageHeight) > kPageSizeTolerancePt)
        return QStringLiteral("the page is %1 × %2 points, not A4 portrait").arg(page.size.width()).arg(page.size.height());
    if (page.lines.size() != std::ssize(kSheetLines)) {
        QStringList texts;
        for (const PrintedLine& line : page.lines)
            texts << line.text;
        return QStringLiteral("%1 lines instead of %2: ").arg(page.lines.size()).arg(std::size(kSheetLines)) +
               texts.join(QStringLiteral(" | "));
    }
    for (qsizetype i = 0; i < page.lines.size(); ++i) {
        const QRectF box = page.lines[i].box;
        const double left = PointsToMillimetres(box.left() - printableLeft);
        const double top = PointsToMillimetres(box.top() - printableTop);
        const double height = PointsToMillimetres(box.height());
        if (std::abs(left - kLineLeftMm) > kPlaceToleranceMm || std::abs(top - kSheetLines[i].top / 10.0) > kPlaceToleranceMm ||
            std::abs(height - kSheetLines[i].cellHeight / 10.0) > kHeightToleranceMm)
            return QStringLiteral("line %1 (%2) stands at left %3 mm, top %4 mm, cell %5 mm instead of %6, %7, %8")
                .arg(i + 1)
                .arg(page.lines[i].text)
                .arg(left, 0, 'f', 2)
                .arg(top, 0, 'f', 2)
                .arg(height, 0, 'f', 2)
                .arg(kLineLeftMm)
                .arg(kSheetLines[i].top / 10.0)
                .arg(kSheetLines[i].cellHeight / 10.0);
    }
    return {};
}

}  // namespace

PrintedSheet CheckPrintedSheet(const QList<PrintedPage>& pages, double printableLeft, double printableTop)
{
    PrintedSheet sheet;
    if (pages.size() != 1) {
        sheet.fault = QStringLiteral("%1 pages instead of one").arg(pages.size());
        return sheet;
    }
    for (const PrintedLine& line : pages.first().lines)
        sheet.lines << line.text;
    sheet.fault = LayoutFault(pages.first(), printableLeft, printableTop);
    return sheet;
}

QString SheetFontFault(const QStringList& fonts)
{
    if (fonts != QStringList{QStringLiteral("LiberationMono")})
        return QStringLiteral("fonts ") + fonts.join(QStringLiteral(", ")) + QStringLiteral(" instead of LiberationMono");
    return {};
}

PrintedSheet ReadPrintedSheet(const QString& pdfPath)
{
    QString fault;
    const QList<PrintedPage> pages = ReadPrintedPages(pdfPath, &fault);
    if (!fault.isEmpty())
        return {{}, fault};
    PrintedSheet sheet = CheckPrintedSheet(pages);
    if (!sheet.fault.isEmpty())
        return sheet;
    const QStringList fonts = PdfFontNames(pdfPath, &sheet.fault);
    if (sheet.fault.isEmpty())
        sheet.fault = SheetFontFault(fonts);
    return sheet;
}
