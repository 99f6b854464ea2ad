// The table model over a list read from a file: the cells as the engine
// wrote them, rows with a Fehler or a deviating stored eTIN marked by
// colour, icon and a description for screen readers, the characters of a
// deviating eTIN that differ, and the switch to those rows only.

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "liste/etincelldelegate.h"
#include "liste/listfile.h"
#include "liste/listmodel.h"
#include "tests/liste/stafflist.h"

namespace kennfix::liste {
namespace {

std::shared_ptr<const ListTable> Read(std::string_view list)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("liste.csv")));
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    file.write(list.data(), static_cast<qint64>(list.size()));
    file.close();
    listengine::ListOptions options;
    options.currentYear = test::kReadInYear;
    auto loaded = std::make_shared<LoadedList>(ReadListFile(QFile::encodeName(file.fileName()).toStdString(), options));
    return std::shared_ptr<const ListTable>(loaded, loaded->table.get());
}

// How many pixels of a cell the delegate paints in the colour of differing characters.
int MarkedPixels(const QModelIndex& index)
{
    QImage image(240, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.state = QStyle::State_Enabled;
    option.font = QApplication::font();
    EtinCellDelegate().paint(&painter, option, index);
    painter.end();
    int marked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            marked += c.red() > 120 && c.green() < 60 && c.blue() < 80;
        }
    }
    return marked;
}

}  // namespace

class TestListModel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cells();
    void marks_data();
    void marks();
    void differingCharacters_data();
    void differingCharacters();
    void differingCharactersArePainted();
    void onlyRowsThatNeedAttention();

private:
    static constexpr int kEtinColumn = 4;
    std::shared_ptr<const ListTable> m_table;
    ListModel m_model;
};

void TestListModel::initTestCase()
{
    m_table = Read(test::kStaffList);
    QVERIFY(m_table);
    m_model.setList(m_table);
}

void TestListModel::cells()
{
    QCOMPARE(m_model.rowCount(), 7);
    QCOMPARE(m_model.columnCount(), 8);
    QStringList header;
    for (int column = 0; column < m_model.columnCount(); ++column)
        header << m_model.headerData(column, Qt::Horizontal).toString();
    QCOMPARE(header, QStringList({"Personalnummer", "Familienname", "Vorname", "Geburtsdatum", "eTIN", "Prüfung",
                                  "Abteilung", "Fehler"}));
    QCOMPARE(m_model.index(1, 1).data().toString(), QStringLiteral("Schön-Schulze"));
    QCOMPARE(m_model.index(1, 4).data().toString(), QStringLiteral("YNYLJSMR52B28A"));
    QCOMPARE(m_model.index(1, 5).data().toString(), QStringLiteral("ergänzt"));
    QCOMPARE(m_model.index(5, 0).data().toString(), QString());  // the blank line
    // The rows' headers are their lines in the file.
    QCOMPARE(m_model.headerData(0, Qt::Vertical).toString(), QStringLiteral("2"));
    QCOMPARE(m_model.headerData(6, Qt::Vertical).toString(), QStringLiteral("8"));
}

void TestListModel::marks_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("error");      // marked as a row with a Fehler
    QTest::addColumn<bool>("deviation");  // marked as a row whose stored eTIN deviates
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("etinDescription");  // the eTIN cell's, after the row's
    QTest::newRow("stimmt") << 0 << false << false << QString() << QString();
    QTest::newRow("ergänzt") << 1 << false << false << QString() << QString();
    QTest::newRow("Prüfzeichen falsch") << 2 << false << true
                                        << QStringLiteral("Prüfung: Prüfzeichen falsch, berechnet: LKSWWAEX61G03K")
                                        << QStringLiteral("; Abweichend: Prüfzeichen (Zeichen 14)");
    QTest::newRow("weicht ab") << 3 << false << true
                               << QStringLiteral("Prüfung: weicht ab (Geburtsdatum), berechnet: MREILIXX91E15Z")
                               << QStringLiteral("; Abweichend: Geburtsdatum (Zeichen 9–13), Prüfzeichen (Zeichen 14)");
    QTest::newRow("in the future") << 4 << true << false << QStringLiteral("Fehler: Geburtsdatum liegt in der Zukunft")
                                   << QString();
    QTest::newRow("blank line") << 5 << false << false << QString() << QString();
    QTest::newRow("no first name") << 6 << true << false << QStringLiteral("Fehler: Vorname fehlt") << QString();
}

