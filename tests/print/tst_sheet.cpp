// The sheet drawn on an image: black text on opaque white cells, nothing
// anywhere else. Where the lines stand on paper is checked on real printouts
// in tst_sheetprinter.

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>

#include "app/print/sheet.h"

namespace {

constexpr int kDpi = 150;
constexpr QRgb kPaper = qRgb(0, 0, 255);  // no colour the sheet uses

// Lines in 0.1 mm below the top of the printable area, and their cell heights.
struct Cell {
    int top;
    int height;
};
constexpr Cell kCells[] = {{150, 86}, {300, 56}, {400, 56}, {500, 56}, {600, 56}, {900, 36}};
constexpr int kLeft = 100;

double ToPixels(int tenthsOfMillimetre)
{
    return tenthsOfMillimetre * kDpi / 254.0;
}

}  // namespace

class TestSheet : public QObject {
    Q_OBJECT

private slots:
    void drawsBlackOnOpaqueWhiteCellsOnly()
    {
        QImage image(qCeil(ToPixels(2100)), qCeil(ToPixels(1000)), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kDpi / 0.0254));
        image.fill(kPaper);
        {
            QPainter painter(&image);
            kennfix::RenderSheet(painter, {QStringLiteral("Müller"), QStringLiteral("Hans"), QStringLiteral("01.01.00"),
                                           QStringLiteral("MLLRHNSA00A01Q"), QStringLiteral("08.12.2026")});
        }

        const auto cellAt = [](int y) -> const Cell* {
            for (const Cell& cell : kCells) {
                if (y >= ToPixels(cell.top) - 1 && y <= ToPixels(cell.top + cell.height) + 1)
                    return &cell;
            }
            return nullptr;
        };
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (pixel == kPaper)
                    continue;
                QVERIFY2(cellAt(y) && x >= ToPixels(kLeft) - 1, qPrintable(QStringLiteral("drawn at %1,%2").arg(x).arg(y)));
                QVERIFY2(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel),
                         qPrintable(QStringLiteral("colour %1 at %2,%3").arg(pixel, 0, 16).arg(x).arg(y)));
            }
        }
        for (const Cell& cell : kCells) {
            // The white background fills the cell from top to bottom, under the first character too.
            const int x = qCeil(ToPixels(kLeft)) + 1;
            for (int y = qCeil(ToPixels(cell.top)) + 1; y < ToPixels(cell.top + cell.height) - 1; ++y)
                QVERIFY2(image.pixel(x, y) != kPaper, qPrintable(QStringLiteral("no background at %1,%2").arg(x).arg(y)));
            bool black = false;
            for (int y = qCeil(ToPixels(cell.top)); y < ToPixels(cell.top + cell.height) && !black; ++y) {
                for (int x = 0; x < image.width() && !black; ++x)
                    black = image.pixel(x, y) == qRgb(0, 0, 0);
            }
            QVERIFY2(black, qPrintable(QStringLiteral("no black text in the cell at %1").arg(cell.top)));
        }
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
