// kennfix-liste's command line: the list to open, the list options as
// kennfix-batch takes them, and what is answered on the terminal.

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include "liste/commandline.h"
#include "listengine/options.h"
#include "tests/listengine/optionsinhelp.h"
#include "qtfrontend/qttranslations.h"

namespace kennfix::liste {

using Action = CommandLine::Action;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(LoadGermanQtTexts(*QCoreApplication::instance())); }
    void answers_data();
    void answers();
    void listOptions();
    void helpListsTheTable();
    void theProgramRefusesOnStandardError_data();
    void theProgramRefusesOnStandardError();
};

void TestCommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("text");  // the start of it
    QTest::addColumn<QString>("file");
    QTest::newRow("nothing") << QStringList() << int(Action::ShowWindow) << QString() << QString();
    QTest::newRow("a list") << QStringList{"personal.csv"} << int(Action::ShowWindow) << QString() << "personal.csv";
    QTest::newRow("a list named like an option") << QStringList{"--", "-d"} << int(Action::ShowWindow) << QString() << "-d";
    QTest::newRow("help") << QStringList{"--help"} << int(Action::ShowHelp)
                          << "Aufruf: kennfix-liste [Optionen] [DATEI]\n" << QString();
    QTest::newRow("version") << QStringList{"--version"} << int(Action::ShowVersion) << "kennfix-liste 9.9.9" << QString();
    QTest::newRow("two lists") << QStringList{"a.csv", "b.csv"} << int(Action::Refuse) << "Ein Argument zu viel: „b.csv“."
                               << QString();
    QTest::newRow("a second list with a line break")
        << QStringList{"a.csv", "b\nc.csv"} << int(Action::Refuse) << "Ein Argument zu viel: „b\\nc.csv“." << QString();
    QTest::newRow("unknown option") << QStringList{"--bla"} << int(Action::Refuse) << "Unbekannte Option „--bla“." << QString();
    QTest::newRow("no value") << QStringList{"--year"} << int(Action::Refuse) << "Der Option „--year“ fehlt ihr Wert." << QString();
    // The list options' checks and messages are kennfix-batch's.
    QTest::newRow("wrong delimiter") << QStringList{"-d", "x", "a.csv"} << int(Action::Refuse)
                                     << "--delimiter erwartet ; , oder tab, nicht „x“." << QString();
    QTest::newRow("one column, two jobs") << QStringList{"--first-name-column", "Familienname"} << int(Action::Refuse)
                                          << "Die Spalte „Familienname“ ist zugleich" << QString();
    // Every list option takes a value, under each of its names.
    for (const listengine::ListOption& option : listengine::ListOptionTable()) {
        QStringList names{"--" + QString::fromUtf8(option.name.data(), qsizetype(option.name.size()))};
        if (option.shortName)
            names << QStringLiteral("-") + QLatin1Char(option.shortName);
        for (const QString& name : names) {
            QTest::addRow("%s without value", qPrintable(name))
                << QStringList{name} << int(Action::Refuse) << "Der Option „" + name + "“ fehlt ihr Wert." << QString();
        }
    }
}

void TestCommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, text);
    QFETCH(QString, file);
    const CommandLine line = ParseCommandLine(QStringList{"/usr/bin/kennfix-liste"} + arguments, QStringLiteral("9.9.9"));
    QCOMPARE(int(line.action), action);
    QVERIFY2(line.text.startsWith(text), qPrintable(line.text));
    QVERIFY(!text.isEmpty() || line.text.isEmpty());
    QCOMPARE(line.file, file);
}

void TestCommandLine::listOptions()
{
    const CommandLine line =
        ParseCommandLine({"kennfix-liste", "--delimiter", ",", "--encoding", "windows-1252", "--family-name-column",
                          "Nachname", "--date-order", "ymd", "--date-separator", "-", "--year", "2030", "liste.csv"},
                         QStringLiteral("1.0.0"));
    QCOMPARE(int(line.action), int(Action::ShowWindow));
    QCOMPARE(line.file, QStringLiteral("liste.csv"));
    QCOMPARE(line.options.delimiter, std::optional<char>(','));
    QCOMPARE(line.options.inputEncoding, listengine::Encoding::Windows1252);
    QCOMPARE(line.options.outputEncoding, listengine::Encoding::Auto);
    QCOMPARE(line.options.familyNameColumn, std::string("Nachname"));
    QCOMPARE(line.options.firstNameColumn, std::string("Vorname"));
    QCOMPARE(line.options.dateSettings.separator, '-');
    QCOMPARE(line.options.dateSettings.order, DateOrder::YearMonthDay);
    QCOMPARE(line.options.currentYear, 2030);

    // Without options, kennfix-batch's defaults.
    const CommandLine plain = ParseCommandLine({"kennfix-liste"}, QStringLiteral("1.0.0"));
    const listengine::ListOptions defaults;
    QCOMPARE(plain.options.delimiter, defaults.delimiter);
    QCOMPARE(plain.options.familyNameColumn, defaults.familyNameColumn);
    QCOMPARE(plain.options.dateSettings.separator, defaults.dateSettings.separator);
    QCOMPARE(plain.options.currentYear, defaults.currentYear);
}

// The options of the table and no others, with its words, as kennfix-batch
// lists them (tests/batch/program_test.cpp).
void TestCommandLine::helpListsTheTable()
{
    const CommandLine line = ParseCommandLine({"kennfix-liste", "--help"}, QStringLiteral("1.0.0"));
    QCOMPARE(int(line.action), int(Action::ShowHelp));
    QCOMPARE(test::OptionsInHelp(line.text.toStdString()), test::OptionsOfTheTable());
}

void TestCommandLine::theProgramRefusesOnStandardError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--bla"} << "Unbekannte Option „--bla“.";
    QTest::newRow("two lists") << QStringList{"a.csv", "b.csv"} << "Ein Argument zu viel: „b.csv“.";
}

// The program itself on Linux: the refusal on standard error, status 2, no
// window. (On Windows it is the program's error box; tests/windows.)
void TestCommandLine::theProgramRefusesOnStandardError()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess program;
    program.start(QStringLiteral(KENNFIX_LISTE_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30'000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()),
             QStringLiteral("kennfix-liste: ") + message + QStringLiteral("\nHilfe: kennfix-liste --help\n"));
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
}

}  // namespace kennfix::liste

QTEST_GUILESS_MAIN(kennfix::liste::TestCommandLine)
#include "tst_commandline.moc"