// Colour for the eye, an icon in the row's header and a description for
// screen readers, so that colour is never the only sign.
void TestListModel::marks()
{
    QFETCH(int, row);
    QFETCH(bool, error);
    QFETCH(bool, deviation);
    QFETCH(QString, description);
    QFETCH(QString, etinDescription);
    const QVariant background = m_model.index(row, 1).data(Qt::BackgroundRole);
    const QVariant icon = m_model.headerData(row, Qt::Vertical, Qt::DecorationRole);
    if (!error && !deviation) {
        QVERIFY(!background.isValid());
        QVERIFY(!icon.isValid());
        QVERIFY(!m_model.index(row, 1).data(Qt::AccessibleDescriptionRole).isValid());
        return;
    }
    const QColor errorColour = m_model.index(4, 0).data(Qt::BackgroundRole).value<QColor>();
    QCOMPARE(background.value<QColor>() == errorColour, error);
    QCOMPARE(m_model.index(row, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    QVERIFY(!icon.value<QIcon>().isNull());
    for (int column = 0; column < m_model.columnCount(); ++column) {
        const QModelIndex cell = m_model.index(row, column);
        const QString expected = description + (column == kEtinColumn ? etinDescription : QString());
        QCOMPARE(cell.data(Qt::AccessibleDescriptionRole).toString(), expected);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), expected);
    }
    QCOMPARE(m_model.headerData(row, Qt::Vertical, Qt::ToolTipRole).toString(),
             QStringLiteral("Zeile %1 der Datei: %2").arg(m_table->line(static_cast<std::size_t>(row))).arg(description));
}

void TestListModel::differingCharacters_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<TextRanges>("differing");  // in the cell's text
    QTest::addColumn<QString>("etinDescription");
    // Müller, Hans, 01.02.80 gives MLLRHNSA80B01H.
    QTest::newRow("the same") << QByteArray("MLLRHNSA80B01H") << TextRanges() << QString();
    QTest::newRow("blanks before it") << QByteArray("\u00A0 MLLRHNSA81B01H") << TextRanges{{11, 1}}
                                      << QStringLiteral("Abweichend: Geburtsdatum (Zeichen 9–13)");
    QTest::newRow("a character of two UTF-16 units") << QByteArray("😀LLRHNSA80B01H") << TextRanges{{0, 2}}
                                                     << QStringLiteral("Abweichend: Familienname (Zeichen 1–4)");
    QTest::newRow("neighbours in one stretch") << QByteArray("MLLRHNSA80B02X") << TextRanges{{12, 2}}
                                               << QStringLiteral("Abweichend: Geburtsdatum (Zeichen 9–13), "
                                                                 "Prüfzeichen (Zeichen 14)");
    QTest::newRow("too short: all of it") << QByteArray(" MLLRHNSA80B01 ") << TextRanges{{1, 13}}
                                          << QStringLiteral("Abweichend: 13 statt 14 Zeichen");
}

// The characters of a deviating stored eTIN that differ from the computed
// one, for the delegate to mark, and the parts they belong to in words.
void TestListModel::differingCharacters()
{
    QFETCH(QByteArray, stored);
    QFETCH(TextRanges, differing);
    QFETCH(QString, etinDescription);
    const auto table = Read("Familienname;Vorname;Geburtsdatum;eTIN\nMüller;Hans;01.02.80;" + stored.toStdString() + "\n");
    QVERIFY(table);
    ListModel model;
    model.setList(table);
    const QModelIndex etin = model.index(0, static_cast<int>(table->layout().etinColumn));
    QCOMPARE(etin.data().toString(), QString::fromUtf8(stored));
    QCOMPARE(etin.data(kDifferingCharactersRole).value<TextRanges>(), differing);
    const QString description = etin.data(Qt::AccessibleDescriptionRole).toString();
    QVERIFY2(etinDescription.isEmpty() ? description.isEmpty() : description.endsWith("; " + etinDescription),
             qPrintable(description));
    // Only the eTIN cell is marked so.
    QVERIFY(!model.index(0, 0).data(kDifferingCharactersRole).isValid());
}

// The delegate paints the differing characters in their colour, and nothing
// of a matching eTIN.
void TestListModel::differingCharactersArePainted()
{
    QCOMPARE(MarkedPixels(m_model.index(0, kEtinColumn)), 0);
    QVERIFY(MarkedPixels(m_model.index(3, kEtinColumn)) > 0);
}

void TestListModel::onlyRowsThatNeedAttention()
{
    m_model.setOnlyAttention(true);
    QCOMPARE(m_model.rowCount(), 4);
    QStringList lines, numbers;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        lines << m_model.headerData(row, Qt::Vertical).toString();
        numbers << m_model.index(row, 0).data().toString();
    }
    QCOMPARE(lines, QStringList({"4", "5", "6", "8"}));
    QCOMPARE(numbers, QStringList({"1003", "1004", "1005", "1006"}));
    QCOMPARE(m_model.modelRow(3), 1);
    QCOMPARE(m_model.modelRow(0), -1);  // a row in order is not shown
    m_model.setOnlyAttention(false);
    QCOMPARE(m_model.rowCount(), 7);
    QCOMPARE(m_model.modelRow(3), 3);
}

}  // namespace kennfix::liste

QTEST_MAIN(kennfix::liste::TestListModel)
#include "tst_listmodel.moc"
