// Kennfix as a person uses it: started on an X server of the test's own,
// typed into and clicked with xdotool, printing to a CUPS scheduler of the
// test's own. The eTIN is read from the document the scheduler received.

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <memory>

#include "cupssandbox.h"
#include "printedsheet.h"

namespace {

constexpr int kWaitMs = 20'000;

// Centres of the buttons in the window, at 96 dots per inch.
constexpr QPoint kBtnRechnen(304, 44);
constexpr QPoint kBtnDrucken(304, 81);
constexpr QPoint kBtnClose(304, 118);

struct Person {
    const char* tag;
    const char* family;
    const char* first;
    const char* date;  // as typed into the date field
    const char* etin;
};

constexpr Person kPeople[] = {
    {"umlaut", "Müller", "Hans", "010280", "MLLRHNSA80B01H"},
    {"double name, accents", "Schön-Schulze", "José María", "280252", "YNYLJSMR52B28A"},
    {"separator jumps", "Lüdtke", "Jürgen", "3.7.61", "LDTKJRGN61G03F"},
    {"sharp s", "Weiß", "Zoë", "120385", "WSSIZEOX85C12C"},
};

// An Xvfb on a free display number of its own choosing (-displayfd). Without
// -noreset the server resets whenever its last client disconnects, and a
// client that connects during the reset is refused: the program started for
// the next row would then fail to open the display.
class XServer {
public:
    bool Start()
    {
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                               QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-dpi"),
                                               QStringLiteral("96")});
        if (!m_server.waitForStarted())
            return false;
        QDeadlineTimer deadline(kWaitMs);
        QByteArray number;
        while (!number.endsWith('\n') && !deadline.hasExpired() && m_server.state() == QProcess::Running) {
            m_server.waitForReadyRead(100);
            number += m_server.readAllStandardOutput();
        }
        if (!number.endsWith('\n'))
            return false;
        m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        return true;
    }

    ~XServer()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }

    QString Display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void computesAndPrints_data();
    void computesAndPrints();
    void invalidDateShowsErrorBox();

private:
    bool bindLettersToKeys();
    bool startProgram();
    struct ToolRun {
        bool succeeded;
        QString output;
    };
    // Runs the X client `tool` with `arguments` on the test's display.
    ToolRun runOnDisplay(const QString& tool, const QStringList& arguments);
    QString xdotool(const QStringList& arguments) { return runOnDisplay(QStringLiteral("xdotool"), arguments).output; }
    void click(QPoint point) { xdotool({"mousemove", "--window", m_window, QString::number(point.x()), QString::number(point.y()), "click", "1"}); }
    void type(const QString& text) { xdotool({"type", "--delay", "40", text}); }
    void key(const QString& name) { xdotool({"key", name}); }
    QStringList visibleWindowsNamedKennfix();

    std::unique_ptr<XServer> m_x;
    std::unique_ptr<CupsSandbox> m_cups;
    std::unique_ptr<QProcess> m_program;
    QString m_window;
};

void TestEndToEnd::initTestCase()
{
    m_x = std::make_unique<XServer>();
    QVERIFY2(m_x->Start(), "no X server (Xvfb) could be started");
    QVERIFY2(bindLettersToKeys(), "xmodmap could not bind the letters the test types");
    m_cups = std::make_unique<CupsSandbox>();
    QVERIFY2(m_cups->Start(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
}

// Xvfb's keymap is plain US. For a letter not on it, xdotool maps a spare key
// for the moment of the key press and then restores it; a busy program reads
// the event after the restore and sees no letter. So every letter the test
// types gets a key of its own before the program starts.
bool TestEndToEnd::bindLettersToKeys()
{
    QSet<QChar> letters;
    for (const Person& person : kPeople) {
        for (const QChar c : QString::fromUtf8(person.family) + QString::fromUtf8(person.first)) {
            if (c.unicode() > 0x7f)
                letters.insert(c);
        }
    }
    QStringList arguments;
    for (const QChar c : letters) {
        arguments << QStringLiteral("-e")
                  << QStringLiteral("keycode any = U%1 U%2")
                         .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                         .arg(c.toUpper().unicode(), 4, 16, QLatin1Char('0'));
    }
    return runOnDisplay(QStringLiteral("xmodmap"), arguments).succeeded;
}

void TestEndToEnd::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
}

TestEndToEnd::ToolRun TestEndToEnd::runOnDisplay(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_x->Display());
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(tool, arguments);
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed()};
}

QStringList TestEndToEnd::visibleWindowsNamedKennfix()
{
    return xdotool({"search", "--onlyvisible", "--name", "^Kennfix$"}).split(u'\n', Qt::SkipEmptyParts);
}

bool TestEndToEnd::startProgram()
{
    QProcessEnvironment environment = m_cups->Environment();
    environment.insert(QStringLiteral("DISPLAY"), m_x->Display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(environment);
    m_program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program->start(qEnvironmentVariable("KENNFIX_PROGRAM"), {});
    if (!m_program->waitForStarted())
        return false;

    // xdotool --sync waits for the window without a limit of its own.
    QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired() && visibleWindowsNamedKennfix().isEmpty())
        QTest::qWait(100);
    const QStringList windows = visibleWindowsNamedKennfix();
    if (windows.size() != 1)
        return false;
    m_window = windows.first();
    xdotool({"windowfocus", "--sync", m_window});
    return xdotool({"getwindowgeometry", m_window}).contains(QLatin1String("Geometry: 391x314"));
}

void TestEndToEnd::computesAndPrints_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("date");  // as typed into the date field
    QTest::addColumn<QString>("etin");
    for (const Person& person : kPeople)
        QTest::newRow(person.tag) << QString::fromUtf8(person.family) << QString::fromUtf8(person.first)
                                  << QString::fromUtf8(person.date) << QString::fromUtf8(person.etin);
}

void TestEndToEnd::computesAndPrints()
{
    QFETCH(QString, family);
    QFETCH(QString, first);
    QFETCH(QString, date);
    QFETCH(QString, etin);
    QVERIFY2(startProgram(), "the window did not appear at 391x314");

    type(family);
    key(QStringLiteral("Tab"));
    type(first);
    key(QStringLiteral("Tab"));
    type(date);
    click(kBtnRechnen);
    const qsizetype before = m_cups->Documents().size();
    click(kBtnDrucken);
    QTRY_COMPARE_WITH_TIMEOUT(m_cups->Documents().size(), before + 1, kWaitMs);

    const PrintedSheet sheet = ReadPrintedSheet(m_cups->Documents().last());
    QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
    QCOMPARE(sheet.lines.value(1), QStringLiteral("Name: ") + family);
    QCOMPARE(sheet.lines.value(2), QStringLiteral("Vorname: ") + first);
    QCOMPARE(sheet.lines.value(4), QStringLiteral("Die eTIN lautet: ") + etin);

    click(kBtnClose);
    QVERIFY(m_program->waitForFinished(kWaitMs));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

void TestEndToEnd::invalidDateShowsErrorBox()
{
    QVERIFY2(startProgram(), "the window did not appear at 391x314");
    type(QStringLiteral("Meier"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("Li"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("310280"));
    click(kBtnRechnen);
    // The error box is a second window titled "Kennfix".
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindowsNamedKennfix().size(), 2, kWaitMs);
    key(QStringLiteral("Return"));
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindowsNamedKennfix().size(), 1, kWaitMs);
    QCOMPARE(m_program->state(), QProcess::Running);

    click(kBtnClose);
    QVERIFY(m_program->waitForFinished(kWaitMs));
    QCOMPARE(m_program->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
