#include "tests/windows/wineprintedsheet.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include "tests/print/printedpage.h"

namespace {

// Liberation Mono's ascent and descent in ems (1705 and 615 of its 2048
// units; its hhea and its OS/2 Windows metrics agree): the character cell
// that the window measures the sheet's lines with.
constexpr double kAscent = 1705.0 / 2048.0;
constexpr double kDescent = 615.0 / 2048.0;
// The picture the ink is looked for in: dots per inch, the grey that counts
// as ink, and the share of a line's box that must have it (text in Courier
// covers about a fifth).
constexpr int kPictureDpi = 150;
constexpr int kInkGrey = 160;
constexpr double kLeastInk = 0.05;

bool Run(const QString& program, const QStringList& arguments, QString* fault)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *fault = program + QStringLiteral(" failed: ") + process.errorString() + u' ' +
                 QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput());
        return false;
    }
    return true;
}

// The font's ascent and descent (below zero) in ems as the PDF's only font
// descriptor gives them; ghostscript writes descriptors as plain text.
bool DescribedAscentAndDescent(const QString& pdfPath, double* ascent, double* descent, QString* fault)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *fault = QStringLiteral("cannot read ") + pdfPath;
        return false;
    }
    const QString pdf = QString::fromLatin1(file.readAll());
    static const QRegularExpression descriptor(
        QStringLiteral(R"(/Type\s*/FontDescriptor[^>]*?/Ascent\s+(-?[0-9.]+)[^>]*?/Descent\s+(-?[0-9.]+))"));
    QRegularExpressionMatchIterator matches = descriptor.globalMatch(pdf);
    if (!matches.hasNext()) {
        *fault = QStringLiteral("the PDF has no font descriptor with an ascent and a descent");
        return false;
    }
    const QRegularExpressionMatch match = matches.next();
    if (matches.hasNext()) {
        *fault = QStringLiteral("the PDF describes more than one font");
        return false;
    }
    *ascent = match.captured(1).toDouble() / 1000.0;
    *descent = match.captured(2).toDouble() / 1000.0;
    return *ascent - *descent > 0;
}

// pdftotext puts a line's box from `ascent` above its baseline to `descent`
// below, in the font size's units; the box goes back to the character cell.
QRectF CellOf(const QRectF& box, double ascent, double descent)
{
    const double size = box.height() / (ascent - descent);
    const double baseline = box.bottom() + descent * size;
    return QRectF(box.left(), baseline - kAscent * size, box.width(), (kAscent + kDescent) * size);
}

QString AsOnPaper(QString text)
{
    return text.replace(QChar(0x00A0), u' ').replace(QChar(0x00AD), u'-');
}

// The first line whose box has (almost) no ink in the picture of the page.
QString InkFault(const QImage& picture, const QList<PrintedLine>& lines)
{
    const double scale = kPictureDpi / 72.0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRect box = QRectF(lines[i].box.topLeft() * scale, lines[i].box.size() * scale).toRect() & picture.rect();
        qint64 ink = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x)
                ink += qGray(picture.pixel(x, y)) < kInkGrey;
        }
        const double share = box.isEmpty() ? 0.0 : double(ink) / (qint64(box.width()) * box.height());
        if (share < kLeastInk)
            return QStringLiteral("line %1 (%2) shows no glyphs: %3% of its box is ink")
                .arg(i + 1)
                .arg(lines[i].text)
                .arg(share * 100, 0, 'f', 1);
    }
    return {};
}

}  // namespace

PrintedSheet ReadWinePrintedSheet(const QString& postScriptPath, const QString& folder, double printableLeft,
                                  double printableTop)
{
    QFile document(postScriptPath);
    if (!document.open(QIODevice::ReadOnly) || !document.peek(4).startsWith("%!PS"))
        return {{}, postScriptPath + QStringLiteral(" is not PostScript")};

    const QString pdf = QDir(folder).filePath(QStringLiteral("sheet.pdf"));
    QString fault;
    if (!Run(QStringLiteral("ps2pdf"), {postScriptPath, pdf}, &fault))
        return {{}, fault + QStringLiteral(" (Debian package ghostscript)")};

    QList<PrintedPage> pages = ReadPrintedPages(pdf, &fault);
    double ascent = 0;
    double descent = 0;
    if (!fault.isEmpty() || !DescribedAscentAndDescent(pdf, &ascent, &descent, &fault))
        return {{}, fault};
    for (PrintedPage& page : pages) {
        for (PrintedLine& line : page.lines) {
            line.box = CellOf(line.box, ascent, descent);
            line.text = AsOnPaper(line.text);
        }
    }
    PrintedSheet sheet = CheckPrintedSheet(pages, printableLeft, printableTop);
    if (!sheet.fault.isEmpty())
        return sheet;
    QStringList fonts = PdfFontNames(pdf, &sheet.fault);
    if (!sheet.fault.isEmpty())
        return sheet;
    // ghostscript embeds the glyphs the page uses and no more, and names
    // such a subset with a tag of six capital letters, as PDF asks
    // ("ELEEHY+LiberationMono"). (Embedding the whole font instead keeps
    // its name, but makes ghostscript describe the glyphs in a way that
    // poppler draws the blank and the hyphen as empty boxes.)
    static const QRegularExpression subsetTag(QStringLiteral("^[A-Z]{6}\\+"));
    for (QString& font : fonts)
        font.remove(subsetTag);
    sheet.fault = SheetFontFault(fonts);
    if (!sheet.fault.isEmpty())
        return sheet;

    const QString picture = QDir(folder).filePath(QStringLiteral("sheet"));
    if (!Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kPictureDpi), QStringLiteral("-gray"),
                                          QStringLiteral("-singlefile"), pdf, picture},
             &fault))
        return {sheet.lines, fault};
    const QImage image(picture + QStringLiteral(".pgm"));
    if (image.isNull())
        return {sheet.lines, QStringLiteral("cannot read the picture of the page ") + picture + QStringLiteral(".pgm")};
    sheet.fault = InkFault(image, pages.first().lines);
    return sheet;
}
