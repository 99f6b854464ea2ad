#include "app/print/sheet.h"

#include <array>

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace kennfix {
namespace {

// Page coordinates of the sheet are in 0.1 mm from the top-left corner of the
// printable area, with y pointing up: lines further down have more negative y.
// A line's point is the top-left corner of its character cell.
constexpr int kLineLeft = 100;

struct SheetLine {
    int top;         // y of the cell's top edge
    int cellHeight;  // ascent plus descent of the font
    QString text;
};

std::array<SheetLine, 6> SheetLines(const SheetTexts& texts)
{
    return {{
        {-150, 86, QStringLiteral("Berechnung eTIN")},
        {-300, 56, QStringLiteral("Name: ") + texts.familyName},
        {-400, 56, QStringLiteral("Vorname: ") + texts.firstName},
        {-500, 56, QStringLiteral("Geburtsdatum: ") + texts.birthDate},
        {-600, 56, QStringLiteral("Die eTIN lautet: ") + texts.etin},
        {-900, 36,
         QStringLiteral("Erstellt am ") + texts.printDate + QStringLiteral(" mit Programm Kennfix – ") + MakerNotice()},
    }};
}

// Ascent plus descent per pixel of font size. The size is set from the cell
// height, as the sheet gives it, and not from the em size.
qreal CellHeightPerPixel(QFont font, QPaintDevice* device)
{
    constexpr int kProbeSize = 1000;  // large enough that hinting rounds nothing away
    font.setPixelSize(kProbeSize);
    return QFontMetricsF(font, device).height() / kProbeSize;
}

}  // namespace

QString MakerNotice()
{
    return QStringLiteral("© die Kennfix-Entwickler");
}

QFont SheetFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);  // fontconfig maps it to Liberation Mono, same metrics
    font.setWeight(QFont::Normal);
    return font;
}

void RenderSheet(QPainter& painter, const SheetTexts& texts)
{
    QPaintDevice* device = painter.device();
    const qreal pixelsPerUnitX = device->logicalDpiX() / 254.0;  // 254 tenths of a millimetre per inch
    const qreal pixelsPerUnitY = device->logicalDpiY() / 254.0;

    QFont font = SheetFont();
    const qreal cellPerPixel = CellHeightPerPixel(font, device);

    painter.save();
    painter.setPen(Qt::black);
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    for (const SheetLine& line : SheetLines(texts)) {
        const qreal cellPixels = line.cellHeight * pixelsPerUnitY;
        // A point size keeps the fraction of a pixel that a pixel size would round away.
        font.setPointSizeF(cellPixels / cellPerPixel * 72.0 / device->logicalDpiY());
        painter.setFont(font);
        const qreal baseline = -line.top * pixelsPerUnitY + QFontMetricsF(font, device).ascent();
        painter.drawText(QPointF(kLineLeft * pixelsPerUnitX, baseline), line.text);
    }
    painter.restore();
}

}  // namespace kennfix
