// "Drucken" of kennfix.exe as a clerk at a Windows desktop meets it: here
// Wine, whose printers are the CUPS queues, in a prefix of the test's own
// (make-wine-prefix.sh: German, with "Courier New" as Liberation Mono), on
// a desktop of the test's own, printing to a private CUPS scheduler whose
// one queue is the default printer. Wine's printer driver sends the sheet
// as PostScript; it must read back as the Linux sheet does.

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/print/sheet.h"
#include "tests/e2e/desktopsession.h"
#include "tests/e2e/typedpeople.h"
#include "tests/print/cupssandbox.h"
#include "tests/windows/kennfixplaces.h"
#include "tests/windows/wineprintedsheet.h"
#include "tests/windows/winewindow.h"

namespace {

constexpr int kWaitMs = DesktopSession::kWaitMs;
// "Programm beenden" ends the program at once, a job waiting or not.
constexpr int kEndsAtOnceMs = 10'000;
const QString kQueue = QStringLiteral("kennfix");
const QString kPlainQueue = QStringLiteral("plain");

// Wine's driver ends its PostScript with %%EOF; until then the scheduler
// is still receiving it.
bool Received(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().trimmed().endsWith("%%EOF");
}

}  // namespace

class TestWinePrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void printsTheSheet_data();
    void printsTheSheet();
    void changedNamesPrintNoEtin();
    void noDefaultPrinter();
    void silentSchedulerHoldsUpNothing();
    void courierNewWithoutTrueTypeOutlines_data();
    void courierNewWithoutTrueTypeOutlines();

private:
    // Makes a queue without a PPD the default printer (cleanup() puts the
    // test's queue back).
    bool usePlainQueue();
    bool startKennfix();
    // Ends the Wine server of the prefix and every program in it.
    bool endWine();
    // What Windows takes for "Courier New" (Wine's font replacement).
    bool setCourierNew(const QString& face);

    std::unique_ptr<DesktopSession> m_desktop;
    std::unique_ptr<CupsSandbox> m_cups;
    std::unique_ptr<WineWindow> m_kennfix;
    QTemporaryDir m_dir;
    bool m_courierNewChanged = false;
    bool m_queuesChanged = false;
};

void TestWinePrint::initTestCase()
{
    for (const char* name : {"KENNFIX_WINDOWS_PROGRAMS", "KENNFIX_WINE_RUN", "KENNFIX_WINE_PREFIX"})
        QVERIFY2(qEnvironmentVariableIsSet(name), name);
    QVERIFY(m_dir.isValid());
    m_desktop = std::make_unique<DesktopSession>();
    QVERIFY2(m_desktop->Start(), qPrintable(m_desktop->Error()));
    QVERIFY2(BindLettersToKeys(*m_desktop), "xmodmap could not bind the letters the test types");
    m_cups = std::make_unique<CupsSandbox>();
    QVERIFY2(m_cups->Start(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(kQueue) && m_cups->SetDefault(kQueue), qPrintable(m_cups->Error()));
    QVERIFY(endWine());
}

void TestWinePrint::cleanup()
{
    m_cups->Resume();
    if (m_kennfix) {
        // Nothing on standard error: Qt's English warnings do not reach the user.
        const QStringList errors = m_kennfix->End();
        m_kennfix.reset();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    }
    if (m_courierNewChanged)
        QVERIFY(setCourierNew(QStringLiteral("Liberation Mono")));
    if (m_queuesChanged) {
        // Back to the test's one queue as the default printer.
        m_cups->RemoveQueue(kPlainQueue);
        QVERIFY2(m_cups->AddQueue(kQueue) && m_cups->SetDefault(kQueue), qPrintable(m_cups->Error()));
        QVERIFY(endWine());
        m_queuesChanged = false;
    }
}

bool TestWinePrint::usePlainQueue()
{
    m_queuesChanged = true;
    return m_cups->AddPlainQueue(kPlainQueue) && m_cups->SetDefault(kPlainQueue) && endWine();
}

bool TestWinePrint::startKennfix()
{
    m_kennfix = std::make_unique<WineWindow>(*m_desktop, m_desktop->Environment(m_cups->Environment()));
    return m_kennfix->Start(QStringLiteral("kennfix.exe"), QStringLiteral("^Kennfix$"));
}

// Wine takes the printers and the default from CUPS when the first program
// that prints starts, and keeps them while any program of its server runs;
// so the server goes when the queues change.
bool TestWinePrint::endWine()
{
    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), qEnvironmentVariable("KENNFIX_WINE_PREFIX"));
    server.setProcessEnvironment(environment);
    server.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("if wineserver -k0 2>/dev/null; then wineserver --kill; fi; "
                                                       "while wineserver -k0 2>/dev/null; do sleep 0.1; done")});
    return server.waitForFinished(kWaitMs) && server.exitCode() == 0;
}

