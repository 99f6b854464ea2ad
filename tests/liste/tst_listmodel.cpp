// The table model over a list read from a file: the cells as the engine
// wrote them, rows with a Fehler or a deviating stored eTIN marked by
// colour, icon and a description for screen readers, and the switch to
// those rows only.

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

#include "listfile.h"
#include "listmodel.h"
#include "stafflist.h"

namespace kennfix::liste {

class TestListModel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cells();
    void marks_data();
    void marks();
    void onlyRowsThatNeedAttention();

private:
    std::shared_ptr<const ListTable> m_table;
    ListModel m_model;
};

void TestListModel::initTestCase()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("liste.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(test::kStaffList.data(), static_cast<qint64>(test::kStaffList.size()));
    file.close();
    batch::ListOptions options;
    options.currentYear = test::kReadInYear;
    auto list = std::make_shared<LoadedList>(ReadListFile(QFile::encodeName(file.fileName()).toStdString(), options));
    m_table = std::shared_ptr<const ListTable>(list, list->table.get());
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
    QTest::newRow("stimmt") << 0 << false << false << QString();
    QTest::newRow("ergänzt") << 1 << false << false << QString();
    QTest::newRow("Prüfzeichen falsch") << 2 << false << true
                                        << QStringLiteral("Prüfung: Prüfzeichen falsch, berechnet: LKSWWAEX61G03K");
    QTest::newRow("weicht ab") << 3 << false << true
                               << QStringLiteral("Prüfung: weicht ab (Geburtsdatum), berechnet: MREILIXX91E15Z");
    QTest::newRow("in the future") << 4 << true << false << QStringLiteral("Fehler: Geburtsdatum liegt in der Zukunft");
    QTest::newRow("blank line") << 5 << false << false << QString();
    QTest::newRow("no first name") << 6 << true << false << QStringLiteral("Fehler: Vorname fehlt");
}

// Colour for the eye, an icon in the row's header and a description for
// screen readers, so that colour is never the only sign.
void TestListModel::marks()
{
    QFETCH(int, row);
    QFETCH(bool, error);
    QFETCH(bool, deviation);
    QFETCH(QString, description);
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
    for (int column = 0; column < m_model.columnCount(); ++column)
        QCOMPARE(m_model.index(row, column).data(Qt::AccessibleDescriptionRole).toString(), description);
    QCOMPARE(m_model.headerData(row, Qt::Vertical, Qt::ToolTipRole).toString(),
             QStringLiteral("Zeile %1 der Datei: %2").arg(m_table->line(static_cast<std::size_t>(row))).arg(description));
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
