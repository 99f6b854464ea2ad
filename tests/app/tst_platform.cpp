#include <QTest>

#include "app/platform.h"

using namespace kennfix;

Q_DECLARE_METATYPE(kennfix::DateOrder)

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void settingsFromFormat_data();
    void settingsFromFormat();
    void fourDigitYear();
    // Run with LC_ALL set by CTest:
    void cLocaleIsGerman();
    void usLocale();
};

void TestPlatform::settingsFromFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<char>("separator");
    QTest::addColumn<DateOrder>("order");
    QTest::newRow("German") << "dd.MM.yy" << '.' << DateOrder::DayMonthYear;
    QTest::newRow("US") << "M/d/yy" << '/' << DateOrder::MonthDayYear;
    QTest::newRow("ISO") << "yyyy-MM-dd" << '-' << DateOrder::YearMonthDay;
    QTest::newRow("blank before separator") << "d MMM. yyyy" << '.' << DateOrder::DayMonthYear;
    QTest::newRow("nothing readable") << "" << '/' << DateOrder::MonthDayYear;
    QTest::newRow("separator beyond ASCII") << "dd·MM·yy" << '/' << DateOrder::DayMonthYear;
}

void TestPlatform::settingsFromFormat()
{
    QFETCH(QString, format);
    QFETCH(char, separator);
    QFETCH(DateOrder, order);
    const DateSettings settings = DateSettingsFromQtFormat(format);
    QCOMPARE(settings.separator, separator);
    QCOMPARE(settings.order, order);
}

void TestPlatform::fourDigitYear()
{
    QCOMPARE(WithFourDigitYear(QStringLiteral("dd.MM.yy")), QStringLiteral("dd.MM.yyyy"));
    QCOMPARE(WithFourDigitYear(QStringLiteral("M/d/yyyy")), QStringLiteral("M/d/yyyy"));
}

void TestPlatform::cLocaleIsGerman()
{
    if (qEnvironmentVariable("LC_ALL") != QLatin1String("C"))
        QSKIP("runs with LC_ALL=C");
    SystemPlatform system;
    QCOMPARE(system.dateSettings().separator, '.');
    QCOMPARE(system.dateSettings().order, DateOrder::DayMonthYear);
    QCOMPARE(system.shortDateFormat(), QStringLiteral("dd.MM.yyyy"));
}

void TestPlatform::usLocale()
{
    if (!qEnvironmentVariable("LC_ALL").startsWith(QLatin1String("en_US")))
        QSKIP("runs with LC_ALL=en_US.UTF-8");
    SystemPlatform system;
    QCOMPARE(system.dateSettings().separator, '/');
    QCOMPARE(system.dateSettings().order, DateOrder::MonthDayYear);
    QCOMPARE(system.shortDateFormat(), QStringLiteral("M/d/yyyy"));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
