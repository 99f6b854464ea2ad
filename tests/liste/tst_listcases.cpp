// The lists of tests/lists saved from the window: byte for byte the file
// kennfix-batch writes, and a list that is none refused on reading.

#include <QTemporaryDir>
#include <QTest>

#include "liste/listfile.h"
#include "tests/lists/listcases.h"

namespace kennfix::liste {

class TestListCases : public QObject {
    Q_OBJECT

private slots:
    void savedAsKennfixBatchWritesIt_data();
    void savedAsKennfixBatchWritesIt();
};

void TestListCases::savedAsKennfixBatchWritesIt_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");
    const std::vector<test::ListCase> cases = test::ReadListCases(KENNFIX_LIST_CASES);
    QVERIFY2(!cases.empty(), "no cases in " KENNFIX_LIST_CASES);
    for (const test::ListCase& c : cases) {
        QTest::newRow(c.name.c_str()) << QString::fromStdString(c.input.string())
                                      << QString::fromStdString(c.expected.string()) << c.status;
    }
}

void TestListCases::savedAsKennfixBatchWritesIt()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, status);
    listengine::ListOptions options;
    options.currentYear = 2026;
    QTemporaryDir dir;
    const std::string target = dir.filePath(QStringLiteral("gespeichert.csv")).toStdString();
    try {
        const LoadedList list = ReadListFile(input.toStdString(), options);
        QVERIFY2(status != 2, "read as a list");
        const listengine::ListSummary summary = SaveListFile(list, target);
        QCOMPARE(summary.needsAttention() ? 1 : 0, status);
        QCOMPARE(test::FileBytes(target), test::FileBytes(expected.toStdString()));
    } catch (const listengine::ListError& e) {
        QVERIFY2(status == 2, e.what());
    }
}

}  // namespace kennfix::liste

QTEST_MAIN(kennfix::liste::TestListCases)
#include "tst_listcases.moc"