bool TestWinePrint::setCourierNew(const QString& face)
{
    m_courierNewChanged = face != QLatin1String("Liberation Mono");
    const WineWindow wine(*m_desktop, m_desktop->Environment(m_cups->Environment()));
    return wine.RunToEnd({QStringLiteral("reg"), QStringLiteral("add"), QStringLiteral("HKCU\\Software\\Wine\\Fonts\\Replacements"),
                          QStringLiteral("/v"), QStringLiteral("Courier New"), QStringLiteral("/d"), face, QStringLiteral("/f")});
}

void TestWinePrint::printsTheSheet_data()
{
    QTest::addColumn<bool>("plain");
    // Where the printable area starts, in points from the page's left and top.
    QTest::addColumn<double>("printableLeft");
    QTest::addColumn<double>("printableTop");
    // The queue's PPD asks for TrueType fonts as Type 42.
    QTest::newRow("queue with a PPD") << false << CupsSandbox::kMarginLeft << CupsSandbox::kMarginTop;
    // Wine's driver takes its own PPD: A4, a quarter inch in from every
    // edge, fonts as Type 1.
    QTest::newRow("queue without a PPD") << true << 18.0 << 18.0;
}

// One A4 page with the six lines where the Linux sheet has them, in Liberation
// Mono with its glyphs drawn, the texts as the window shows them.
void TestWinePrint::printsTheSheet()
{
    QFETCH(bool, plain);
    QFETCH(double, printableLeft);
    QFETCH(double, printableTop);
    if (plain)
        QVERIFY2(usePlainQueue(), qPrintable(m_cups->Error()));
    const TypedPerson& person = kTypedPeople[0];
    QVERIFY2(startKennfix(), "no window titled Kennfix");
    QVERIFY2(m_kennfix->TypeChecked(QString::fromUtf8(person.family)), "the family name did not arrive");
    m_kennfix->Key(QStringLiteral("Tab"));
    m_kennfix->Type(QString::fromUtf8(person.first));
    m_kennfix->Key(QStringLiteral("Tab"));
    m_kennfix->Type(QString::fromUtf8(person.date));
    m_kennfix->Click(kBtnRechnen);
    const qsizetype before = m_cups->Documents().size();
    m_kennfix->Click(kBtnDrucken);
    if (!QTest::qWaitFor([&] { return m_cups->Documents().size() == before + 1 && Received(m_cups->Documents().last()); },
                         kWaitMs))
        QFAIL(qPrintable(QStringLiteral("nothing was printed; the window showed: ") + m_kennfix->AnswerMessageBox(1'000)));
    if (!plain)
        m_kennfix->SaveScreenshot(QStringLiteral("kennfix-windows-gedruckt.png"));

    const PrintedSheet sheet = ReadWinePrintedSheet(m_cups->Documents().last(), m_dir.path(), printableLeft, printableTop);
    if (!plain) {
        // The page as PDF beside the screenshot, for a person to look at.
        const QString kept = QDir::current().filePath(QStringLiteral("kennfix-windows-blatt.pdf"));
        QFile::remove(kept);
        QFile::copy(QDir(m_dir.path()).filePath(QStringLiteral("sheet.pdf")), kept);
    }
    QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault + QStringLiteral("\n") + sheet.lines.join(u'\n')));
    const QStringList expected = {
        QStringLiteral("Berechnung eTIN"),
        QStringLiteral("Name: ") + QString::fromUtf8(person.family),
        QStringLiteral("Vorname: ") + QString::fromUtf8(person.first),
        QStringLiteral("Geburtsdatum: 01.02.80"),
        QStringLiteral("Die eTIN lautet: ") + QString::fromUtf8(person.etin),
        QStringLiteral("Erstellt am ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) +
            QStringLiteral(" mit Programm Kennfix – ") + kennfix::MakerNotice(),
    };
    QCOMPARE(sheet.lines, expected);

    m_kennfix->Click(kBtnClose);
    const QString ended = m_kennfix->EndsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

// No queue, so Windows has no default printer: the error box, nothing
// printed, and the program goes on and looks again at the next "Drucken".
// Names changed after the calculation and printed without computing again:
// the sheet carries the new names and no eTIN, not another person's.
void TestWinePrint::changedNamesPrintNoEtin()
{
    QVERIFY2(startKennfix(), "no window titled Kennfix");
    QVERIFY2(m_kennfix->TypeChecked(QStringLiteral("Müller")), "the family name did not arrive");
    m_kennfix->Key(QStringLiteral("Tab"));
    m_kennfix->Type(QStringLiteral("Hans"));
    m_kennfix->Key(QStringLiteral("Tab"));
    m_kennfix->Type(QStringLiteral("010280"));
    m_kennfix->Click(kBtnRechnen);
    QCOMPARE(m_kennfix->CopyThroughMenu(kLabTIN), QStringLiteral("MLLRHNSA80B01H"));

    m_kennfix->Click(kLEdiName);
    QVERIFY2(m_kennfix->TypeChecked(QStringLiteral("Schmidt")), "the new family name did not arrive");
    m_kennfix->Key(QStringLiteral("Tab"));
    QVERIFY2(m_kennfix->TypeChecked(QStringLiteral("Petra")), "the new first name did not arrive");
    const qsizetype before = m_cups->Documents().size();
    m_kennfix->Click(kBtnDrucken);
    if (!QTest::qWaitFor([&] { return m_cups->Documents().size() == before + 1 && Received(m_cups->Documents().last()); },
                         kWaitMs))
        QFAIL(qPrintable(QStringLiteral("nothing was printed; the window showed: ") + m_kennfix->AnswerMessageBox(1'000)));

    const PrintedSheet sheet = ReadWinePrintedSheet(m_cups->Documents().last(), m_dir.path());
    QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault + QStringLiteral("\n") + sheet.lines.join(u'\n')));
    QCOMPARE(sheet.lines.value(1), QStringLiteral("Name: Schmidt"));
    QCOMPARE(sheet.lines.value(2), QStringLiteral("Vorname: Petra"));
    QCOMPARE(sheet.lines.value(3), QStringLiteral("Geburtsdatum: 01.02.80"));
    // "Die eTIN lautet: " with nothing after it; the blank at the end leaves no ink.
    QCOMPARE(sheet.lines.value(4).trimmed(), QStringLiteral("Die eTIN lautet:"));

    m_kennfix->Click(kBtnClose);
    const QString ended = m_kennfix->EndsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

void TestWinePrint::noDefaultPrinter()
{
    m_queuesChanged = true;
    QVERIFY2(m_cups->RemoveQueue(kQueue), qPrintable(m_cups->Error()));
    QVERIFY(endWine());
    const qsizetype before = m_cups->Documents().size();
    QVERIFY2(startKennfix(), "no window titled Kennfix");
    for (int press = 0; press < 2; ++press) {
        m_kennfix->Click(kBtnDrucken);
        const QString copied = m_kennfix->AnswerMessageBox();
        QVERIFY2(copied.contains(QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt.")), qPrintable(copied));
        QCOMPARE(m_kennfix->Process().state(), QProcess::Running);
    }
    QCOMPARE(m_cups->Documents().size(), before);
    m_kennfix->Click(kBtnClose);
    const QString ended = m_kennfix->EndsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

// The scheduler stops answering (SIGSTOP) after the program started: the
// job waits on its own thread, the window goes on taking input and answers
// a second "Drucken", and "Programm beenden" ends the program at once.
void TestWinePrint::silentSchedulerHoldsUpNothing()
{
    QVERIFY2(startKennfix(), "no window titled Kennfix");
    m_cups->Pause();
    m_kennfix->Click(kBtnDrucken);

    m_kennfix->Click(kLEdiName);
    QVERIFY2(m_kennfix->TypeChecked(QStringLiteral("Meier")), "the window took no input while the job waited");
    m_kennfix->Click(kBtnDrucken);
    const QString copied = m_kennfix->AnswerMessageBox();
    QVERIFY2(copied.contains(QStringLiteral("Druckvorgang läuft.")), qPrintable(copied));

    m_kennfix->Click(kBtnClose);
    const QString ended = m_kennfix->EndsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

void TestWinePrint::courierNewWithoutTrueTypeOutlines_data()
{
    QTest::addColumn<bool>("plain");
    QTest::newRow("queue with a PPD") << false;  // Wine's driver went down
    QTest::newRow("queue without a PPD") << true;  // it printed a blank page
}

// A Windows whose "Courier New" is a face with PostScript outlines (here
// Nimbus Mono PS, Debian's fonts-urw-base35), on which Wine's printer driver
// prints a blank page or goes down, and the program with it: the error box
// says what is missing, nothing is printed, and the program goes on.
void TestWinePrint::courierNewWithoutTrueTypeOutlines()
{
    QFETCH(bool, plain);
    if (plain)
        QVERIFY2(usePlainQueue(), qPrintable(m_cups->Error()));
    QVERIFY(setCourierNew(QStringLiteral("Nimbus Mono PS")));
    const qsizetype before = m_cups->Documents().size();
    QVERIFY2(startKennfix(), "no window titled Kennfix");
    m_kennfix->Click(kBtnDrucken);
    const QString copied = m_kennfix->AnswerMessageBox();
    QVERIFY2(copied.contains(QStringLiteral(
                 "Die Schrift Courier New fehlt auf diesem Computer, ohne sie kann das Blatt nicht gedruckt werden.")),
             qPrintable(copied));
    QCOMPARE(m_kennfix->Process().state(), QProcess::Running);
    QCOMPARE(m_cups->Documents().size(), before);
    m_kennfix->Click(kBtnClose);
    const QString ended = m_kennfix->EndsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

QTEST_GUILESS_MAIN(TestWinePrint)
#include "tst_wine_print.moc"
