#include "tests/print/printedpage.h"

#include <QProcess>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace {

struct Word {
    QString text;
    QRectF box;
};

bool RunPoppler(const QString& program, const QStringList& arguments, QByteArray* output, QString* error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = program + QStringLiteral(" failed (Debian package poppler-utils): ") + process.errorString() + u' ' +
                 QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    *output = process.readAllStandardOutput();
    return true;
}

bool SameRow(const QRectF& a, const QRectF& b)
{
    constexpr double kTolerance = 0.01;  // points
    return std::abs(a.top() - b.top()) < kTolerance && std::abs(a.bottom() - b.bottom()) < kTolerance;
}

// Joins the words of one row, each at its column of the monospaced font.
PrintedLine JoinRow(QList<Word> words)
{
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) { return a.box.left() < b.box.left(); });
    const double left = words.front().box.left();
    const double charWidth = words.front().box.width() / words.front().text.size();
    PrintedLine line{QString(), words.front().box};
    for (const Word& word : words) {
        const auto column = static_cast<qsizetype>(std::lround((word.box.left() - left) / charWidth));
        if (!line.text.isEmpty())
            line.text += QString(std::max<qsizetype>(1, column - line.text.size()), u' ');
        line.text += word.text;
        line.box = line.box.united(word.box);
    }
    return line;
}

PrintedPage LayOut(const QSizeF& size, const QList<Word>& words)
{
    QList<QList<Word>> rows;
    for (const Word& word : words) {
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&](const QList<Word>& r) { return SameRow(r.front().box, word.box); });
        if (row == rows.end())
            rows.append({word});
        else
            row->append(word);
    }
    PrintedPage page{size, {}};
    for (const QList<Word>& row : rows)
        page.lines.append(JoinRow(row));
    std::sort(page.lines.begin(), page.lines.end(),
              [](const PrintedLine& a, const PrintedLine& b) { return a.box.top() < b.box.top(); });
    return page;
}

double Number(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toDouble();
}

}  // namespace

QList<PrintedPage> ReadPrintedPages(const QString& pdfPath, QString* error)
{
    QByteArray xhtml;
    if (!RunPoppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")}, &xhtml, error))
        return {};

    QList<PrintedPage> pages;
    QSizeF pageSize;
    QList<Word> words;
    QXmlStreamReader reader(xhtml);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && reader.name() == QLatin1String("page")) {
            pageSize = QSizeF(Number(reader.attributes(), "width"), Number(reader.attributes(), "height"));
            words.clear();
        } else if (token == QXmlStreamReader::StartElement && reader.name() == QLatin1String("word")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            const QRectF box(QPointF(Number(attributes, "xMin"), Number(attributes, "yMin")),
                             QPointF(Number(attributes, "xMax"), Number(attributes, "yMax")));
            words.append({reader.readElementText(), box});
        } else if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1String("page")) {
            pages.append(LayOut(pageSize, words));
        }
    }
    if (reader.hasError()) {
        *error = QStringLiteral("cannot read the output of pdftotext: ") + reader.errorString();
        return {};
    }
    return pages;
}

QStringList PdfFontNames(const QString& pdfPath, QString* error)
{
    QByteArray listing;
    if (!RunPoppler(QStringLiteral("pdffonts"), {pdfPath}, &listing, error))
        return {};
    // A heading, a rule of dashes, then one font a line with its name first.
    QStringList names;
    const QList<QByteArray> lines = listing.split('\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString name = QString::fromUtf8(lines[i]).section(u' ', 0, 0, QString::SectionSkipEmpty);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}
